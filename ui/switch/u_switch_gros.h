#pragma once

#include "main/deferred.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kw::ui {
class ImageView;
}

// The switch's front, enlarged: the student lights the RX and TX LEDs the frame uses. Its
// controls are built at its first showing.
class Tf_switch_gros : public kw::ui::BuiltWhenShown<QDialog> {
    Q_OBJECT
public:
    // Working: the instruction and "Terminé" are shown. Review: both hidden.
    enum class Mode { Working, Review };

    explicit Tf_switch_gros(QWidget* parent = nullptr);

    void setMode(Mode mode);
    Mode mode() const { return m_mode; }

    // Opens the dialog modally in `mode`; true only when "Terminé" found the LEDs right.
    bool execInMode(Mode mode);

    // Panel1 is enabled exactly while the switch is untreated in this exercise.
    void FormActivate();
    void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void BitBtn1Click();

    // What a new exercise resets in this dialog: every square silver, the dialog closed.
    void resetForNewExercise();

    kw::ui::Deferred<QFrame> Panel1{m_controls};
    kw::ui::Deferred<kw::ui::ImageView> Image1{m_controls};
    kw::ui::Deferred<QLabel> Label1{m_controls};
    kw::ui::Deferred<QPushButton> BitBtn1{m_controls};

protected:
    void makeControls() override;
    void showEvent(QShowEvent* event) override;

private:
    void paintLed(int led, const QColor& colour);

    Mode m_mode = Mode::Working;
};
