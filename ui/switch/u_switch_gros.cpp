#include "u_switch_gros.h"

#include "game.h"
#include "kit/picture_accessible.h"
#include "kit/play.h"
#include "kit/widgets.h"
#include "switchleds.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

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

    // The LEDs painted while the picture was not made yet.
    const kw::LedsView& view = kw::ui::play().game().view().switchLeds;
    for (int led = 1; led <= kw::LedCount; ++led)
        if (const std::optional<kw::Rgb>& colour = view.leds[static_cast<std::size_t>(led)])
            paintLed(led, *colour);
    showView(kw::ui::play().game());
}

void Tf_switch_gros::refresh(const kw::Game& game)
{
    if (controlsBuilt())
        showView(game);
}

void Tf_switch_gros::showView(const kw::Game& game)
{
    const kw::LedsView& view = game.view().switchLeds;
    // The LEDs react while the switch is untreated in this exercise.
    Panel1->setEnabled(view.panelEnabled);
    kw::ui::setShown(Label1, view.labelShown);
    kw::ui::setShown(BitBtn1, view.doneShown);
}

void Tf_switch_gros::FormActivate()
{
    kw::ui::play().act([](kw::Game& g) { return g.activate(kw::Window::SwitchGros); });
}

void Tf_switch_gros::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    // Every mouse button toggles alike.
    kw::ui::play().act([=](kw::Game& g) { return g.clickLed(kw::Window::SwitchGros, x, y); });
}

void Tf_switch_gros::BitBtn1Click()
{
    kw::ui::play().act([](kw::Game& g) { return g.pressDone(kw::Window::SwitchGros); });
}

void Tf_switch_gros::reject()
{
    kw::ui::play().closeWindow(kw::Window::SwitchGros);
}

void Tf_switch_gros::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (kw::ui::becameActive(this, event))
        FormActivate();
}

void Tf_switch_gros::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (kw::ui::isNewShowing(event))
        kw::ui::focusFirstControl(this);
}

void Tf_switch_gros::paintLed(int led, kw::Rgb colour)
{
    // Without its picture there is nothing to paint on.
    if (Image1->canvas().isNull())
        return;
    const kw::SwitchLedRect square = kw::SwitchLedSquare(led);
    Image1->fillRect(square.left, square.top, square.left + square.width,
                     square.top + square.height, kw::ui::toQColor(colour));
}
