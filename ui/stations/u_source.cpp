#include "u_source.h"

#include "game.h"
#include "kit/play.h"
#include "kit/widgets.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>

namespace {

const QString copyHint = QStringLiteral("Double click -> Copie l'adresse dans la trame");

} // namespace

Tf_source::Tf_source(QWidget* parent)
    : BuiltWhenShown(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("f_source"));
    setWindowTitle(QStringLiteral("Noeud émetteur"));
    setFont(kw::ui::defaultFont());
    setFixedSize(406, 340);
    setAccessibleDescription(QStringLiteral("Station émettrice : copier dans la trame les adresses "
                                            "MAC du destinataire et de la source, puis Terminé"));
}

void Tf_source::makeControls()
{
    // One panel holds everything, so disabling it disables the whole dialog.
    Panel = new QWidget(this);
    Panel->setObjectName(QStringLiteral("Panel"));
    Panel->setGeometry(0, 0, 409, 345);
    Panel->setAutoFillBackground(true);
    QPalette white = Panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel->setPalette(white);

    station_image =
        kw::ui::makePicture(Panel, QRect(72, 32, 33, 33), QStringLiteral(":/station.png"));
    station_image->setObjectName(QStringLiteral("station_image"));
    serveur_image =
        kw::ui::makePicture(Panel, QRect(72, 24, 41, 40), QStringLiteral(":/server.png"));
    serveur_image->setObjectName(QStringLiteral("serveur_image"));
    serveur_image->setToolTip(copyHint);

    edit1 = new QLineEdit(Panel);
    edit1->setObjectName(QStringLiteral("edit1"));
    edit1->setGeometry(64, 72, 73, 21);
    edit1->setFont(kw::ui::defaultFont(true));
    edit1->setFrame(false);
    edit1->setReadOnly(true);
    edit1->setEnabled(false);

    BitBtn1 = kw::ui::makeTickButton(Panel, QRect(32, 136, 121, 33), QStringLiteral("Terminé"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);

    Label2 = kw::ui::makeLabel(Panel, 216, 5, QStringLiteral("Adresses connues ( en cache )"));
    Label2->setObjectName(QStringLiteral("Label2"));

    table_MAC = kw::ui::makeStringGrid(Panel, QRect(194, 25, 199, 224), 2, 10, 1, 20);
    table_MAC->setObjectName(QStringLiteral("table_MAC"));
    table_MAC->setSelectionBehavior(QAbstractItemView::SelectRows);
    kw::ui::setColumnWidths(table_MAC, {table_MAC->width() - 106, 98});
    table_MAC->setToolTip(copyHint);

    Label1 = kw::ui::makeLabel(
        Panel, 16, 288, QStringLiteral("Trame à émettre.          Compléter  avec les adresses"),
        true);
    Label1->setObjectName(QStringLiteral("Label1"));

    trame = kw::ui::makeStringGrid(Panel, QRect(10, 312, 385, 25), 5, 1, 0, 20);
    trame->setObjectName(QStringLiteral("trame"));
    trame->setSelectionBehavior(QAbstractItemView::SelectItems);
    trame->setToolTip(copyHint);

    kw::ui::setupFrameGrid(trame);

    connect(BitBtn1, &QPushButton::clicked, this, &Tf_source::BitBtn1Click);
    // The keyboard may reach the header row: the game keeps the row selected before, and the
    // grid shows it again.
    connect(table_MAC, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { selectCacheRow(row); });
    connect(trame, &QTableWidget::currentCellChanged, this, [this](int, int column, int, int) {
        if (column >= 0)
            selectFrameColumn(column);
    });
    // Double-clicks are taken before the grids see them: the header row must never take
    // the selection, and a double-click anywhere on a grid copies.
    table_MAC->viewport()->installEventFilter(this);
    trame->viewport()->installEventFilter(this);
    // Enter on either grid copies as a double-click does. A click does not give the grids the
    // focus, so that for the mouse Enter stays "Terminé", the default button, as ever; the
    // keyboard reaches them with Tab.
    table_MAC->installEventFilter(this);
    trame->installEventFilter(this);
    table_MAC->setFocusPolicy(Qt::TabFocus);
    trame->setFocusPolicy(Qt::TabFocus);
    // Reading order: the cache at the top, "Terminé" on its left, the frame at the bottom.
    setTabOrder(table_MAC, BitBtn1);
    setTabOrder(BitBtn1, trame);

    // What screen readers say of the controls.
    station_image->setAccessibleName(QStringLiteral("Station"));
    serveur_image->setAccessibleName(QStringLiteral("Serveur"));
    edit1->setAccessibleName(QStringLiteral("Station émettrice"));
    table_MAC->setAccessibleName(QStringLiteral("Adresses connues ( en cache )"));
    table_MAC->setAccessibleDescription(copyHint);
    trame->setAccessibleName(QStringLiteral("Trame à émettre"));
    trame->setAccessibleDescription(QStringLiteral(
        "Adresse MAC du destinataire, adresse MAC de la source, couches supérieures, FCS"));
    BitBtn1->setAccessibleDescription(QStringLiteral("Vérifie la trame et l'émet"));

    showView(kw::ui::play().game());
}

void Tf_source::refresh(const kw::Game& game)
{
    if (controlsBuilt())
        showView(game);
}

void Tf_source::showView(const kw::Game& game)
{
    const kw::SendingView& view = game.view().source;
    kw::ui::setShown(station_image, !view.server);
    kw::ui::setShown(serveur_image, view.server);
    kw::ui::setText(edit1, kw::ui::fromUtf8(view.name));
    Panel->setEnabled(view.panelEnabled);
    kw::ui::setShown(BitBtn1, view.doneShown);
    kw::ui::setShown(Label1, view.labelShown);
    // The cache: every address, the broadcast one included, is always known.
    const auto& stations = game.stations();
    for (int row = 0; row <= kw::BroadcastIndex; ++row) {
        kw::ui::setCell(table_MAC, 0, row, kw::ui::fromUtf8(stations[row].name));
        kw::ui::setCell(table_MAC, 1, row, kw::ui::fromUtf8(stations[row].mac));
    }
    kw::ui::showFrame(trame, view.frame);
    kw::ui::setCurrentCell(table_MAC, 0, view.cacheRow);
    kw::ui::setCurrentCell(trame, view.frameColumn, 0);
}

int Tf_source::selectedFrameColumn() const
{
    return kw::ui::play().game().view().source.frameColumn;
}

int Tf_source::selectedCacheRow() const
{
    return kw::ui::play().game().view().source.cacheRow;
}

void Tf_source::FormActivate()
{
    kw::ui::play().act([](kw::Game& g) { return g.activate(kw::Window::Source); });
}

void Tf_source::BitBtn2Click()
{
    kw::ui::play().act([](kw::Game& g) { return g.copyAddress(); });
}

void Tf_source::BitBtn1Click()
{
    kw::ui::play().act([](kw::Game& g) { return g.pressDone(kw::Window::Source); });
}

void Tf_source::reject()
{
    kw::ui::play().closeWindow(kw::Window::Source);
}

void Tf_source::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (kw::ui::becameActive(this, event))
        FormActivate();
}

