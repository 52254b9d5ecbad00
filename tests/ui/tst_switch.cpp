// The switch: its dialog with the address table, the LED dialog and the switch step of the
// diagram, played by a scripted student through the widgets.

#include "student.h"

#include "app/windows.h"
#include "diagram.h"
#include "global.h"
#include "kit/widgets.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "random.h"
#include "stations/u_MACs.h"
#include "switch/U_switch.h"
#include "switch/u_switch_gros.h"
#include "switchleds.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

using namespace Qt::StringLiterals;
using kw::test::Program;
using kw::ui::windows;

namespace {

const QString M1 = QStringLiteral("00-C0-B0-69-16-25");
const QString M2 = QStringLiteral("00-C0-B0-08-31-A4");
const QString M3 = QStringLiteral("00-10-2B-88-00-34");
const QString M4 = QStringLiteral("00-00-48-24-E5-9A");
const QString M5 = QStringLiteral("00-AA-00-95-A0-5D");

const QString TableNotUpdated = QStringLiteral("La table n'est pas correctement mise à jour");
const QString AddressesMisread = QStringLiteral("Adresses mal analysées");
const QString RxWrong = QStringLiteral("Au moins une Led réception mal positionnée");
const QString TxWrong = QStringLiteral("Au moins une Led émission mal positionnée");

const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 128, 0);
const QRgb Silver = qRgb(192, 192, 192);
const QRgb LightGrey = qRgb(204, 204, 204);

// A point of the switch in the diagram.
constexpr int SwitchX = 250;
constexpr int SwitchY = 100;

// The middle of each LED's hit region in the LED picture.
constexpr int LedX[] = {0, 48, 81, 143, 176, 240, 272, 334, 367};
constexpr int LedY = 30;

QByteArray ini(const QByteArray& parameters)
{
    return "[parametres]\r\nquestions=.\r\n" + parameters;
}

QString emptyRow()
{
    return QStringLiteral("||");
}

QString row(const QString& address, const QString& ttl, const QString& port)
{
    return address + QLatin1Char('|') + ttl + QLatin1Char('|') + port;
}

// Rows 1..9 of table_ports as "address|ttl|port".
QStringList shownRows()
{
    const QTableWidget* grid = windows().f_switch->table_ports;
    QStringList rows;
    for (int r = 1; r < kw::SwitchTableRowCount; ++r)
        rows << row(kw::ui::cell(grid, 0, r), kw::ui::cell(grid, 1, r), kw::ui::cell(grid, 2, r));
    return rows;
}

// The same rows from the table the dialog keeps: the grid must mirror it.
QStringList modelRows()
{
    QStringList rows;
    const kw::SwitchTable& table = windows().f_switch->switchTable();
    for (int r = 1; r < kw::SwitchTableRowCount; ++r) {
        const kw::SwitchRow& entry = table.rows[static_cast<std::size_t>(r)];
        rows << row(QString::fromStdString(entry.address), QString::fromStdString(entry.ttl),
                    QString::fromStdString(entry.port));
    }
    return rows;
}

QStringList emptyRows(int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows << emptyRow();
    return rows;
}

QRadioButton* radio(Tf_switch* dialog, const QString& name)
{
    return dialog->findChild<QRadioButton*>(name);
}

QRadioButton* portButton(Tf_switch* dialog, int port)
{
    return radio(dialog, QStringLiteral("port%1").arg(port));
}

// What a real double-click delivers: press, release, double-click, release.
void doubleClick(QWidget* widget, const QPoint& pos)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

void doubleClickFrame(Tf_switch* dialog, int column)
{
    QTableWidget* grid = dialog->trame;
    doubleClick(grid->viewport(), grid->visualItemRect(grid->item(0, column)).center());
}

