#include "u_MACs.h"

#include "game.h"
#include "kit/play.h"
#include "kit/widgets.h"

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

    // What screen readers say of the window, also while it is minimised.
    setAccessibleName(windowTitle());
    setAccessibleDescription(QStringLiteral("Les adresses MAC de toutes les stations"));
}

void TAdressesMAC::makeControls()
{
    const auto& stations = kw::ui::play().game().stations();
    table_MAC = kw::ui::makeStringGrid(this, QRect(0, 0, 191, 217), 2, 10, 1, 20);
    table_MAC->setObjectName(QStringLiteral("table_MAC"));
    table_MAC->setSelectionBehavior(QAbstractItemView::SelectItems);
    for (int row = 0; row <= kw::BroadcastIndex; ++row) {
        QTableWidgetItem* first = table_MAC->item(row, 0);
        first->setText(kw::ui::fromUtf8(stations[row].name));
        // The first column is fixed like the heading row.
        first->setFlags(Qt::ItemIsEnabled);
        first->setBackground(table_MAC->palette().button());
        kw::ui::setCell(table_MAC, 1, row, macOf(row));
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
    // The station table, with its heading: the addresses never change during a run.
    if (station < 0 || station > kw::BroadcastIndex)
        return {};
    return kw::ui::fromUtf8(kw::ui::play().game().stations()[station].mac);
}

void TAdressesMAC::closeEvent(QCloseEvent* event)
{
    event->ignore();
}
