#include "u_source.h"

#include "flow.h"
#include "global.h"
#include "main/u_avance.h"
#include "main/widgets.h"
#include "stations.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>

namespace {

const QString copyHint = QStringLiteral("Double click -> Copie l'adresse dans la trame");

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* makePicture(QWidget* parent, const QRect& geometry, const QString& resource)
{
    auto* picture = new QLabel(parent);
    picture->setGeometry(geometry);
    // A picture larger than its place is cut at the right and bottom, not scaled.
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(kw::ui::loadPicture(resource, picture));
    return picture;
}

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
    FormCreate();
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

    station_image = makePicture(Panel, QRect(72, 32, 33, 33), QStringLiteral(":/station.png"));
    station_image->setObjectName(QStringLiteral("station_image"));
    serveur_image = makePicture(Panel, QRect(72, 24, 41, 40), QStringLiteral(":/server.png"));
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

    // The cache is filled once: every address, the broadcast one included, is always known.
    for (int row = 0; row <= kw::BroadcastIndex; ++row) {
        kw::ui::setCell(table_MAC, 0, row, m_cache[static_cast<std::size_t>(row)][0]);
        kw::ui::setCell(table_MAC, 1, row, m_cache[static_cast<std::size_t>(row)][1]);
    }
    kw::ui::setupFrameGrid(trame, QStringLiteral("Couches supérieures"));
    selectCacheRow(m_cacheRow);
    selectFrameColumn(m_frameColumn);

    connect(BitBtn1, &QPushButton::clicked, this, &Tf_source::BitBtn1Click);
    connect(table_MAC, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { cacheCurrentChanged(row); });
    connect(trame, &QTableWidget::currentCellChanged, this,
            [this](int, int column, int, int) { frameCurrentChanged(column); });
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
}

void Tf_source::FormCreate()
{
    // The addresses as configured now, shown in the cache grid once it is built.
    const kw::SharedState& g = kw::global();
    for (int row = 0; row <= kw::BroadcastIndex; ++row)
        m_cache[static_cast<std::size_t>(row)] = {fromUtf8(g.StationTable[row].name),
                                                  fromUtf8(g.StationTable[row].mac)};
}

void Tf_source::FormActivate()
{
    const kw::SharedState& g = kw::global();
    if (!kw::SendingDialogEditable(g.FlowState)) {
        // Review: the frame is shown as it was emitted.
        Panel->setEnabled(false);
        return;
    }
    Panel->setEnabled(true);
    move(g.DialogAnchorLeft + 100, g.DialogAnchorTop + 100);
    const int source = g.CurrentExercise.source;
    edit1->setText(source <= kw::BroadcastIndex ? fromUtf8(g.StationTable[source].name)
                                                : QString());
    kw::ui::setCell(trame, 1, 0, QString());
    kw::ui::setCell(trame, 0, 0, QString());
}

void Tf_source::BitBtn2Click()
{
    kw::StationList cache;
    for (int row = 0; row <= kw::BroadcastIndex; ++row)
        cache[row] = {kw::ui::cell(table_MAC, 0, row).toStdString(),
                      kw::ui::cell(table_MAC, 1, row).toStdString()};
    const kw::CopyResult copy = kw::CopyCachedAddress(m_frameColumn, m_cacheRow, cache);
    switch (copy.outcome) {
    case kw::CopyOutcome::Copied:
        kw::ui::setCell(trame, m_frameColumn, 0, fromUtf8(copy.text));
        break;
    case kw::CopyOutcome::Refused:
        kw::ui::ReportError(fromUtf8(copy.message));
        break;
    case kw::CopyOutcome::Ignored:
        break;
    }
}

void Tf_source::BitBtn1Click()
{
    kw::SharedState& g = kw::global();
    kw::StationList cache;
    for (int row = 0; row <= kw::BroadcastIndex; ++row)
        cache[row].mac = kw::ui::cell(table_MAC, 1, row).toStdString();
    const kw::FrameCheck check =
        kw::CheckEmittedFrame(kw::ui::cell(trame, 0, 0).toStdString(),
                              kw::ui::cell(trame, 1, 0).toStdString(), g.CurrentExercise, cache);
    if (!check.accepted) {
        // The cells stay as the student left them.
        kw::ui::ReportError(fromUtf8(check.message));
        return;
    }
    g.FlowState = kw::flow::MachineEmitted;
    accept();
}

void Tf_source::showView()
{
    kw::ui::showView(this, [this] { FormActivate(); });
}

void Tf_source::resetForNewExercise()
{
    hide();
}

void Tf_source::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!kw::ui::isNewShowing(event))
        return;
    FormActivate();
    // On "Terminé", the default button, while there is one: Enter on a grid would copy.
    if (BitBtn1->isVisibleTo(this) && BitBtn1->isEnabled())
        BitBtn1->setFocus(Qt::OtherFocusReason);
    else
        kw::ui::focusFirstControl(this);
}

bool Tf_source::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == table_MAC || watched == trame) && kw::ui::isEnterKey(event)) {
        // Not the default button: Enter on a grid is the copy.
        if (static_cast<QWidget*>(watched)->isEnabled())
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
    m_cacheRow = row;
    m_restoringSelection = true;
    table_MAC->setCurrentCell(row, 0);
    m_restoringSelection = false;
}

void Tf_source::selectFrameColumn(int column)
{
    m_frameColumn = column;
    trame->setCurrentCell(0, column);
}

void Tf_source::cacheCurrentChanged(int row)
{
    if (m_restoringSelection)
        return;
    if (row >= 1) {
        m_cacheRow = row;
        return;
    }
    // The keyboard may reach the header row: the selection goes back where it was.
    selectCacheRow(m_cacheRow);
}

void Tf_source::frameCurrentChanged(int column)
{
    if (column >= 0)
        m_frameColumn = column;
}
