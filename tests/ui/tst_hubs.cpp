// The hub step: when a hub may be treated, its LED dialogs, the automatic passes and the
// yellow repetition on the cables.

#include "student.h"

#include "app/windows.h"
#include "diagram.h"
#include "flow.h"
#include "global.h"
#include "hubs.h"
#include "hubs/hubdialog.h"
#include "hubs/u_hub.h"
#include "hubs/u_hub2.h"
#include "kit/widgets.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "stations/u_source.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

#include <algorithm>

using kw::test::Program;
using kw::ui::windows;

namespace {

const QByteArray imposedIni = "[parametres]\r\nquestions=.\r\n";

const QRgb Green = qRgb(0, 128, 0);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Silver = qRgb(192, 192, 192);
const QRgb LightGrey = qRgb(204, 204, 204);
const QRgb Yellow = qRgb(255, 255, 0);

QString fromUtf8(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray exercise(const QByteArray& line)
{
    return line + "\r\nFIN\r\n";
}

void clickHub(Program& program, int hub)
{
    program.clickDiagram(hub == 1 ? 100 : 380, 145);
}

QCheckBox* treatedBox(int hub)
{
    return hub == 1 ? windows().f_avance->_hub1 : windows().f_avance->_hub2;
}

HubDialog* hubDialogOf(int hub)
{
    if (hub == 1)
        return windows().f_hub1;
    return hub == 2 ? windows().f_hub2 : nullptr;
}

HubDialog* hubDialog(QDialog* dialog)
{
    auto* hub = qobject_cast<HubDialog*>(dialog);
    if (!hub)
        qWarning("expected a hub dialog, got %s", dialog->metaObject()->className());
    return hub;
}

// The middle of LED k's window in the hub picture.
QPoint ledPoint(int k)
{
    const kw::LedBox box = kw::LedRect(k);
    return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

void clickLed(HubDialog* dialog, int k, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(dialog->Image1, button, {}, ledPoint(k));
}

QRgb ledPixel(const HubDialog* dialog, int k)
{
    return dialog->Image1->canvas().pixel(ledPoint(k));
}

// The whole 12 × 12 window of LED k has one colour.
bool ledWindowIs(const HubDialog* dialog, int k, QRgb colour)
{
    const kw::LedBox box = kw::LedRect(k);
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x)
            if (dialog->Image1->canvas().pixel(x, y) != colour)
                return false;
    return true;
}

QRgb litColour(int k)
{
    return k % 2 == 1 ? Green : Red;
}

QList<int> litLeds(int row)
{
    QList<int> lit;
    for (int k = 1; k <= kw::LedCount; ++k)
        if (kw::test::state().LedState[row][k])
            lit << k;
    return lit;
}

bool lineHasColour(const Program& program, int cable, kw::CableLine line, QRgb colour)
{
    for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
        if (program.diagramPixel(p.x, p.y) != colour)
            return false;
    return true;
}

// Cables whose whole second line is yellow, in increasing order.
QList<int> yellowCables(const Program& program)
{
    QList<int> cables;
    for (int cable = 1; cable <= kw::CableCount; ++cable)
        if (lineHasColour(program, cable, kw::CableLine::Second, Yellow))
            cables << cable;
    return cables;
}

QList<int> sorted(QList<int> list)
{
    std::sort(list.begin(), list.end());
    return list;
}

// The student lights `leds` (all off before) and presses "Terminé".
std::function<void(QDialog*)> answer(const QList<int>& leds)
{
    return [leds](QDialog* dialog) {
        HubDialog* d = hubDialog(dialog);
        QVERIFY(d);
        for (int k : leds)
            clickLed(d, k);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    };
}

// The student brings the LEDs from what is lit to `leds` and presses "Terminé".
void correctTo(HubDialog* d, const QList<int>& leds)
{
    for (int k = 1; k <= kw::LedCount; ++k)
        if (kw::test::state().LedState[d->ledRow()][k] != leds.contains(k))
            clickLed(d, k);
    QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
}

} // namespace

class TestHubs : public QObject {
    Q_OBJECT

private slots:
    void dialogLayout_data();
    void dialogLayout();
    void firstExerciseShowsThePictureAsDrawn();
    void hubRepeatsTheFrame_data();
    void hubRepeatsTheFrame();
    void floodFromAServerNeedsBothHubs_data();
    void floodFromAServerNeedsBothHubs();
    void refusedClick_data();
    void refusedClick();
    void reviewOfATreatedHub();
    void ledClickedTwice_data();
    void ledClickedTwice();
    void clickInThePicture_data();
    void clickInThePicture();
    void wrongAnswerKeepsTheDialog_data();
    void wrongAnswerKeepsTheDialog();
    void mastersHubsAfterThreeRightAnswers();
    void newExerciseResetsTheHubs();
    void machine1ToMachine2UpToTheHub();
    void cleanup();
};

void TestHubs::dialogLayout_data()
{
    QTest::addColumn<int>("hub");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("outerSize");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("panel");
    QTest::addColumn<QPoint>("label");
    QTest::addColumn<QPoint>("image");
    QTest::addColumn<QRect>("button");
    QTest::newRow("Hub 1") << 1 << QStringLiteral("Fonction du Hub 1") << QSize(439, 143)
                           << QSize(431, 116) << QSize(428, 113) << QPoint(40, 88) << QPoint(8, 8)
                           << QRect(232, 80, 121, 33);
    QTest::newRow("Hub 2") << 2 << QStringLiteral("Fonction du Hub 2") << QSize(443, 128)
                           << QSize(435, 101) << QSize(433, 97) << QPoint(32, 72) << QPoint(8, 0)
                           << QRect(232, 64, 121, 33);
}

void TestHubs::dialogLayout()
{
    QFETCH(int, hub);
    QFETCH(QString, caption);
    QFETCH(QSize, outerSize);
    QFETCH(QSize, client);
    QFETCH(QSize, panel);
    QFETCH(QPoint, label);
    QFETCH(QPoint, image);
    QFETCH(QRect, button);
    Program program(imposedIni, exercise("1 5").constData());
    HubDialog* d = hubDialogOf(hub);
    QVERIFY(d);
    QCOMPARE(d->ledRow(), hub);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->windowTitle(), caption);
    QCOMPARE(d->size(), client);
    const Qt::WindowFlags flags = d->windowFlags();
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    if (hub == 1) {
        // Centred with its frame: the position is the frame's.
        QCOMPARE(QRect(d->pos(), outerSize).center(),
                 QGuiApplication::primaryScreen()->geometry().center());
    } else {
        QCOMPARE(d->pos(), QPoint(199, 299));
    }

