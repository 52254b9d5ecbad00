#pragma once

#include "kit/deferred.h"
#include "switchtable.h"

#include <QDialog>

class QFrame;
class QGroupBox;
class QLabel;
class QRadioButton;
class QTableWidget;

namespace kw {
class Game;
}

namespace kw::ui {
class ImageView;
}

// The switch at work: the student learns the sender into the address table, looks the
// destination up, then emits through the LED dialog. The table lives for the whole run, in the
// game; the controls that show it are built at the dialog's first showing.
class Tf_switch : public kw::ui::BuiltWhenShown<QDialog> {
    Q_OBJECT
public:
    explicit Tf_switch(QWidget* parent = nullptr);

    // The student has switched to the dialog from another window of the program.
    void FormActivate();
    // Double-click on the frame or on a port button: the entry row takes the selected field.
    void bouton_majClick();
    // Click on the switch picture: checks steps 1) and 2), then the LEDs, then commits.
    void image_switchClick();
    // The close box, or Escape.
    void reject() override;

    // The radio buttons as the rules see them.
    int updatePort() const; // 0 when no port button is checked
    kw::ForwardingChoice forwardingChoice() const;
    int selectedColumn() const;

    const kw::SwitchTable& switchTable() const;
    const kw::FrameRow& frameRow() const;

    // Shows what the game's view holds for this dialog.
    void refresh(const kw::Game& game);

    kw::ui::Deferred<QFrame> Panel{m_controls};
    kw::ui::Deferred<QLabel> Label4{m_controls};
    kw::ui::Deferred<QTableWidget> trame{m_controls};
    kw::ui::Deferred<QLabel> Label1{m_controls};
    kw::ui::Deferred<QTableWidget> table_ports{m_controls};
    kw::ui::Deferred<QFrame> Panel1{m_controls};
    kw::ui::Deferred<QLabel> Label3{m_controls};
    kw::ui::Deferred<QLabel> Label6{m_controls};
    kw::ui::Deferred<QLabel> Label5{m_controls};
    kw::ui::Deferred<QLabel> Label2{m_controls};
    kw::ui::Deferred<QRadioButton> port1{m_controls};
    kw::ui::Deferred<QRadioButton> port2{m_controls};
    kw::ui::Deferred<QRadioButton> port3{m_controls};
    kw::ui::Deferred<QRadioButton> port4{m_controls};
    kw::ui::Deferred<QGroupBox> dest_via{m_controls};
    kw::ui::Deferred<QRadioButton> b_d1{m_controls};
    kw::ui::Deferred<QRadioButton> b_d2{m_controls};
    kw::ui::Deferred<QRadioButton> b_d3{m_controls};
    kw::ui::Deferred<QRadioButton> b_d4{m_controls};
    kw::ui::Deferred<QRadioButton> b_dinconnu{m_controls};
    kw::ui::Deferred<QGroupBox> GroupBox2{m_controls};
    kw::ui::Deferred<kw::ui::ImageView> image_switch{m_controls};

protected:
    void makeControls() override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showView(const kw::Game& game);
    void chooseUpdatePort(int port);
    void chooseForwarding(kw::ForwardingChoice choice);
};
