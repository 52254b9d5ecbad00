#pragma once

#include "kit/deferred.h"

#include <QString>
#include <QWidget>

class QTableWidget;

// Reference list of every station's MAC address, for the whole run. Its grid is built when
// the window first comes on the screen.
class TAdressesMAC : public kw::ui::BuiltWhenExposed<QWidget> {
    Q_OBJECT
public:
    explicit TAdressesMAC(QWidget* parent = nullptr);

    // Row n, column 1 holds the MAC text of station n (1..8).
    QString macOf(int station) const;

    kw::ui::Deferred<QTableWidget> table_MAC{m_controls};

protected:
    void makeControls() override;
    void closeEvent(QCloseEvent* event) override;
};