    QCOMPARE(d->Panel->geometry(), QRect(QPoint(0, 0), panel));
    QCOMPARE(d->Panel->frameStyle(), int(QFrame::NoFrame));
    QCOMPARE(d->Image1->parentWidget(), d->Panel);
    QCOMPARE(d->Image1->geometry(), QRect(image, QSize(417, 65)));
    QCOMPARE(d->Image1->canvas().size(), QSize(415, 60));
    QCOMPARE(d->Label1->pos(), label);
    QCOMPARE(d->Label1->text(), QStringLiteral("Cliquer  sur  les  leds  actives"));
    QCOMPARE(d->BitBtn1->geometry(), button);
    QCOMPARE(d->BitBtn1->text(), fromUtf8("Terminé"));
    QVERIFY(d->BitBtn1->isDefault());
    QVERIFY(!d->BitBtn1->icon().isNull());
}

void TestHubs::firstExerciseShowsThePictureAsDrawn()
{
    Program program(imposedIni, exercise("1 5").constData());
    for (int hub : {1, 2})
        for (int k = 1; k <= kw::LedCount; ++k)
            QVERIFY2(ledWindowIs(hubDialogOf(hub), k, LightGrey),
                     qPrintable(QStringLiteral("hub %1 LED %2").arg(hub).arg(k)));
}