void Tf_source::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!kw::ui::isNewShowing(event))
        return;
    // On "Terminé", the default button, while there is one: Enter on a grid would copy.
    if (BitBtn1->isVisibleTo(this) && BitBtn1->isEnabled())
        BitBtn1->setFocus(Qt::OtherFocusReason);
    else
        kw::ui::focusFirstControl(this);
}

bool Tf_source::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == table_MAC || watched == trame) && kw::ui::isEnterKey(event)) {
        // Not the default button: Enter on a grid is the copy, once per press.
        if (static_cast<QWidget*>(watched)->isEnabled() &&
            !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            BitBtn2Click();
        return true;
    }
    const bool onCache = watched == table_MAC->viewport();
    const bool onFrame = watched == trame->viewport();
    if (!onCache && !onFrame)
        return QDialog::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseMove)
        return QDialog::eventFilter(watched, event);
    // The filter sees events before the widget drops them: a disabled grid stays inert.
    if (!static_cast<QWidget*>(watched)->isEnabled())
        return QDialog::eventFilter(watched, event);

    const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
    if (onCache) {
        const int row = table_MAC->rowAt(pos.y());
        if (type == QEvent::MouseButtonDblClick) {
            // The header row keeps the row selected before.
            if (row >= 1)
                selectCacheRow(row);
            BitBtn2Click();
            return true;
        }
        // Presses and drags on the header row would take the selection away.
        return row == 0;
    }
    if (type == QEvent::MouseButtonDblClick) {
        const int column = trame->columnAt(pos.x());
        if (column >= 0 && trame->rowAt(pos.y()) == 0)
            selectFrameColumn(column);
        BitBtn2Click();
        return true;
    }
    return false;
}

void Tf_source::selectCacheRow(int row)
{
    kw::ui::play().act([row](kw::Game& g) { return g.selectCacheRow(row); });
}

void Tf_source::selectFrameColumn(int column)
{
    kw::ui::play().act([column](kw::Game& g) { return g.selectFrameColumn(column); });
}