void clickRadio(QRadioButton* button)
{
    // On the indicator, which is always part of the button's hit area.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Steps 1) and 2) as the student does them: the field, the port, the forwarding choice.
void prepare(Tf_switch* dialog, int column, int port, const QString& choice)
{
    if (column >= 0)
        doubleClickFrame(dialog, column);
    if (port > 0)
        doubleClick(portButton(dialog, port), QPoint(6, 8));
    if (!choice.isEmpty())
        clickRadio(radio(dialog, choice));
}

void clickPicture(Tf_switch* dialog)
{
    QTest::mouseClick(dialog->image_switch, Qt::LeftButton, {}, QPoint(70, 10));
}

void clickLeds(Tf_switch_gros* dialog, const QList<int>& leds)
{
    for (int led : leds)
        QTest::mouseClick(dialog->Image1, Qt::LeftButton, {}, QPoint(LedX[led], LedY));
}

QRgb ledPixel(int led, int dx = 0, int dy = 0)
{
    const kw::SwitchLedRect square = kw::SwitchLedSquare(led);
    return windows().f_switch_gros->Image1->canvas().pixel(square.left + dx, square.top + dy);
}

bool wholeSquareIs(int led, QRgb colour)
{
    for (int dy = 0; dy < 12; ++dy)
        for (int dx = 0; dx < 12; ++dx)
            if (ledPixel(led, dx, dy) != colour)
                return false;
    return true;
}

// Every pixel of the cable's first line has the colour (or none has it).
bool cableLineIs(const Program& program, int cable, kw::CableLine line, QRgb colour)
{
    for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
        if (program.diagramPixel(p.x, p.y) != colour)
            return false;
    return true;
}

bool cableLineHas(const Program& program, int cable, kw::CableLine line, QRgb colour)
{
    for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
        if (program.diagramPixel(p.x, p.y) == colour)
            return true;
    return false;
}

QList<int> redCables(const Program& program)
{
    QList<int> cables;
    for (int cable = 1; cable <= kw::CableCount; ++cable)
        if (cableLineHas(program, cable, kw::CableLine::First, Red))
            cables << cable;
    return cables;
}

QList<int> litLeds()
{
    QList<int> leds;
    for (int k = 1; k <= kw::LedCount; ++k)
        if (kw::test::state().LedState[3][static_cast<std::size_t>(k)])
            leds << k;
    return leds;
}

// The draw the next committed step will age the table by, leaving the generator as it is.
int nextAgeingDraw()
{
    const std::uint32_t seed = kw::RandomSeed();
    const int draw = static_cast<int>(kw::RandomBelow(10)) + 8;
    kw::SeedRandom(seed);
    return draw;
}

// Machine 1 to Machine 5 (unknown) through the switch, from FlowState 30. Returns the
// ageing draw of the step.
int playMachine1ToMachine5(Program& program)
{
    int draw = 0;
    kw::test::state().FlowState = kw::flow::SenderHubDone;
    program.student.thenDialog([&draw](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch*>(d);
        QVERIFY(dialog);
        prepare(dialog, 1, 1, QStringLiteral("b_dinconnu"));
        draw = nextAgeingDraw();
        clickPicture(dialog);
    });
    program.student.thenDialog([](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch_gros*>(d);
        QVERIFY(dialog);
        clickLeds(dialog, {2, 3, 5, 7});
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
    });
    program.clickDiagram(SwitchX, SwitchY);
    return draw;
}

} // namespace

class TestSwitch : public QObject {
    Q_OBJECT

private slots:
    void dialogsLayout();
    void initialTable_data();
    void initialTable();
    void initialEntryTakesTheKnownAddress();
    void switchRefusedBeforeItsTurn_data();
    void switchRefusedBeforeItsTurn();
    void wrongSteps_data();
    void wrongSteps();
    void portDoubleClickChecksTheButton();
    void closingTheSwitchDialogCommitsNothing();
    void wholeStepMachine1ToUnknownMachine5();
    void hubsAroundTheSwitchFollowItsLeds();
    void filteringWhenDestinationBehindArrivalPort();
    void serverFloodGoesToBothHubs();
    void reviewModes();
    void tableCarriesOverToNextExercise();
    void ledHitRegions_data();
    void ledHitRegions();
    void ledsSurviveReopeningAndResetAfterNouveau();
    void cleanup();
};