void TestHubs::hubRepeatsTheFrame_data()
{
    QTest::addColumn<QByteArray>("exercise");
    QTest::addColumn<int>("flow");
    QTest::addColumn<int>("switchLed");
    QTest::addColumn<int>("hub");
    QTest::addColumn<QList<int>>("leds");
    QTest::addColumn<QList<int>>("cables");
    QTest::addColumn<int>("flowAfter");
    // Frame from a machine: RX on its port, TX everywhere else.
    QTest::newRow("Machine 2 on Hub 1")
        << exercise("2 5") << 20 << 0 << 1 << QList<int>{2, 3, 6, 8} << QList<int>{1, 3, 7} << 30;
    QTest::newRow("Machine 5 on Hub 2")
        << exercise("5 1") << 20 << 0 << 2 << QList<int>{2, 4, 5, 8} << QList<int>{4, 6, 8} << 30;
    QTest::newRow("Machine 1 on Hub 1")
        << exercise("1 2") << 20 << 0 << 1 << QList<int>{1, 4, 6, 8} << QList<int>{2, 3, 7} << 30;
    QTest::newRow("Machine 6 on Hub 2")
        << exercise("6 7") << 20 << 0 << 2 << QList<int>{2, 4, 6, 7} << QList<int>{4, 5, 8} << 30;
    // Frame from the switch: RX on the uplink (Hub 1 port 4, Hub 2 port 1).
    QTest::newRow("Hub 1 behind switch LED 1")
        << exercise("5 1") << 40 << 1 << 1 << QList<int>{2, 4, 6, 7} << QList<int>{1, 2, 3} << 50;
    QTest::newRow("Hub 2 behind switch LED 7")
        << exercise("1 5") << 40 << 7 << 2 << QList<int>{1, 4, 6, 8} << QList<int>{4, 5, 6} << 50;
}

void TestHubs::hubRepeatsTheFrame()
{
    QFETCH(QByteArray, exercise);
    QFETCH(int, flow);
    QFETCH(int, switchLed);
    QFETCH(int, hub);
    QFETCH(QList<int>, leds);
    QFETCH(QList<int>, cables);
    QFETCH(int, flowAfter);
    Program program(imposedIni, exercise.constData());
    kw::SharedState& g = kw::test::state();
    g.FlowState = static_cast<std::uint8_t>(flow);
    if (switchLed)
        g.LedState[3][switchLed] = true;

    HubDialog* played = nullptr;
    program.student.thenDialog([&](QDialog* dialog) {
        played = hubDialog(dialog);
        QVERIFY(played);
        QVERIFY(played->isVisible());
        QVERIFY(played->Panel->isEnabled());
        QVERIFY(played->Label1->isVisible());
        QVERIFY(played->BitBtn1->isVisible());
        QCOMPARE(int(g.SavedFlowState), flow);
        for (int k : leds)
            clickLed(played, k);
        QTest::mouseClick(played->BitBtn1, Qt::LeftButton);
        QVERIFY(!played->isVisible());
        QCOMPARE(played->result(), int(QDialog::Accepted));
    });
    clickHub(program, hub);

    QCOMPARE(played, hubDialogOf(hub));
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(g.ErrorTotal, std::uint16_t(0));
    QCOMPARE(int(g.FlowState), flowAfter);
    QCOMPARE(int(g.CurrentHub), hub);
    QCOMPARE(litLeds(hub), leds);
    QVERIFY(treatedBox(hub)->isChecked());
    QVERIFY(!treatedBox(3 - hub)->isChecked());
    QCOMPARE(yellowCables(program), sorted(cables));
    for (int cable = 1; cable <= kw::CableCount; ++cable)
        QVERIFY(lineHasColour(program, cable, kw::CableLine::First, qRgb(0, 0, 0)));
    for (int k = 1; k <= kw::LedCount; ++k)
        QVERIFY(ledWindowIs(played, k, leds.contains(k) ? litColour(k) : LightGrey));
}

void TestHubs::floodFromAServerNeedsBothHubs_data()
{
    QTest::addColumn<int>("firstHub");
    QTest::newRow("Hub 1 first") << 1;
    QTest::newRow("Hub 2 first") << 2;
}

void TestHubs::floodFromAServerNeedsBothHubs()
{
    QFETCH(int, firstHub);
    const int secondHub = 3 - firstHub;
    auto ledsOf = [](int hub) {
        return hub == 1 ? QList<int>{2, 4, 6, 7} : QList<int>{1, 4, 6, 8};
    };
    auto cablesOf = [](int hub) { return hub == 1 ? QList<int>{1, 2, 3} : QList<int>{4, 5, 6}; };
    Program program(imposedIni, exercise("7 1").constData());
    kw::SharedState& g = kw::test::state();
    g.FlowState = kw::flow::TowardsBothHubs;

    program.student.thenDialog(answer(ledsOf(firstHub)));
    clickHub(program, firstHub);
    QCOMPARE(g.FlowState, kw::flow::OneOfTwoHubsDone);
    QVERIFY(treatedBox(firstHub)->isChecked());
    QVERIFY(!treatedBox(secondHub)->isChecked());
    QCOMPARE(yellowCables(program), cablesOf(firstHub));

    program.student.thenDialog(answer(ledsOf(secondHub)));
    clickHub(program, secondHub);
    QCOMPARE(g.FlowState, kw::flow::ReachedAll);
    QVERIFY(treatedBox(secondHub)->isChecked());
    QCOMPARE(yellowCables(program), (QList<int>{1, 2, 3, 4, 5, 6}));
    QCOMPARE(program.student.dialogsOpened,
             (QStringList{firstHub == 1 ? QStringLiteral("Tf_hub1") : QStringLiteral("Tf_hub2"),
                          firstHub == 1 ? QStringLiteral("Tf_hub2") : QStringLiteral("Tf_hub1")}));
    QVERIFY(program.student.boxes.empty());
}

