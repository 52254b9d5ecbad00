#pragma once

// What the two hub LED dialogs share: the LED picture, the student's LED clicks and
// "Terminé". Each dialog adds only its layout and the hub it stands for.

#include "game.h"
#include "kit/deferred.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

namespace kw::ui {
class ImageView;
}

// Where one hub dialog puts its widgets (pixels; `Panel` and its children).
struct HubDialogLayout {
    QString objectName;
    QString caption;
    QSize outerSize;
    bool centredOnScreen = false;
    QPoint topLeft; // when not centred
    QSize panel;
    QPoint label;
    QPoint image;
    QRect button;
};

// Its controls are built at its first showing.
class HubDialog : public kw::ui::BuiltWhenShown<QDialog> {
    Q_OBJECT
public:
    // `row`: the hub (1 or 2) whose LedState row the LED clicks change.
    HubDialog(int row, const HubDialogLayout& layout, QWidget* parent = nullptr);

    int ledRow() const { return m_row; }
    kw::Window window() const { return m_row == 1 ? kw::Window::Hub1 : kw::Window::Hub2; }

    // The student has switched to the dialog from another window of the program.
    void FormActivate();
    // A click on the LED picture; every mouse button acts alike.
    void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // "Terminé": closes the dialog when the LEDs are right, else the error is reported.
    void BitBtn1Click();
    // The close box, or Escape.
    void reject() override;

    // Fills the square of LED k (1..8) with `colour`.
    void paintLed(int k, kw::Rgb colour);
    // Shows what the game's view holds for this dialog.
    void refresh(const kw::Game& game);

    kw::ui::Deferred<QFrame> Panel{m_controls};
    kw::ui::Deferred<kw::ui::ImageView> Image1{m_controls};
    kw::ui::Deferred<QLabel> Label1{m_controls};
    kw::ui::Deferred<QPushButton> BitBtn1{m_controls};

protected:
    void makeControls() override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showView(const kw::Game& game);
    int m_row;
    HubDialogLayout m_layout;
};
