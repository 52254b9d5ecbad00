#include "hubdialog.h"

#include "hubs.h"
#include "kit/picture_accessible.h"
#include "kit/play.h"
#include "kit/widgets.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int PictureWidth = 415;
constexpr int PictureHeight = 60;

} // namespace

HubDialog::HubDialog(int row, const HubDialogLayout& layout, QWidget* parent)
    : BuiltWhenShown(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                 Qt::WindowCloseButtonHint),
      m_row(row), m_layout(layout)
{
    setObjectName(layout.objectName);
    setWindowTitle(layout.caption);
    setFont(kw::ui::defaultFont());
    resize(kw::ui::clientSize(layout.outerSize, kw::ui::WindowFrame::Sizeable));
    if (layout.centredOnScreen)
        kw::ui::centreOnScreen(this, kw::ui::WindowFrame::Sizeable);
    else
        move(layout.topLeft);
    setAccessibleDescription(
        QStringLiteral("Allumer les leds RX et TX des ports du hub, puis cliquer sur Terminé"));
}

void HubDialog::makeControls()
{
    const HubDialogLayout& layout = m_layout;
    Panel = new QFrame(this);
    Panel->setObjectName(QStringLiteral("Panel"));
    Panel->setFrameStyle(QFrame::NoFrame);
    Panel->setGeometry(QRect(QPoint(0, 0), layout.panel));

    Image1 = new kw::ui::ImageView(Panel, QRect(layout.image, QSize(417, 65)),
                                   QStringLiteral(":/hub_leds.png"));
    Image1->setObjectName(QStringLiteral("Image1"));
    if (Image1->canvas().isNull()) {
        // Without its picture the dialog still shows the LEDs the student lights.
        Image1->canvas() = QImage(PictureWidth, PictureHeight, QImage::Format_RGB32);
        Image1->canvas().fill(QColor(204, 204, 204));
    }
    connect(Image1, &kw::ui::ImageView::mouseDown, this, &HubDialog::Image1MouseDown);

    Label1 = kw::ui::makeLabel(Panel, layout.label.x(), layout.label.y(),
                               QStringLiteral("Cliquer  sur  les  leds  actives"));
    Label1->setObjectName(QStringLiteral("Label1"));

    BitBtn1 = kw::ui::makeTickButton(Panel, layout.button, QStringLiteral("Terminé"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &HubDialog::BitBtn1Click);

    // What screen readers say of the controls.
    kw::ui::makeLedPictureAccessible(Image1, QStringLiteral("Leds du hub %1").arg(m_row),
                                     kw::ui::LedPicture::Hub);
    BitBtn1->setAccessibleDescription(QStringLiteral("Vérifie les leds allumées"));

    // The LEDs painted while the picture was not made yet.
    const kw::LedsView& view = kw::ui::play().game().view().hubs[static_cast<std::size_t>(m_row)];
    for (int k = 1; k <= kw::LedCount; ++k)
        if (const std::optional<kw::Rgb>& colour = view.leds[static_cast<std::size_t>(k)])
            paintLed(k, *colour);
    showView(kw::ui::play().game());
}

void HubDialog::refresh(const kw::Game& game)
{
    if (controlsBuilt())
        showView(game);
}

void HubDialog::showView(const kw::Game& game)
{
    const kw::LedsView& view = game.view().hubs[static_cast<std::size_t>(m_row)];
    // A disabled panel keeps the LEDs from reacting.
    Panel->setEnabled(view.panelEnabled);
    kw::ui::setShown(Label1, view.labelShown);
    kw::ui::setShown(BitBtn1, view.doneShown);
}

void HubDialog::FormActivate()
{
    const kw::Window hub = window();
    kw::ui::play().act([hub](kw::Game& g) { return g.activate(hub); });
}

void HubDialog::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    const kw::Window hub = window();
    kw::ui::play().act([=](kw::Game& g) { return g.clickLed(hub, x, y); });
}

void HubDialog::BitBtn1Click()
{
    const kw::Window hub = window();
    kw::ui::play().act([hub](kw::Game& g) { return g.pressDone(hub); });
}

void HubDialog::reject()
{
    kw::ui::play().closeWindow(window());
}

void HubDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (kw::ui::becameActive(this, event))
        FormActivate();
}

void HubDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (kw::ui::isNewShowing(event))
        kw::ui::focusFirstControl(this);
}

void HubDialog::paintLed(int k, kw::Rgb colour)
{
    const kw::LedBox box = kw::LedRect(k);
    if (box.right < box.left)
        return;
    Image1->fillRect(box.left, box.top, box.left + 12, box.top + 12, kw::ui::toQColor(colour));
}