void TestHubs::refusedClick_data()
{
    QTest::addColumn<QByteArray>("exercise");
    QTest::addColumn<int>("flow");
    QTest::addColumn<int>("switchLed");
    QTest::addColumn<int>("x");
    QTest::newRow("10, Hub 1") << exercise("2 5") << 10 << 0 << 100;
    QTest::newRow("10, Hub 2") << exercise("5 2") << 10 << 0 << 380;
    QTest::newRow("30, the sender's hub again") << exercise("2 5") << 30 << 0 << 100;
    QTest::newRow("30, the other hub") << exercise("2 5") << 30 << 0 << 380;
    QTest::newRow("20, hub of the other side") << exercise("2 5") << 20 << 0 << 380;
    QTest::newRow("35, server sender") << exercise("7 1") << 35 << 0 << 100;
    QTest::newRow("40, Hub 1 without switch LED 1") << exercise("5 1") << 40 << 0 << 100;
    QTest::newRow("40, Hub 1 with switch LED 7 only") << exercise("5 1") << 40 << 7 << 100;
    QTest::newRow("40, Hub 2 with switch LED 1 only") << exercise("1 5") << 40 << 1 << 380;
    QTest::newRow("50, Hub 2") << exercise("1 5") << 50 << 7 << 380;
    QTest::newRow("60, Hub 1") << exercise("5 1") << 60 << 1 << 100;
    QTest::newRow("between the hubs") << exercise("2 5") << 20 << 0 << 250;
    QTest::newRow("left of Hub 1") << exercise("2 5") << 20 << 0 << 38;
    QTest::newRow("right of Hub 2") << exercise("5 2") << 20 << 0 << 454;
}

void TestHubs::refusedClick()
{
    QFETCH(QByteArray, exercise);
    QFETCH(int, flow);
    QFETCH(int, switchLed);
    QFETCH(int, x);
    Program program(imposedIni, exercise.constData());
    kw::SharedState& g = kw::test::state();
    g.FlowState = static_cast<std::uint8_t>(flow);
    if (switchLed)
        g.LedState[3][switchLed] = true;
    const kw::SharedState before = g;

    program.clickDiagram(x, 145);

    QCOMPARE(program.student.boxTexts(),
             QStringList{QStringLiteral("Ce n'est pas le moment de traiter ce hub")});
    QCOMPARE(program.student.boxes[0].kind, kw::seam::BoxKind::Warning);
    QCOMPARE(g.ErrorTotal, std::uint16_t(1));
    QVERIFY(program.student.dialogsOpened.isEmpty());
    QCOMPARE(int(g.FlowState), flow);
    QCOMPARE(g.SavedFlowState, before.SavedFlowState);
    QCOMPARE(int(g.CurrentHub), 0);
    QVERIFY(g.LedState == before.LedState);
    QVERIFY(g.ExpectedHubLeds == before.ExpectedHubLeds);
    for (int hub : {1, 2}) {
        QVERIFY(!treatedBox(hub)->isChecked());
        QVERIFY(!hubDialogOf(hub)->isVisible());
    }
    QVERIFY(yellowCables(program).isEmpty());
}

