#include "u_MACs.h"

#include "global.h"
#include "main/widgets.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QScreen>
#include <QTableWidget>

TAdressesMAC::TAdressesMAC(QWidget* parent)
    : BuiltWhenExposed(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                                   Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("AdressesMAC"));
    setWindowTitle(QStringLiteral("Adresses MAC"));
    setFont(kw::ui::defaultFont());
    setFixedSize(191, 218);
    kw::ui::centreOnScreen(this, kw::ui::WindowFrame::Fixed);
    FormCreate();

    // What screen readers say of the window, also while it is minimised.
    setAccessibleName(windowTitle());
    setAccessibleDescription(QStringLiteral("Les adresses MAC de toutes les stations"));
}

void TAdressesMAC::FormCreate()
{
    // The heading and the broadcast address are this window's own texts.
    const kw::SharedState& g = kw::global();
    m_addresses[0] = QStringLiteral("adresses MAC");
    for (int station = 1; station <= kw::StationCount; ++station)
        m_addresses[static_cast<std::size_t>(station)] =
            QString::fromStdString(g.StationTable[station].mac);
    m_addresses[kw::BroadcastIndex] = QStringLiteral("FF-FF-FF-FF-FF-FF");
}

void TAdressesMAC::makeControls()
{
    static const char16_t* const names[] = {u"",          u"Machine 1", u"Machine 2", u"Machine 3",
                                            u"Machine 4", u"Machine 5", u"Machine 6", u"ServeurA",
                                            u"ServeurB",  u"Broadcast"};
    table_MAC = kw::ui::makeStringGrid(this, QRect(0, 0, 191, 217), 2, 10, 1, 20);
    table_MAC->setObjectName(QStringLiteral("table_MAC"));
    table_MAC->setSelectionBehavior(QAbstractItemView::SelectItems);
    for (int row = 0; row <= kw::BroadcastIndex; ++row) {
        QTableWidgetItem* first = table_MAC->item(row, 0);
        first->setText(QString::fromUtf16(names[row]));
        // The first column is fixed like the heading row.
        first->setFlags(Qt::ItemIsEnabled);
        first->setBackground(table_MAC->palette().button());
        kw::ui::setCell(table_MAC, 1, row, m_addresses[static_cast<std::size_t>(row)]);
    }
    kw::ui::setColumnWidths(table_MAC, {table_MAC->width() - 106, 98});
    // The keyboard starts on the first address, not on the headings; nothing is selected.
    table_MAC->selectionModel()->setCurrentIndex(table_MAC->model()->index(1, 1),
                                                 QItemSelectionModel::NoUpdate);

    table_MAC->setAccessibleName(QStringLiteral("Adresses MAC"));
    table_MAC->setAccessibleDescription(
        QStringLiteral("Nom de chaque station et son adresse MAC, Broadcast compris"));
}

QString TAdressesMAC::macOf(int station) const
{
    // What the grid shows, without building it: the switch reads it at start-up.
    if (station < 0 || station > kw::BroadcastIndex)
        return {};
    return m_addresses[static_cast<std::size_t>(station)];
}

void TAdressesMAC::closeEvent(QCloseEvent* event)
{
    event->ignore();
}
