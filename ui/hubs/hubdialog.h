#pragma once

// What the two hub LED dialogs share: the LED picture, the student's LED clicks, the check of
// "Terminé", the review view and the reset for a new exercise. Each dialog adds only its layout
// and the LED row its clicks change.

#include "hubs.h"
#include "main/deferred.h"

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

    // SavedFlowState := FlowState; run each time the dialog is shown.
    void FormActivate();
    // ToggleHubLed on this dialog's row; every mouse button acts alike.
    void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // CheckHubLeds: closes the dialog when the LEDs are right, else reports the error.
    void BitBtn1Click();
    // Paints the lit LEDs of ExpectedHubLeds for this dialog's hub.
    void PaintHubLeds();

    // Working view: LEDs react, label and "Terminé" shown.
    void showForWork();
    // Read-only view of a hub already treated, shown modeless.
    void showForReview();

    // A new exercise: every LED window silver, the dialog closed.
    void resetForNewExercise();

    kw::ui::Deferred<QFrame> Panel{m_controls};
    kw::ui::Deferred<kw::ui::ImageView> Image1{m_controls};
    kw::ui::Deferred<QLabel> Label1{m_controls};
    kw::ui::Deferred<QPushButton> BitBtn1{m_controls};

protected:
    void makeControls() override;
    void showEvent(QShowEvent* event) override;

private:
    void paintLed(int k, kw::Rgb colour);

    int m_row;
    HubDialogLayout m_layout;
};
