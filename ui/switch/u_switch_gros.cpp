#include "u_switch_gros.h"

#include "U_switch.h"
#include "global.h"
#include "main/picture_accessible.h"
#include "main/seam.h"
#include "main/u_avance.h"
#include "main/widgets.h"
#include "main/windows.h"
#include "switchleds.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

QColor toQColor(const kw::Rgb& colour)
{
    return QColor(colour.r, colour.g, colour.b);
}

} // namespace

Tf_switch_gros::Tf_switch_gros(QWidget* parent) : BuiltWhenShown(parent)
{
    setObjectName(QStringLiteral("f_switch_gros"));
    setWindowTitle(QStringLiteral("Leds du  switch"));
    setFont(kw::ui::defaultFont());
    resize(kw::ui::clientSize(QSize(438, 138), kw::ui::WindowFrame::Sizeable));
    move(290, 436);
    setAccessibleDescription(
        QStringLiteral("Allumer les leds TX et RX des ports du switch, puis cliquer sur Terminé"));
}

void Tf_switch_gros::makeControls()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 428, 107);
    Panel1->setFrameStyle(QFrame::NoFrame);

    Image1 =
        new kw::ui::ImageView(Panel1, QRect(8, 8, 415, 60), QStringLiteral(":/switch_leds.png"));
    Image1->setObjectName(QStringLiteral("Image1"));

    Label1 =
        kw::ui::makeLabel(Panel1, 40, 80, QStringLiteral("Cliquer  sur  les  leds  actives"), true);
    Label1->setObjectName(QStringLiteral("Label1"));

    BitBtn1 = kw::ui::makeTickButton(Panel1, QRect(256, 72, 121, 33), QStringLiteral("Terminé"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);

    connect(Image1, &kw::ui::ImageView::mouseDown, this, &Tf_switch_gros::Image1MouseDown);
    connect(BitBtn1, &QPushButton::clicked, this, &Tf_switch_gros::BitBtn1Click);

    // What screen readers say of the controls.
    kw::ui::makeLedPictureAccessible(Image1, QStringLiteral("Leds du switch"),
                                     kw::ui::LedPicture::Switch);
    BitBtn1->setAccessibleDescription(QStringLiteral("Vérifie les leds allumées"));
}

void Tf_switch_gros::setMode(Mode mode)
{
    m_mode = mode;
    const bool working = mode == Mode::Working;
    Label1->setVisible(working);
    BitBtn1->setVisible(working);
}

bool Tf_switch_gros::execInMode(Mode mode)
{
    setMode(mode);
    return kw::seam::execModal(this) == QDialog::Accepted;
}

void Tf_switch_gros::FormActivate()
{
    const Tf_avance* avance = kw::ui::windows().f_avance;
    const bool treated = avance && avance->_switch->isChecked();
    Panel1->setEnabled(!treated);
}

void Tf_switch_gros::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    // Every mouse button toggles alike.
    const kw::SwitchLedToggle toggle = kw::ToggleSwitchLed(kw::global().LedState[3], x, y);
    if (toggle.led != 0)
        paintLed(toggle.led, toQColor(toggle.colour));
}

void Tf_switch_gros::BitBtn1Click()
{
    const Tf_switch* switchDialog = kw::ui::windows().f_switch;
    const kw::ForwardingChoice choice =
        switchDialog ? switchDialog->forwardingChoice() : kw::ForwardingChoice::None;
    const kw::SwitchLedCheck check = kw::CheckSwitchLeds(kw::global(), choice);
    for (const std::string& message : check.messages)
        kw::ui::ReportError(QString::fromStdString(message));
    if (check.success)
        accept();
}

void Tf_switch_gros::resetForNewExercise()
{
    // The flags themselves are cleared with the rest of the exercise state.
    for (int led = 1; led <= kw::LedCount; ++led)
        paintLed(led, toQColor(kw::colour::Silver));
    hide();
}

void Tf_switch_gros::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!kw::ui::isNewShowing(event))
        return;
    FormActivate();
    kw::ui::focusFirstControl(this);
}

void Tf_switch_gros::paintLed(int led, const QColor& colour)
{
    // Without its picture there is nothing to paint on.
    if (Image1->canvas().isNull())
        return;
    const kw::SwitchLedRect square = kw::SwitchLedSquare(led);
    Image1->fillRect(square.left, square.top, square.left + square.width,
                     square.top + square.height, colour);
}