void TestHubs::reviewOfATreatedHub()
{
    Program program(imposedIni, exercise("2 5").constData());
    kw::SharedState& g = kw::test::state();
    g.FlowState = kw::flow::MachineEmitted;
    program.student.thenDialog(answer({2, 3, 6, 8}));
    clickHub(program, 1);
    QCOMPARE(g.FlowState, kw::flow::SenderHubDone);
    program.student.clear();

    clickHub(program, 1);
    Tf_hub1* d = windows().f_hub1;
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(g.ErrorTotal, std::uint16_t(0));
    QVERIFY(program.student.dialogsOpened.isEmpty()); // not opened modally
    QVERIFY(d->isVisible());
    QCOMPARE(d->windowModality(), Qt::NonModal);
    QVERIFY(!d->Panel->isEnabled());
    QVERIFY(!d->Image1->isEnabled());
    QVERIFY(!d->Label1->isVisible());
    QVERIFY(!d->BitBtn1->isVisible());
    QCOMPARE(g.FlowState, kw::flow::SenderHubDone);

    // The picture shows the answer, and the LEDs no longer react.
    const QImage picture = d->Image1->canvas().copy();
    for (int k : {1, 3, 4, 8})
        clickLed(d, k);
    QCOMPARE(litLeds(1), (QList<int>{2, 3, 6, 8}));
    QCOMPARE(d->Image1->canvas(), picture);
    QCOMPARE(ledPixel(d, 3), Green);
    QCOMPARE(ledPixel(d, 8), Red);

    // The diagram stays usable meanwhile: a second review click, then the other hub refused.
    clickHub(program, 1);
    QVERIFY(program.student.boxes.empty());
    clickHub(program, 2);
    QCOMPARE(program.student.boxTexts(),
             QStringList{QStringLiteral("Ce n'est pas le moment de traiter ce hub")});
    QVERIFY(d->isVisible());
    QCOMPARE(yellowCables(program), (QList<int>{1, 3, 7}));
    QVERIFY(treatedBox(1)->isChecked());
    d->close();
}

void TestHubs::ledClickedTwice_data()
{
    QTest::addColumn<QByteArray>("exercise");
    QTest::addColumn<int>("hub");
    QTest::addColumn<int>("led");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("Hub 1, LED 1, left button") << exercise("2 5") << 1 << 1 << Qt::LeftButton;
    QTest::newRow("Hub 1, LED 4, right button") << exercise("2 5") << 1 << 4 << Qt::RightButton;
    QTest::newRow("Hub 2, LED 5, middle button") << exercise("5 2") << 2 << 5 << Qt::MiddleButton;
    QTest::newRow("Hub 2, LED 8, left button") << exercise("5 2") << 2 << 8 << Qt::LeftButton;
}

void TestHubs::ledClickedTwice()
{
    QFETCH(QByteArray, exercise);
    QFETCH(int, hub);
    QFETCH(int, led);
    QFETCH(Qt::MouseButton, button);
    Program program(imposedIni, exercise.constData());
    kw::SharedState& g = kw::test::state();
    g.FlowState = kw::flow::MachineEmitted;
    bool played = false;
    program.student.thenDialog([&](QDialog* dialog) {
        HubDialog* d = hubDialog(dialog);
        QVERIFY(d);
        clickLed(d, led, button);
        QVERIFY(ledWindowIs(d, led, litColour(led)));
        QCOMPARE(litLeds(hub), QList<int>{led});
        QVERIFY(litLeds(3 - hub).isEmpty());
        clickLed(d, led, button);
        QVERIFY(ledWindowIs(d, led, Silver));
        QVERIFY(litLeds(hub).isEmpty());
        for (int k = 1; k <= kw::LedCount; ++k)
            if (k != led)
                QVERIFY(ledWindowIs(d, k, LightGrey));
        played = true;
    });
    clickHub(program, hub);
    QVERIFY(played);
    // Closed without "Terminé": nothing treated, nothing counted.
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(g.FlowState, kw::flow::MachineEmitted);
    QCOMPARE(g.HubStepCount, 0);
    QVERIFY(!treatedBox(hub)->isChecked());
    QVERIFY(yellowCables(program).isEmpty());
}

void TestHubs::clickInThePicture_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("led");
    QTest::newRow("above LED 3, y 20") << 142 << 20 << 0;
    QTest::newRow("below LED 3, y 40") << 142 << 40 << 0;
    QTest::newRow("between LED 1 and LED 2") << 64 << 30 << 0;
    QTest::newRow("left of LED 1") << 38 << 30 << 0;
    QTest::newRow("right of LED 8") << 377 << 30 << 0;
    QTest::newRow("between LED 4 and LED 5") << 210 << 30 << 0;
    QTest::newRow("LED 1, top-left of its hit box") << 39 << 21 << 1;
    QTest::newRow("LED 8, bottom-right of its hit box") << 376 << 39 << 8;
    QTest::newRow("LED 5, hit box from 231") << 231 << 30 << 5;
    QTest::newRow("LED 6, on the frame right of its window") << 280 << 38 << 6;
}

