#pragma once

#include "global.h"
#include "kit/deferred.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kw {
class Game;
}

namespace kw::ui {
class ImageView;
}

// The switch's front, enlarged: the student lights the RX and TX LEDs the frame uses. Its
// controls are built at its first showing.
class Tf_switch_gros : public kw::ui::BuiltWhenShown<QDialog> {
    Q_OBJECT
public:
    explicit Tf_switch_gros(QWidget* parent = nullptr);

    // The student has switched to the dialog from another window of the program.
    void FormActivate();
    void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void BitBtn1Click();
    // The close box, or Escape.
    void reject() override;

    // Fills the square of LED `led` (1..8) with `colour`.
    void paintLed(int led, kw::Rgb colour);
    // Shows what the game's view holds for this dialog.
    void refresh(const kw::Game& game);

    kw::ui::Deferred<QFrame> Panel1{m_controls};
    kw::ui::Deferred<kw::ui::ImageView> Image1{m_controls};
    kw::ui::Deferred<QLabel> Label1{m_controls};
    kw::ui::Deferred<QPushButton> BitBtn1{m_controls};

protected:
    void makeControls() override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showView(const kw::Game& game);
};
