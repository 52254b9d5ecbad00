#pragma once

#include <QWidget>

class QTableWidget;

// Reference list of every station's MAC address, for the whole run.
class TAdressesMAC : public QWidget {
    Q_OBJECT
public:
    explicit TAdressesMAC(QWidget* parent = nullptr);

    // Row n, column 1 holds the MAC text of station n (1..8).
    QString macOf(int station) const;

    QTableWidget* table_MAC = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
};