void TestHubs::clickInThePicture()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, led);
    Program program(imposedIni, exercise("2 5").constData());
    kw::test::state().FlowState = kw::flow::MachineEmitted;
    bool played = false;
    program.student.thenDialog([&](QDialog* dialog) {
        HubDialog* d = hubDialog(dialog);
        QVERIFY(d);
        const QImage before = d->Image1->canvas().copy();
        QTest::mouseClick(d->Image1, Qt::LeftButton, {}, QPoint(x, y));
        if (led == 0) {
            QCOMPARE(d->Image1->canvas(), before);
            QVERIFY(litLeds(1).isEmpty());
        } else {
            QVERIFY(ledWindowIs(d, led, litColour(led)));
            QCOMPARE(litLeds(1), QList<int>{led});
        }
        played = true;
    });
    clickHub(program, 1);
    QVERIFY(played);
}

void TestHubs::wrongAnswerKeepsTheDialog_data()
{
    QTest::addColumn<QList<int>>("lit");
    QTest::addColumn<bool>("press");
    QTest::addColumn<QString>("message");
    // Machine 2 on Hub 1 wants 2, 3, 6, 8.
    const QString rx = fromUtf8("Au moins une led RX est mal positionnée");
    const QString tx = fromUtf8("Au moins une led TX est mal positionnée");
    QTest::newRow("nothing lit") << QList<int>{} << true << rx;
    QTest::newRow("RX of the sender's port missing") << QList<int>{2, 6, 8} << true << rx;
    QTest::newRow("an RX too many") << QList<int>{1, 2, 3, 6, 8} << true << rx;
    QTest::newRow("RX and TX wrong: RX told") << QList<int>{6, 8} << true << rx;
    QTest::newRow("a TX missing") << QList<int>{2, 3, 6} << true << tx;
    QTest::newRow("TX on the receiving port") << QList<int>{2, 3, 4, 6, 8} << true << tx;
    QTest::newRow("right LEDs, closed without Terminé")
        << QList<int>{2, 3, 6, 8} << false << QString();
}

void TestHubs::wrongAnswerKeepsTheDialog()
{
    QFETCH(QList<int>, lit);
    QFETCH(bool, press);
    QFETCH(QString, message);
    Program program(imposedIni, exercise("2 5").constData());
    kw::SharedState& g = kw::test::state();
    g.FlowState = kw::flow::MachineEmitted;

    bool stillOpen = false;
    program.student.thenDialog([&](QDialog* dialog) {
        HubDialog* d = hubDialog(dialog);
        QVERIFY(d);
        for (int k : lit)
            clickLed(d, k);
        if (press)
            QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
        stillOpen = d->isVisible();
    });
    clickHub(program, 1);

    QVERIFY(stillOpen);
    const QStringList expectedBoxes = press ? QStringList{message} : QStringList{};
    QCOMPARE(program.student.boxTexts(), expectedBoxes);
    if (press)
        QCOMPARE(program.student.boxes[0].kind, kw::seam::BoxKind::Warning);
    QCOMPARE(int(g.ErrorTotal), press ? 1 : 0);
    QCOMPARE(g.HubStepCount, press ? 1 : 0);
    QCOMPARE(g.FlowState, kw::flow::MachineEmitted);
    QCOMPARE(litLeds(1), sorted(lit));
    QVERIFY(!treatedBox(1)->isChecked());
    QVERIFY(yellowCables(program).isEmpty());

    // The hub can be clicked again; the LEDs are as the student left them.
    bool keptLeds = false;
    program.student.thenDialog([&](QDialog* dialog) {
        HubDialog* d = hubDialog(dialog);
        QVERIFY(d);
        for (int k = 1; k <= kw::LedCount; ++k)
            QVERIFY(ledWindowIs(d, k, lit.contains(k) ? litColour(k) : LightGrey));
        keptLeds = true;
        correctTo(d, {2, 3, 6, 8});
    });
    clickHub(program, 1);
    QVERIFY(keptLeds);
    QCOMPARE(program.student.boxTexts(), expectedBoxes);
    QCOMPARE(g.FlowState, kw::flow::SenderHubDone);
    QVERIFY(treatedBox(1)->isChecked());
    QCOMPARE(yellowCables(program), (QList<int>{1, 3, 7}));
}