void TestSwitch::dialogsLayout()
{
    Program program(ini({}), "1 5\r\nFIN\r\n");
    QVERIFY(program.started());
    Tf_switch* s = windows().f_switch;
    QCOMPARE(s->windowTitle(), QStringLiteral("Switch.     Analyser la trame reçue   1) et 2)  "
                                              "     et en déduire l'action 3)"));
    QCOMPARE(s->size(), QSize(504, 311)); // the outer 512 x 338 less its frame
    QVERIFY(s->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(s->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(s->Panel->geometry(), QRect(0, 0, 497, 305));
    QCOMPARE(s->trame->geometry(), QRect(98, 8, 385, 25));
    QCOMPARE(s->trame->toolTip(),
             QStringLiteral("Double click -> copie de l'adresse & du port   dans la table "));
    const int frameWidths[] = {98, 98, 10, 140, 22};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(kw::test::cellSize(s->trame, c, 0), QSize(frameWidths[c], 20));
    QCOMPARE(kw::ui::cell(s->trame, 3, 0), QStringLiteral(" Couches LLC et supérieures"));
    QCOMPARE(kw::ui::cell(s->trame, 4, 0), QStringLiteral("FCS"));
    QVERIFY(!(s->trame->item(0, 1)->flags() & Qt::ItemIsEditable));
    QCOMPARE(s->table_ports->geometry(), QRect(16, 64, 233, 241));
    QCOMPARE(s->table_ports->rowCount(), 10);
    QCOMPARE(kw::test::cellSize(s->table_ports, 0, 9), QSize(98, 20));
    QCOMPARE(kw::test::cellSize(s->table_ports, 2, 9), QSize(50, 20));
    QVERIFY(!s->table_ports->isEnabled());
    QCOMPARE(s->table_ports->currentRow(), 9);
    QCOMPARE(kw::ui::cell(s->table_ports, 0, 0), QStringLiteral("adresses MAC"));
    QCOMPARE(kw::ui::cell(s->table_ports, 1, 0), QStringLiteral("TTL"));
    QCOMPARE(kw::ui::cell(s->table_ports, 2, 0), QStringLiteral("Port"));
    QCOMPARE(s->Label1->text(), QStringLiteral("Table  adresse <->  port"));
    QVERIFY(s->Label1->font().bold());
    QCOMPARE(s->Panel1->parentWidget(), s->Panel);
    QCOMPARE(s->Panel1->geometry(), QRect(266, 40, 217, 113));
    QCOMPARE(s->Label3->text(), QStringLiteral("1 ) à l'aide de champs de la trame ci-dessus"));
    QCOMPARE(s->port3->geometry(), QRect(120, 72, 33, 17));
    QCOMPARE(s->dest_via->parentWidget(), s);
    QCOMPARE(s->dest_via->title(), QStringLiteral("2 )   Destinataire via port"));
    QCOMPARE(s->b_dinconnu->geometry(), QRect(96, 48, 57, 17));
    QCOMPARE(s->GroupBox2->parentWidget(), s);
    QCOMPARE(s->GroupBox2->title(), QStringLiteral("3 )  Emettre  ?"));
    QCOMPARE(s->image_switch->geometry(), QRect(36, 29, 141, 20));
    QCOMPARE(s->image_switch->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(s->image_switch->canvas().size(), QSize(141, 20));

    Tf_switch_gros* g = windows().f_switch_gros;
    QCOMPARE(g->windowTitle(), QStringLiteral("Leds du  switch"));
    QCOMPARE(g->size(), QSize(430, 111)); // the outer 438 x 138 less its frame
    QCOMPARE(g->pos(), QPoint(290, 436));
    QCOMPARE(g->Panel1->geometry(), QRect(0, 0, 428, 107));
    QCOMPARE(g->Image1->geometry(), QRect(8, 8, 415, 60));
    QCOMPARE(g->Image1->canvas().size(), QSize(415, 60));
    QCOMPARE(g->Label1->pos(), QPoint(40, 80));
    QCOMPARE(g->Label1->text(), QStringLiteral("Cliquer  sur  les  leds  actives"));
    QVERIFY(g->Label1->font().bold());
    QCOMPARE(g->BitBtn1->geometry(), QRect(256, 72, 121, 33));
    QCOMPARE(g->BitBtn1->text(), QStringLiteral("Terminé"));
    QVERIFY(g->BitBtn1->isDefault());
}

void TestSwitch::initialTable_data()
{
    QTest::addColumn<QByteArray>("parameters");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("1234") << QByteArray("entrees_initiales=1234\r\n")
                          << (QStringList{row(M1, u"68"_s, u"1"_s), row(M2, u"68"_s, u"1"_s),
                                          row(M3, u"77"_s, u"1"_s), row(M4, u"86"_s, u"4"_s)}
                              << emptyRows(5));
    QTest::newRow("1134: the repeated digit keeps only its Ttl")
        << QByteArray("entrees_initiales=1134\r\n")
        << (QStringList{row(M1, u"68"_s, u"1"_s), row({}, u"68"_s, {}), row(M3, u"77"_s, u"1"_s),
                        row(M4, u"86"_s, u"4"_s)}
            << emptyRows(5));
    QTest::newRow("default 00000000") << QByteArray() << emptyRows(9);
    QTest::newRow("00000000 written")
        << QByteArray("entrees_initiales=00000000\r\n") << emptyRows(9);
    QTest::newRow("empty") << QByteArray("entrees_initiales=\r\n") << emptyRows(9);
}

void TestSwitch::initialTable()
{
    QFETCH(QByteArray, parameters);
    QFETCH(QStringList, rows);
    Program program(ini(parameters), "1 5\r\nFIN\r\n");
    QVERIFY(program.started());
    QCOMPARE(shownRows(), rows);
    QCOMPARE(modelRows(), rows);
    // The first exercise starts with the destination selected in the frame.
    QCOMPARE(windows().f_switch->trame->currentColumn(), 0);
    QVERIFY(program.student.boxes.empty());
}

void TestSwitch::initialEntryTakesTheKnownAddress()
{
    Program program("[adresses MAC]\r\nServeurB=12-34-56-78-9A-BC\r\n" +
                        ini("entrees_initiales=8\r\nttl_max=40\r\n"),
                    "1 5\r\nFIN\r\n");
    QVERIFY(program.started());
    QCOMPARE(windows().AdressesMAC->macOf(8), QStringLiteral("12-34-56-78-9A-BC"));
    const QStringList rows = shownRows();
    const QStringList first = rows.front().split(QLatin1Char('|'));
    QCOMPARE(first[0], QStringLiteral("12-34-56-78-9A-BC"));
    QCOMPARE(first[2], QStringLiteral("3"));
    const int ttl = first[1].toInt();
    QVERIFY(ttl >= 1 && ttl <= 40);
    QCOMPARE(rows.mid(1), emptyRows(8));
}

void TestSwitch::switchRefusedBeforeItsTurn_data()
{
    QTest::addColumn<int>("flowState");
    QTest::newRow("10") << 10;
    QTest::newRow("20") << 20;
}

void TestSwitch::switchRefusedBeforeItsTurn()
{
    QFETCH(int, flowState);
    Program program(ini({}), "1 5\r\nFIN\r\n");
    kw::test::state().FlowState = static_cast<std::uint8_t>(flowState);
    program.clickDiagram(SwitchX, SwitchY);
    QCOMPARE(program.student.boxTexts(),
             QStringList{QStringLiteral("Ce n'est pas le moment de traiter le switch")});
    QCOMPARE(program.student.boxes.front().kind, kw::seam::BoxKind::Warning);
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(1));
    QVERIFY(program.student.dialogsOpened.isEmpty());
    QVERIFY(!windows().f_switch->isVisible());
    QCOMPARE(kw::test::state().FlowState, std::uint8_t(flowState));
}

void TestSwitch::wrongSteps_data()
{
    QTest::addColumn<QByteArray>("parameters");
    QTest::addColumn<QByteArray>("exercise");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QList<int>>("leds"); // empty: the LED dialog must not open
    QTest::addColumn<QStringList>("boxes");

    const QByteArray none;
    const QByteArray m1ToM5 = "1 5\r\nFIN\r\n";
    const QString unknown = QStringLiteral("b_dinconnu");
    QTest::newRow("destination copied")
        << none << m1ToM5 << 0 << 1 << unknown << QList<int>{} << QStringList{TableNotUpdated};
    QTest::newRow("narrow column copied")
        << none << m1ToM5 << 2 << 1 << unknown << QList<int>{} << QStringList{TableNotUpdated};
    QTest::newRow("upper layers copied")
        << none << m1ToM5 << 3 << 1 << unknown << QList<int>{} << QStringList{TableNotUpdated};
    QTest::newRow("wrong port") << none << m1ToM5 << 1 << 4 << unknown << QList<int>{}
                                << QStringList{TableNotUpdated};
    QTest::newRow("no port") << none << m1ToM5 << 1 << 0 << unknown << QList<int>{}
                             << QStringList{TableNotUpdated};
    QTest::newRow("port for an unknown destination")
        << none << m1ToM5 << 1 << 1 << QStringLiteral("b_d4") << QList<int>{}
        << QStringList{AddressesMisread};
    QTest::newRow("no forwarding choice")
        << none << m1ToM5 << 1 << 1 << QString() << QList<int>{} << QStringList{AddressesMisread};
    QTest::newRow("unknown for a known destination")
        << QByteArray("entrees_initiales=5\r\n") << m1ToM5 << 1 << 1 << unknown << QList<int>{}
        << QStringList{AddressesMisread};
    QTest::newRow("broadcast needs inconnu")
        << QByteArray("entrees_initiales=12345678\r\n") << QByteArray("1 9\r\nFIN\r\n") << 1 << 1
        << QStringLiteral("b_d1") << QList<int>{} << QStringList{AddressesMisread};
    QTest::newRow("second RX LED lit")
        << none << m1ToM5 << 1 << 1 << unknown << QList<int>{2, 4, 3, 5, 7} << QStringList{RxWrong};
    QTest::newRow("flood misses a port")
        << none << m1ToM5 << 1 << 1 << unknown << QList<int>{2, 3, 5} << QStringList{TxWrong};
    QTest::newRow("no RX and one TX: both messages")
        << none << m1ToM5 << 1 << 1 << unknown << QList<int>{1} << QStringList{RxWrong, TxWrong};
    QTest::newRow("filtering with a TX LED lit")
        << QByteArray("entrees_initiales=2\r\n") << QByteArray("1 2\r\nFIN\r\n") << 1 << 1
        << QStringLiteral("b_d1") << QList<int>{2, 1} << QStringList{TxWrong};
}

void TestSwitch::wrongSteps()
{
    QFETCH(QByteArray, parameters);
    QFETCH(QByteArray, exercise);
    QFETCH(int, column);
    QFETCH(int, port);
    QFETCH(QString, choice);
    QFETCH(QList<int>, leds);
    QFETCH(QStringList, boxes);

    Program program(ini(parameters), exercise.constData());
    QVERIFY(program.started());
    const QStringList tableBefore = shownRows();
    kw::test::state().FlowState = kw::flow::SenderHubDone;
    bool stillOpen = false;
    program.student.thenDialog([&](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch*>(d);
        QVERIFY(dialog);
        prepare(dialog, column, port, choice);
        clickPicture(dialog);
        stillOpen = dialog->isVisible();
    });
    if (!leds.isEmpty()) {
        program.student.thenDialog([&](QDialog* d) {
            auto* dialog = qobject_cast<Tf_switch_gros*>(d);
            QVERIFY(dialog);
            clickLeds(dialog, leds);
            QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
            // A wrong pattern keeps the dialog open; the student then closes it.
            QVERIFY(dialog->isVisible());
        });
    }
    program.clickDiagram(SwitchX, SwitchY);

    QCOMPARE(program.student.boxTexts(), boxes);
    QCOMPARE(kw::test::state().ErrorTotal, std::uint16_t(boxes.size()));
    QVERIFY(stillOpen);
    const QStringList expectedDialogs =
        leds.isEmpty() ? QStringList{QStringLiteral("Tf_switch")}
                       : QStringList{QStringLiteral("Tf_switch"), QStringLiteral("Tf_switch_gros")};
    QCOMPARE(program.student.dialogsOpened, expectedDialogs);
    // Nothing committed: the table only holds the entry being prepared.
    QCOMPARE(shownRows().mid(0, 8), tableBefore.mid(0, 8));
    QCOMPARE(kw::test::state().FlowState, kw::flow::SenderHubDone);
    QVERIFY(!windows().f_avance->_switch->isChecked());
    QVERIFY(redCables(program).isEmpty());
    // The LEDs stay as the student left them.
    std::sort(leds.begin(), leds.end());
    QCOMPARE(litLeds(), leds);
}

void TestSwitch::portDoubleClickChecksTheButton()
{
    Program program(ini({}), "1 5\r\nFIN\r\n");
    kw::test::state().FlowState = kw::flow::SenderHubDone;
    QString withoutPort;
    QString withPort;
    bool checked = false;
    program.student.thenDialog([&](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch*>(d);
        QVERIFY(dialog);
        doubleClickFrame(dialog, 1);
        withoutPort = shownRows().back();
        // The double-click event alone, without the click that usually comes first.
        QTest::mouseDClick(dialog->port3, Qt::LeftButton, {}, QPoint(6, 8));
        checked = dialog->port3->isChecked();
        withPort = shownRows().back();
    });
    program.clickDiagram(SwitchX, SwitchY);
    QCOMPARE(withoutPort, row(M1, u"99"_s, {}));
    QVERIFY(checked);
    QCOMPARE(withPort, row(M1, u"99"_s, u"3"_s));
}

void TestSwitch::closingTheSwitchDialogCommitsNothing()
{
    Program program(ini({}), "1 5\r\nFIN\r\n");
    kw::test::state().FlowState = kw::flow::SenderHubDone;
    program.student.thenDialog([](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch*>(d);
        QVERIFY(dialog);
        prepare(dialog, 1, 1, QStringLiteral("b_dinconnu"));
    });
    program.clickDiagram(SwitchX, SwitchY);
    QVERIFY(!windows().f_switch->isVisible());
    QCOMPARE(kw::test::state().FlowState, kw::flow::SenderHubDone);
    QVERIFY(!windows().f_avance->_switch->isChecked());

    // The student comes back to the entry as it was left.
    QString entry;
    bool portKept = false;
    bool choiceKept = false;
    program.student.thenDialog([&](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch*>(d);
        QVERIFY(dialog);
        entry = shownRows().back();
        portKept = dialog->port1->isChecked();
        choiceKept = dialog->b_dinconnu->isChecked();
    });
    program.clickDiagram(SwitchX, SwitchY);
    QCOMPARE(entry, row(M1, u"99"_s, u"1"_s));
    QVERIFY(portKept);
    QVERIFY(choiceKept);
    QVERIFY(program.student.boxes.empty());
}

void TestSwitch::wholeStepMachine1ToUnknownMachine5()
{
    Program program(ini({}), "1 5\r\nFIN\r\n");
    QVERIFY(program.started());
    QString frameDestination;
    QString frameSource;
    QString preparedEntry;
    kw::test::state().FlowState = kw::flow::SenderHubDone;
    program.student.thenDialog([&](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch*>(d);
        QVERIFY(dialog);
        frameDestination = kw::ui::cell(dialog->trame, 0, 0);
        frameSource = kw::ui::cell(dialog->trame, 1, 0);
        prepare(dialog, 1, 1, QStringLiteral("b_dinconnu"));
        preparedEntry = shownRows().back();
        clickPicture(dialog);
    });
    int draw = 0;
    program.student.thenDialog([&](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch_gros*>(d);
        QVERIFY(dialog);
        QVERIFY(dialog->Label1->isVisible());
        QVERIFY(dialog->BitBtn1->isVisible());
        QVERIFY(dialog->Panel1->isEnabled());
        clickLeds(dialog, {2, 3, 5, 7});
        draw = nextAgeingDraw();
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
    });
    program.clickDiagram(SwitchX, SwitchY);

    QCOMPARE(frameDestination, M5);
    QCOMPARE(frameSource, M1);
    QCOMPARE(preparedEntry, row(M1, u"99"_s, u"1"_s));
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(program.student.dialogsOpened,
             (QStringList{QStringLiteral("Tf_switch"), QStringLiteral("Tf_switch_gros")}));
    QCOMPARE(kw::test::state().FlowState, kw::flow::TowardsOneHub);
    QVERIFY(!kw::test::state().FrameFiltered);
    QCOMPARE(kw::test::state().SwitchInPort, std::uint8_t(1));
    QVERIFY(windows().f_avance->_switch->isChecked());
    QVERIFY(!windows().f_switch->isVisible());
    QVERIFY(!windows().f_switch_gros->isVisible());

    QVERIFY(draw >= 8 && draw <= 17);
    const QStringList expected = QStringList{row(M1, QString::number(99 - draw), u"1"_s)}
                                 << emptyRows(8);
    QCOMPARE(shownRows(), expected);
    QCOMPARE(modelRows(), expected);

    // The emitting ports' cables, first line only.
    QCOMPARE(redCables(program), (QList<int>{8, 9, 10}));
    for (int cable : {8, 9, 10}) {
        QVERIFY(cableLineIs(program, cable, kw::CableLine::First, Red));
        QVERIFY(!cableLineHas(program, cable, kw::CableLine::Second, Red));
    }
}

void TestSwitch::hubsAroundTheSwitchFollowItsLeds()
{
    // Hubs pass by themselves here, so that only the switch is played by hand.
    Program program(ini("hub_auto=1\r\n"), "1 5\r\nFIN\r\n");
    QVERIFY(program.started());
    kw::SharedState& g = kw::test::state();
    g.HubAutoSlots[1] = false;
    g.FlowState = kw::flow::MachineEmitted;
    program.clickDiagram(100, 145); // Hub 1
    QCOMPARE(g.FlowState, kw::flow::SenderHubDone);
    QVERIFY(windows().f_avance->_hub1->isChecked());

    // Hub 2 waits for the switch.
    program.clickDiagram(380, 145);
    QCOMPARE(program.student.boxTexts(),
             QStringList{QStringLiteral("Ce n'est pas le moment de traiter ce hub")});
    program.student.clear();

    playMachine1ToMachine5(program);
    QCOMPARE(g.FlowState, kw::flow::TowardsOneHub);
    QVERIFY(program.student.boxes.empty());

    // Port 4's TX LED, lit in the switch's LED dialog, lets Hub 2 repeat the frame.
    program.clickDiagram(380, 145);
    QVERIFY(program.student.boxes.empty());
    QCOMPARE(g.FlowState, kw::flow::ReachedAll);
    QVERIFY(windows().f_avance->_hub2->isChecked());
}

void TestSwitch::filteringWhenDestinationBehindArrivalPort()
{
    Program program(ini("entrees_initiales=2\r\n"), "1 2\r\nFIN\r\n");
    QVERIFY(program.started());
    kw::test::state().FlowState = kw::flow::SenderHubDone;
    program.student.thenDialog([](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch*>(d);
        QVERIFY(dialog);
        prepare(dialog, 1, 1, QStringLiteral("b_d1"));
        clickPicture(dialog);
    });
    program.student.thenDialog([](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch_gros*>(d);
        QVERIFY(dialog);
        clickLeds(dialog, {2});
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
    });
    program.clickDiagram(SwitchX, SwitchY);

    QVERIFY(program.student.boxes.empty());
    QCOMPARE(kw::test::state().FlowState, kw::flow::ReachedAll);
    QVERIFY(kw::test::state().FrameFiltered);
    QVERIFY(windows().f_avance->_switch->isChecked());
    QVERIFY(redCables(program).isEmpty());
    const QStringList rows = shownRows();
    QVERIFY(rows[0].startsWith(M2 + QLatin1Char('|')));
    QVERIFY(rows[1].startsWith(M1 + QLatin1Char('|')));
    QVERIFY(rows[1].endsWith(QStringLiteral("|1")));
}

void TestSwitch::serverFloodGoesToBothHubs()
{
    Program program(ini({}), "7 5\r\nFIN\r\n");
    QVERIFY(program.started());
    kw::test::state().FlowState = kw::flow::ServerEmitted;
    program.student.thenDialog([](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch*>(d);
        QVERIFY(dialog);
        prepare(dialog, 1, 2, QStringLiteral("b_dinconnu"));
        clickPicture(dialog);
    });
    program.student.thenDialog([](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch_gros*>(d);
        QVERIFY(dialog);
        clickLeds(dialog, {4, 1, 5, 7});
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
    });
    program.clickDiagram(SwitchX, SwitchY);

    QVERIFY(program.student.boxes.empty());
    QCOMPARE(kw::test::state().FlowState, kw::flow::TowardsBothHubs);
    QCOMPARE(redCables(program), (QList<int>{7, 8, 10}));
}

void TestSwitch::reviewModes()
{
    Program program(ini({}), "1 5\r\nFIN\r\n");
    QVERIFY(program.started());
    playMachine1ToMachine5(program);
    QCOMPARE(kw::test::state().FlowState, kw::flow::TowardsOneHub);
    const QStringList committed = shownRows();
    program.student.clear();

    // A second click shows the dialog without running it modally.
    program.clickDiagram(SwitchX, SwitchY);
    Tf_switch* s = windows().f_switch;
    QVERIFY(s->isVisible());
    QVERIFY(program.student.dialogsOpened.isEmpty());
    QVERIFY(!s->Panel->isEnabled());
    QVERIFY(!s->dest_via->isEnabled());
    QVERIFY(s->GroupBox2->isEnabled());
    QVERIFY(s->image_switch->isEnabled());
    QCOMPARE(shownRows(), committed);

    // The picture opens the LEDs, modally, for looking only.
    const QImage before = windows().f_switch_gros->Image1->canvas();
    bool labelShown = true;
    bool buttonShown = true;
    bool panelEnabled = true;
    program.student.thenDialog([&](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch_gros*>(d);
        QVERIFY(dialog);
        labelShown = dialog->Label1->isVisible();
        buttonShown = dialog->BitBtn1->isVisible();
        panelEnabled = dialog->Panel1->isEnabled();
        clickLeds(dialog, {1, 2});
    });
    clickPicture(s);
    QCOMPARE(program.student.dialogsOpened, QStringList{QStringLiteral("Tf_switch_gros")});
    QVERIFY(!labelShown);
    QVERIFY(!buttonShown);
    QVERIFY(!panelEnabled);
    QCOMPARE(litLeds(), (QList<int>{2, 3, 5, 7}));
    QCOMPARE(windows().f_switch_gros->Image1->canvas(), before);
    QCOMPARE(kw::test::state().FlowState, kw::flow::TowardsOneHub);
    QCOMPARE(shownRows(), committed);
    QVERIFY(program.student.boxes.empty());
    QVERIFY(s->isVisible());
}

void TestSwitch::tableCarriesOverToNextExercise()
{
    Program program(ini({}), "1 5\r\n4 1\r\nFIN\r\n");
    QVERIFY(program.started());
    playMachine1ToMachine5(program);
    program.clickDiagram(SwitchX, SwitchY); // review view left open
    const QStringList committed = shownRows();
    QVERIFY(committed.front().startsWith(M1 + QLatin1Char('|')));
    program.student.clear();

    kw::test::nextExercise();
    Tf_switch* s = windows().f_switch;
    QVERIFY(!s->isVisible());
    QCOMPARE(s->trame->currentColumn(), 3);
    QCOMPARE(shownRows(), committed);
    QVERIFY(!windows().f_avance->_switch->isChecked());
    QVERIFY(litLeds().isEmpty());
    QCOMPARE(kw::test::state().CurrentExercise.source, std::uint8_t(4));

    // Machine 4 to Machine 1, known on port 1 since the last frame.
    kw::test::state().FlowState = kw::flow::SenderHubDone;
    QString frameDestination;
    QString frameSource;
    int selectedAtOpening = -1;
    bool choicesKept = false;
    bool panelEnabled = false;
    QString layersEntry;
    program.student.thenDialog([&](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch*>(d);
        QVERIFY(dialog);
        frameDestination = kw::ui::cell(dialog->trame, 0, 0);
        frameSource = kw::ui::cell(dialog->trame, 1, 0);
        selectedAtOpening = dialog->trame->currentColumn();
        choicesKept = dialog->port1->isChecked() && dialog->b_dinconnu->isChecked();
        panelEnabled = dialog->Panel->isEnabled() && dialog->dest_via->isEnabled();
        // Straight to the port: the selected field is still " Couches LLC et supérieures".
        prepare(dialog, -1, 4, QStringLiteral("b_d1"));
        layersEntry = shownRows().back();
        clickPicture(dialog);
        prepare(dialog, 1, 4, {});
        clickPicture(dialog);
    });
    program.student.thenDialog([](QDialog* d) {
        auto* dialog = qobject_cast<Tf_switch_gros*>(d);
        QVERIFY(dialog);
        QVERIFY(dialog->Panel1->isEnabled());
        clickLeds(dialog, {8, 1});
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
    });
    program.clickDiagram(SwitchX, SwitchY);

    QCOMPARE(frameDestination, M1);
    QCOMPARE(frameSource, M4);
    QCOMPARE(selectedAtOpening, 3);
    QVERIFY(choicesKept);
    QVERIFY(panelEnabled);
    QCOMPARE(layersEntry, row(QStringLiteral(" Couches LLC et supérieures"), u"99"_s, u"4"_s));
    QCOMPARE(program.student.boxTexts(), QStringList{TableNotUpdated});
    QCOMPARE(kw::test::state().FlowState, kw::flow::TowardsOneHub);
    QCOMPARE(redCables(program), QList<int>{7});
    const QStringList rows = shownRows();
    QVERIFY(rows[0].startsWith(M1 + QLatin1Char('|')));
    QVERIFY(rows[1].startsWith(M4 + QLatin1Char('|')));
    QVERIFY(rows[1].endsWith(QStringLiteral("|4")));
}

void TestSwitch::ledHitRegions_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("led"); // 0: no LED

    const Qt::KeyboardModifiers plain;
    QTest::newRow("LED 1 top left") << 39 << 21 << Qt::LeftButton << plain << 1;
    QTest::newRow("LED 1 bottom right") << 57 << 39 << Qt::LeftButton << plain << 1;
    QTest::newRow("left of LED 1") << 38 << 30 << Qt::LeftButton << plain << 0;
    QTest::newRow("right of LED 1") << 58 << 30 << Qt::LeftButton << plain << 0;
    QTest::newRow("above the band") << 48 << 20 << Qt::LeftButton << plain << 0;
    QTest::newRow("below the band") << 48 << 40 << Qt::LeftButton << plain << 0;
    QTest::newRow("LED 2 right button") << 72 << 30 << Qt::RightButton << plain << 2;
    QTest::newRow("LED 2 right edge with shift")
        << 90 << 21 << Qt::LeftButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << 2;
    QTest::newRow("between ports 1 and 2") << 100 << 30 << Qt::LeftButton << plain << 0;
    QTest::newRow("LED 3 middle button") << 152 << 39 << Qt::MiddleButton << plain << 3;
    QTest::newRow("LED 4 left edge") << 167 << 30 << Qt::LeftButton << plain << 4;
    QTest::newRow("LED 5 left edge") << 231 << 30 << Qt::LeftButton << plain << 5;
    QTest::newRow("LED 5 right edge") << 249 << 39 << Qt::LeftButton << plain << 5;
    QTest::newRow("between LEDs 5 and 6") << 250 << 30 << Qt::LeftButton << plain << 0;
    QTest::newRow("LED 6 left edge") << 263 << 21 << Qt::LeftButton << plain << 6;
    QTest::newRow("LED 6 right edge") << 281 << 30 << Qt::LeftButton << plain << 6;
    QTest::newRow("LED 7 left edge") << 325 << 30 << Qt::LeftButton << plain << 7;
    QTest::newRow("LED 7 right edge") << 343 << 30 << Qt::LeftButton << plain << 7;
    QTest::newRow("LED 8 left edge") << 358 << 39 << Qt::LeftButton << plain << 8;
    QTest::newRow("LED 8 right edge") << 376 << 30 << Qt::LeftButton << plain << 8;
    QTest::newRow("right of LED 8") << 377 << 30 << Qt::LeftButton << plain << 0;
}

void TestSwitch::ledHitRegions()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, led);

    Program program(ini({}), "1 5\r\nFIN\r\n");
    QVERIFY(program.started());
    Tf_switch_gros* g = windows().f_switch_gros;
    const QImage before = g->Image1->canvas();
    QImage afterFirst;
    QList<int> litAfterFirst;
    QImage afterSecond;
    QList<int> litAfterSecond;
    program.student.thenDialog([&](QDialog*) {
        QTest::mouseClick(g->Image1, button, modifiers, QPoint(x, y));
        afterFirst = g->Image1->canvas();
        litAfterFirst = litLeds();
        QTest::mouseClick(g->Image1, button, modifiers, QPoint(x, y));
        afterSecond = g->Image1->canvas();
        litAfterSecond = litLeds();
    });
    QVERIFY(kw::test::runForWork(kw::Window::SwitchGros, g) != QDialog::Accepted);

    QVERIFY(litAfterSecond.isEmpty());
    if (led == 0) {
        QVERIFY(litAfterFirst.isEmpty());
        QCOMPARE(afterFirst, before);
        QCOMPARE(afterSecond, before);
        return;
    }
    QCOMPARE(litAfterFirst, QList<int>{led});
    const QRgb lit = led % 2 == 1 ? Red : Green;
    QVERIFY(wholeSquareIs(led, Silver));
    // Exactly the 12 x 12 square changed, to the lit colour and then to silver.
    const kw::SwitchLedRect square = kw::SwitchLedSquare(led);
    const QRect painted(square.left, square.top, 12, 12);
    for (int py = 0; py < before.height(); ++py) {
        for (int px = 0; px < before.width(); ++px) {
            const bool inside = painted.contains(px, py);
            QCOMPARE(afterFirst.pixel(px, py), inside ? lit : before.pixel(px, py));
            QCOMPARE(afterSecond.pixel(px, py), inside ? Silver : before.pixel(px, py));
        }
    }
}

