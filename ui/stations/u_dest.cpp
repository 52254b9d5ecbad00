#include "u_dest.h"

#include "flow.h"
#include "global.h"
#include "main/u_avance.h"
#include "main/widgets.h"
#include "stations.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Name or MAC text of a table index; an index from a faulty exercise file shows nothing.
const kw::StationEntry* entryOf(int index)
{
    if (index < 0 || index > kw::BroadcastIndex)
        return nullptr;
    return &kw::global().StationTable[index];
}

QString nameOf(int index)
{
    const kw::StationEntry* entry = entryOf(index);
    return entry ? fromUtf8(entry->name) : QString();
}

QString macOf(int index)
{
    const kw::StationEntry* entry = entryOf(index);
    return entry ? fromUtf8(entry->mac) : QString();
}

QLabel* makePicture(QWidget* parent, const QRect& geometry, const QString& resource)
{
    auto* picture = new QLabel(parent);
    picture->setGeometry(geometry);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(kw::ui::loadPicture(resource, picture));
    return picture;
}

} // namespace

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

    serveur_image = makePicture(Panel, QRect(8, 8, 41, 40), QStringLiteral(":/server.png"));
    serveur_image->setObjectName(QStringLiteral("serveur_image"));
    station_image = makePicture(Panel, QRect(16, 8, 34, 33), QStringLiteral(":/station.png"));
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
    kw::ui::setupFrameGrid(trame, kw::ui::layersText());

    connect(BitBtn1, &QPushButton::clicked, this, &Tf_destination::BitBtn1Click);

    // What screen readers say of the controls.
    station_image->setAccessibleName(QStringLiteral("Station"));
    serveur_image->setAccessibleName(QStringLiteral("Serveur"));
    edit1->setAccessibleName(QStringLiteral("Station réceptrice"));
    trame->setAccessibleName(QStringLiteral("Trame reçue"));
    trame->setAccessibleDescription(QStringLiteral(
        "Adresse MAC du destinataire, adresse MAC de la source, couches LLC et supérieures, FCS"));
    BitBtn1->setAccessibleDescription(QStringLiteral("Vérifie la décision de copie"));
}

void Tf_destination::FormActivate()
{
    const kw::SharedState& g = kw::global();
    const int clicked = g.ClickedStation;
    const int destination = g.CurrentExercise.destination;
    const bool copied = clicked >= 1 && clicked <= kw::StationCount && g.BroadcastCopied[clicked];
    const bool editable = kw::ReceivingDialogEditable(g.FlowState, destination, copied);
    Panel->setEnabled(editable);
    BitBtn1->setVisible(editable);
    move(g.DialogAnchorLeft + 100, g.DialogAnchorTop + 100);
    edit1->setText(nameOf(clicked));
    // The frame is always shown from the table, never from the sending dialog's cells.
    kw::ui::setCell(trame, 0, 0, macOf(destination));
    kw::ui::setCell(trame, 1, 0, macOf(g.CurrentExercise.source));
}

void Tf_destination::BitBtn1Click()
{
    kw::SharedState& g = kw::global();
    const kw::CopyDecision decision =
        kw::CheckCopyDecision(g.ClickedStation, copier->isChecked(), g.CurrentExercise, g);
    if (decision.close) {
        accept();
        return;
    }
    if (!decision.message.empty())
        kw::ui::ReportError(fromUtf8(decision.message));
}

void Tf_destination::showView()
{
    kw::ui::showView(this, [this] { FormActivate(); });
}

void Tf_destination::resetForNewExercise()
{
    hide();
}

void Tf_destination::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!kw::ui::isNewShowing(event))
        return;
    FormActivate();
    kw::ui::focusFirstControl(this);
}