void TestHubs::mastersHubsAfterThreeRightAnswers()
{
    Program program("[parametres]\r\nhub_auto=3\r\nquestions=.\r\n",
                    "2 5\r\n2 5\r\n2 5\r\nFIN\r\n");
    kw::SharedState& g = kw::test::state();
    QCOMPARE(g.HubAuto, 3);
    const QList<int> hub1Leds{2, 3, 6, 8}; // Machine 2 on Hub 1
    const QList<int> hub2Leds{1, 4, 6, 8}; // from the switch on Hub 2

    auto bothHubs = [&](bool failOnce) {
        g.FlowState = kw::flow::MachineEmitted;
        program.student.thenDialog(answer(hub1Leds));
        clickHub(program, 1);
        QCOMPARE(g.FlowState, kw::flow::SenderHubDone);
        g.FlowState = kw::flow::TowardsOneHub;
        g.LedState[3][7] = true;
        program.student.thenDialog([&](QDialog* dialog) {
            HubDialog* d = hubDialog(dialog);
            QVERIFY(d);
            if (failOnce) {
                QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
                QVERIFY(d->isVisible());
            }
            correctTo(d, hub2Leds);
        });
        clickHub(program, 2);
        QCOMPARE(g.FlowState, kw::flow::ReachedAll);
    };

    // Presses: right, wrong, right; the wrong one keeps hubs manual in the next exercise.
    bothHubs(true);
    QCOMPARE(program.student.dialogsOpened.size(), 2);
    QCOMPARE(program.student.boxes.size(), std::size_t(1));
    kw::test::nextExercise();
    // Presses: right, right; now the last three presses were all right.
    bothHubs(false);
    QCOMPARE(program.student.dialogsOpened.size(), 4);
    QCOMPARE(g.HubStepCount, 5);
    kw::test::nextExercise();

    g.FlowState = kw::flow::MachineEmitted;
    clickHub(program, 1);
    QCOMPARE(program.student.dialogsOpened.size(), 4);
    QCOMPARE(program.student.boxes.size(), std::size_t(1));
    QCOMPARE(g.FlowState, kw::flow::SenderHubDone);
    QCOMPARE(int(g.SavedFlowState), int(kw::flow::MachineEmitted));
    QVERIFY(treatedBox(1)->isChecked());
    QCOMPARE(yellowCables(program), (QList<int>{1, 3, 7}));
    QVERIFY(litLeds(1).isEmpty()); // the student lit nothing
    Tf_hub1* d1 = windows().f_hub1;
    QVERIFY(!d1->isVisible());
    for (int k = 1; k <= kw::LedCount; ++k)
        QVERIFY(ledWindowIs(d1, k, hub1Leds.contains(k) ? litColour(k) : Silver));

    // Reviewed, the hub shows the expected LEDs.
    clickHub(program, 1);
    QVERIFY(d1->isVisible());
    QVERIFY(!d1->Panel->isEnabled());
    QCOMPARE(program.student.dialogsOpened.size(), 4);
    d1->close();

    g.FlowState = kw::flow::TowardsOneHub;
    g.LedState[3][7] = true;
    clickHub(program, 2);
    QCOMPARE(program.student.dialogsOpened.size(), 4);
    QCOMPARE(g.FlowState, kw::flow::ReachedAll);
    QVERIFY(treatedBox(2)->isChecked());
    QCOMPARE(yellowCables(program), (QList<int>{1, 3, 4, 5, 6, 7}));
    for (int k = 1; k <= kw::LedCount; ++k)
        QVERIFY(ledWindowIs(windows().f_hub2, k, hub2Leds.contains(k) ? litColour(k) : Silver));
    QCOMPARE(g.HubStepCount, 5);
    QCOMPARE(program.student.boxes.size(), std::size_t(1));
}