void TestSwitch::ledsSurviveReopeningAndResetAfterNouveau()
{
    Program program(ini({}), "1 5\r\n1 5\r\nFIN\r\n");
    QVERIFY(program.started());
    Tf_switch_gros* g = windows().f_switch_gros;
    const QImage start = g->Image1->canvas();
    for (int led = 1; led <= kw::LedCount; ++led)
        QVERIFY(wholeSquareIs(led, LightGrey));

    program.student.thenDialog([g](QDialog*) { clickLeds(g, {1, 4, 8}); });
    QVERIFY(kw::test::runForWork(kw::Window::SwitchGros, g) != QDialog::Accepted);
    QList<int> seenOnReopening;
    program.student.thenDialog([&](QDialog*) { seenOnReopening = litLeds(); });
    QVERIFY(kw::test::runForWork(kw::Window::SwitchGros, g) != QDialog::Accepted);
    QCOMPARE(seenOnReopening, (QList<int>{1, 4, 8}));
    QVERIFY(wholeSquareIs(1, Red));
    QVERIFY(wholeSquareIs(4, Green));
    QVERIFY(wholeSquareIs(8, Green));

    kw::test::markOpen(kw::Window::SwitchGros);
    g->show(); // still open when the next exercise starts
    kw::test::nextExercise();
    QVERIFY(!g->isVisible());
    QVERIFY(litLeds().isEmpty());
    const QImage reset = g->Image1->canvas();
    for (int py = 0; py < reset.height(); ++py) {
        for (int px = 0; px < reset.width(); ++px) {
            bool inSquare = false;
            for (int led = 1; led <= kw::LedCount; ++led) {
                const kw::SwitchLedRect s = kw::SwitchLedSquare(led);
                inSquare = inSquare || QRect(s.left, s.top, 12, 12).contains(px, py);
            }
            QCOMPARE(reset.pixel(px, py), inSquare ? Silver : start.pixel(px, py));
        }
    }
}

void TestSwitch::cleanup()
{
    QVERIFY(kw::seam::script() == nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            QVERIFY2(!dialog->isVisible(), dialog->metaObject()->className());
    }
}

KW_TEST_MAIN(TestSwitch)
#include "tst_switch.moc"
