#include "hubdialog.h"

#include "flow.h"
#include "global.h"
#include "main/picture_accessible.h"
#include "main/u_avance.h"
#include "main/widgets.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int PictureWidth = 415;
constexpr int PictureHeight = 60;

QColor toQColor(kw::Rgb colour)
{
    return QColor(colour.r, colour.g, colour.b);
}

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
}

void HubDialog::FormActivate()
{
    kw::SaveFlowStateOnHubActivation(kw::global());
}

void HubDialog::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    const kw::LedToggle toggle = kw::ToggleHubLed(kw::global(), m_row, x, y);
    if (toggle.led != 0)
        paintLed(toggle.led, toggle.colour);
}

void HubDialog::BitBtn1Click()
{
    const kw::HubCheckResult result = kw::CheckHubLeds(kw::global());
    switch (result.outcome) {
    case kw::HubCheckOutcome::Passed:
        accept();
        break;
    case kw::HubCheckOutcome::WrongRx:
    case kw::HubCheckOutcome::WrongTx:
        kw::ui::ReportError(QString::fromUtf8(result.message.data(),
                                              static_cast<qsizetype>(result.message.size())));
        break;
    case kw::HubCheckOutcome::NoHub:
        break;
    }
}

void HubDialog::PaintHubLeds()
{
    for (const kw::LedPaint& paint : kw::HubLedsToPaint(kw::global().ExpectedHubLeds[m_row]))
        paintLed(paint.led, paint.colour);
}

void HubDialog::showForWork()
{
    Panel->setEnabled(true);
    Label1->show();
    BitBtn1->show();
}

void HubDialog::showForReview()
{
    // A disabled panel keeps the LEDs from reacting.
    Panel->setEnabled(false);
    Label1->hide();
    BitBtn1->hide();
    show();
    raise();
    activateWindow();
}

void HubDialog::resetForNewExercise()
{
    for (int k = 1; k <= kw::LedCount; ++k)
        paintLed(k, kw::colour::Silver);
    hide();
}

void HubDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!kw::ui::isNewShowing(event))
        return;
    FormActivate();
    kw::ui::focusFirstControl(this);
}

void HubDialog::paintLed(int k, kw::Rgb colour)
{
    const kw::LedBox box = kw::LedRect(k);
    if (box.right < box.left)
        return;
    Image1->fillRect(box.left, box.top, box.left + 12, box.top + 12, toQColor(colour));
}