void TestHubs::newExerciseResetsTheHubs()
{
    Program program(imposedIni, "2 5\r\n2 5\r\nFIN\r\n");
    kw::SharedState& g = kw::test::state();
    g.FlowState = kw::flow::MachineEmitted;
    program.student.thenDialog(answer({2, 3, 6, 8}));
    clickHub(program, 1);
    clickHub(program, 1); // review left open
    g.FlowState = kw::flow::TowardsOneHub;
    g.LedState[3][7] = true;
    program.student.thenDialog([](QDialog* dialog) {
        HubDialog* d = hubDialog(dialog);
        QVERIFY(d);
        clickLed(d, 5);
    });
    clickHub(program, 2); // closed with LED 5 lit
    Tf_hub1* d1 = windows().f_hub1;
    Tf_hub2* d2 = windows().f_hub2;
    QVERIFY(d1->isVisible());
    QCOMPARE(ledPixel(d2, 5), Green);
    const QRgb frameLeftOfLed1 = d1->Image1->canvas().pixel(kw::LedRect(1).left - 1, 30);
    const QRgb frameRightOfLed1 = d1->Image1->canvas().pixel(kw::LedRect(1).right + 1, 30);

    kw::test::nextExercise();

    QVERIFY(!d1->isVisible());
    QVERIFY(!d2->isVisible());
    for (HubDialog* d : {static_cast<HubDialog*>(d1), static_cast<HubDialog*>(d2)})
        for (int k = 1; k <= kw::LedCount; ++k)
            QVERIFY(ledWindowIs(d, k, Silver));
    QCOMPARE(d1->Image1->canvas().pixel(kw::LedRect(1).left - 1, 30), frameLeftOfLed1);
    QCOMPARE(d1->Image1->canvas().pixel(kw::LedRect(1).right + 1, 30), frameRightOfLed1);
    QVERIFY(!treatedBox(1)->isChecked());
    QVERIFY(!treatedBox(2)->isChecked());
    QVERIFY(litLeds(1).isEmpty());
    QVERIFY(litLeds(2).isEmpty());
    QVERIFY(yellowCables(program).isEmpty());

    // Hub 1 is worked on again, no longer as a review.
    g.FlowState = kw::flow::MachineEmitted;
    bool editable = false;
    program.student.thenDialog([&](QDialog* dialog) {
        HubDialog* d = hubDialog(dialog);
        QVERIFY(d);
        editable = d->Panel->isEnabled() && d->Label1->isVisible() && d->BitBtn1->isVisible();
        correctTo(d, {2, 3, 6, 8});
    });
    clickHub(program, 1);
    QVERIFY(editable);
    QCOMPARE(g.FlowState, kw::flow::SenderHubDone);
    QVERIFY(program.student.boxes.empty());
}

void TestHubs::machine1ToMachine2UpToTheHub()
{
    Program program(imposedIni, exercise("1 2").constData());
    kw::SharedState& g = kw::test::state();

    // The sending station emits through its dialog.
    program.student.thenDialog([](QDialog* dialog) {
        auto* d = qobject_cast<Tf_source*>(dialog);
        QVERIFY(d);
        auto doubleClickCell = [](QTableWidget* grid, int column, int row) {
            const QRect rect = grid->visualItemRect(grid->item(row, column));
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
        };
        doubleClickCell(d->table_MAC, 0, 2);
        doubleClickCell(d->trame, 1, 0);
        doubleClickCell(d->table_MAC, 1, 1);
        QTest::mouseClick(d->BitBtn1, Qt::LeftButton);
    });
    program.clickDiagram(29, 207);
    QCOMPARE(g.FlowState, kw::flow::MachineEmitted);
    QVERIFY(windows().f_avance->_emetteur->isChecked());

    // Hub 2 is not on the frame's way yet.
    program.clickDiagram(380, 145);
    QCOMPARE(program.student.boxTexts(),
             QStringList{QStringLiteral("Ce n'est pas le moment de traiter ce hub")});

    // Hub 1 receives on port 1 and emits on ports 2, 3 and 4.
    program.student.thenDialog(answer({1, 4, 6, 8}));
    program.clickDiagram(100, 145);
    QCOMPARE(g.FlowState, kw::flow::SenderHubDone);
    QCOMPARE(program.student.dialogsOpened,
             (QStringList{QStringLiteral("Tf_source"), QStringLiteral("Tf_hub1")}));
    QCOMPARE(program.student.boxes.size(), std::size_t(1));
    QVERIFY(treatedBox(1)->isChecked());
    QVERIFY(lineHasColour(program, 1, kw::CableLine::First, qRgb(255, 255, 255)));
    QCOMPARE(yellowCables(program), (QList<int>{2, 3, 7}));
    QVERIFY(!lineHasColour(program, 1, kw::CableLine::Second, Yellow));
}

void TestHubs::cleanup()
{
    QVERIFY(kw::seam::script() == nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            QVERIFY2(!dialog->isVisible(), dialog->metaObject()->className());
    }
}

KW_TEST_MAIN(TestHubs)
#include "tst_hubs.moc"
