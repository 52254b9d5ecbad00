#include "u_dest.h"

#include "game.h"
#include "kit/play.h"
#include "kit/widgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

Tf_destination::Tf_destination(QWidget* parent)
    : BuiltWhenShown(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                 Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("f_destination"));
    setWindowTitle(QStringLiteral("Réception de la trame"));
    setFont(kw::ui::defaultFont());
    resize(kw::ui::clientSize(QSize(410, 119), kw::ui::WindowFrame::Sizeable));
    setAccessibleDescription(
        QStringLiteral("Station réceptrice : décider si la trame est copiée en mémoire"));
}

void Tf_destination::makeControls()
{
    // One panel holds everything, so disabling it disables the whole dialog.
    Panel = new QWidget(this);
    Panel->setObjectName(QStringLiteral("Panel"));
    Panel->setGeometry(0, 0, 401, 89);

    serveur_image = kw::ui::makePicture(Panel, QRect(8, 8, 41, 40), QStringLiteral(":/server.png"));
    serveur_image->setObjectName(QStringLiteral("serveur_image"));
    station_image =
        kw::ui::makePicture(Panel, QRect(16, 8, 34, 33), QStringLiteral(":/station.png"));
    station_image->setObjectName(QStringLiteral("station_image"));

    edit1 = new QLineEdit(Panel);
    edit1->setObjectName(QStringLiteral("edit1"));
    edit1->setGeometry(80, 10, 121, 21);
    edit1->setFrame(false);
    edit1->setReadOnly(true);
    edit1->setEnabled(false);

    BitBtn1 = kw::ui::makeTickButton(Panel, QRect(320, 8, 73, 25), QStringLiteral("Terminé"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);

    Label1 = kw::ui::makeLabel(Panel, 64, 48, QStringLiteral("Trame reçue"));
    Label1->setObjectName(QStringLiteral("Label1"));

    copier = new QCheckBox(QStringLiteral("Copier la trame en mémoire"), Panel);
    copier->setObjectName(QStringLiteral("copier"));
    copier->setGeometry(184, 44, 153, 17);
    copier->setFont(kw::ui::defaultFont());

    trame = kw::ui::makeStringGrid(Panel, QRect(10, 64, 385, 25), 5, 1, 0, 20);
    trame->setObjectName(QStringLiteral("trame"));
    trame->setSelectionBehavior(QAbstractItemView::SelectRows);
    trame->setEnabled(false);
    kw::ui::setupFrameGrid(trame);

    connect(BitBtn1, &QPushButton::clicked, this, &Tf_destination::BitBtn1Click);
    connect(copier, &QCheckBox::toggled, this, &Tf_destination::copierClick);

    // What screen readers say of the controls.
    station_image->setAccessibleName(QStringLiteral("Station"));
    serveur_image->setAccessibleName(QStringLiteral("Serveur"));
    edit1->setAccessibleName(QStringLiteral("Station réceptrice"));
    trame->setAccessibleName(QStringLiteral("Trame reçue"));
    trame->setAccessibleDescription(QStringLiteral(
        "Adresse MAC du destinataire, adresse MAC de la source, couches LLC et supérieures, FCS"));
    BitBtn1->setAccessibleDescription(QStringLiteral("Vérifie la décision de copie"));

    showView(kw::ui::play().game());
}

void Tf_destination::refresh(const kw::Game& game)
{
    if (controlsBuilt())
        showView(game);
}

void Tf_destination::showView(const kw::Game& game)
{
    const kw::ReceivingView& view = game.view().destination;
    kw::ui::setShown(station_image, !view.server);
    kw::ui::setShown(serveur_image, view.server);
    Panel->setEnabled(view.panelEnabled);
    kw::ui::setShown(BitBtn1, view.doneShown);
    kw::ui::setText(edit1, kw::ui::fromUtf8(view.name));
    if (copier->isChecked() != view.copy) {
        const QSignalBlocker quiet(copier.get());
        copier->setChecked(view.copy);
    }
    kw::ui::showFrame(trame, view.frame);
}

void Tf_destination::FormActivate()
{
    kw::ui::play().act([](kw::Game& g) { return g.activate(kw::Window::Destination); });
}

void Tf_destination::copierClick()
{
    const bool ticked = copier->isChecked();
    kw::ui::play().act([ticked](kw::Game& g) { return g.setCopy(ticked); });
}

void Tf_destination::BitBtn1Click()
{
    kw::ui::play().act([](kw::Game& g) { return g.pressDone(kw::Window::Destination); });
}

void Tf_destination::reject()
{
    kw::ui::play().closeWindow(kw::Window::Destination);
}

void Tf_destination::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (kw::ui::becameActive(this, event))
        FormActivate();
}

void Tf_destination::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (kw::ui::isNewShowing(event))
        kw::ui::focusFirstControl(this);
}
