#pragma once

#include "switchtable.h"

#include <QDialog>

class QFrame;
class QGroupBox;
class QLabel;
class QRadioButton;
class QTableWidget;

namespace kw::ui {
class ImageView;
}

// The switch at work: the student learns the sender into the address table, looks the
// destination up, then emits through the LED dialog. The table lives for the whole run.
class Tf_switch : public QDialog {
    Q_OBJECT
public:
    explicit Tf_switch(QWidget* parent = nullptr);

    // Shows the received frame (each time the dialog is shown).
    void FormActivate();
    // Double-click on the frame or on a port button: the entry row takes the selected field.
    void bouton_majClick();
    // Click on the switch picture: checks steps 1) and 2), then the LEDs, then commits.
    void image_switchClick();

    // Review shows everything but leaves only the switch picture usable.
    void setReviewMode(bool review);

    // What a new exercise resets in this dialog: the frame's selected column, and closed.
    void resetForNewExercise();

    // The radio buttons as the rules see them.
    int updatePort() const; // 0 when no port button is checked
    kw::ForwardingChoice forwardingChoice() const;
    int selectedColumn() const;

    const kw::SwitchTable& switchTable() const { return m_table; }
    const kw::FrameRow& frameRow() const { return m_frame; }

    QFrame* Panel = nullptr;
    QLabel* Label4 = nullptr;
    QTableWidget* trame = nullptr;
    QLabel* Label1 = nullptr;
    QTableWidget* table_ports = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* port1 = nullptr;
    QRadioButton* port2 = nullptr;
    QRadioButton* port3 = nullptr;
    QRadioButton* port4 = nullptr;
    QGroupBox* dest_via = nullptr;
    QRadioButton* b_d1 = nullptr;
    QRadioButton* b_d2 = nullptr;
    QRadioButton* b_d3 = nullptr;
    QRadioButton* b_d4 = nullptr;
    QRadioButton* b_dinconnu = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    kw::ui::ImageView* image_switch = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTable();
    void showFrame();

    kw::SwitchTable m_table;
    kw::FrameRow m_frame;
};
