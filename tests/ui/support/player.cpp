#include "player.h"

#include "keys.h"

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
#include "stations.h"
#include "stations/u_dest.h"
#include "stations/u_source.h"
#include "switch/U_switch.h"
#include "switch/u_switch_gros.h"
#include "switchleds.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>

#define PLAYER_CHECK(condition) check(static_cast<bool>(condition), #condition, __FILE__, __LINE__)

namespace kw::test {

namespace {
using kw::test::macOf;
using kw::test::stationPoint;

using kw::ui::Windows;
using kw::ui::windows;

const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);
const QRgb Yellow = qRgb(255, 255, 0);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 128, 0);

const QString EndOfFrameText =
    QStringLiteral("Vous avez mené à bien cette transmission\r\nUtilisez le menu Nouveau");
const QString SeriesEndPrefix = QStringLiteral("TOUS LES EXERCICES ONT ETE TRAITES en ");
const QString NotSenderText = QStringLiteral("Ce n'est pas le noeud émetteur");
const QString NotSwitchTimeText = QStringLiteral("Ce n'est pas le moment de traiter le switch");
const QString NotHubTimeText = QStringLiteral("Ce n'est pas le moment de traiter ce hub");
const QString NotStationTimeText =
    QStringLiteral("Ce n'est pas le moment de traiter cette station");
const QString DestinationLastText =
    QStringLiteral("Le destinataire doit être traité après TOUS les autres");

QPoint hubPoint(int hub)
{
    return hub == 1 ? QPoint(100, 145) : QPoint(380, 145);
}
const QPoint SwitchPoint(250, 100);
const QPoint BetweenTheHubs(250, 145);

// What screen readers, and the keyboard's focus mark, call the diagram's elements.
QString stationElement(int station)
{
    if (station == 7)
        return QStringLiteral("ServeurA");
    if (station == 8)
        return QStringLiteral("ServeurB");
    return QStringLiteral("Machine %1").arg(station);
}

bool isMachine(int station)
{
    return station >= 1 && station <= 6;
}

int hubOf(int station)
{
    if (station >= 1 && station <= 3)
        return 1;
    if (station >= 4 && station <= 6)
        return 2;
    return 0;
}

QString nameOf(int station)
{
    return QString::fromStdString(kw::test::state().StationTable[station].name);
}

void clickButton(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// What a real double-click delivers: press, release, double-click, release.
void doubleClick(QWidget* widget, const QPoint& pos)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

QPoint cellCentre(QTableWidget* grid, int column, int row)
{
    return grid->visualItemRect(grid->item(row, column)).center();
}

void doubleClickCell(QTableWidget* grid, int column, int row)
{
    doubleClick(grid->viewport(), cellCentre(grid, column, row));
}

// On the indicator, which is always part of the button's hit area.
void mouseClickRadio(QRadioButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

int rowOfName(const QTableWidget* grid, const QString& name)
{
    for (int row = 1; row < grid->rowCount(); ++row)
        if (kw::ui::cell(grid, 0, row) == name)
            return row;
    return -1;
}

// The sending dialog: pick the cache row, then double-click the frame cell; or pick the
// frame cell, then double-click the cache row.
void mouseCopyInto(Tf_source* dialog, int frameColumn, int cacheRow, bool fromCache)
{
    if (fromCache) {
        QTest::mouseClick(dialog->trame->viewport(), Qt::LeftButton, {},
                          cellCentre(dialog->trame, frameColumn, 0));
        doubleClickCell(dialog->table_MAC, 1, cacheRow);
        return;
    }
    QTest::mouseClick(dialog->table_MAC->viewport(), Qt::LeftButton, {},
                      cellCentre(dialog->table_MAC, 0, cacheRow));
    doubleClickCell(dialog->trame, frameColumn, 0);
}

// Hub LED pictures: an RX LED (odd) lights green, a TX LED (even) red.
QPoint hubLedPoint(int k)
{
    const kw::LedBox box = kw::LedRect(k);
    return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

bool hubLedLooksLit(const HubDialog* dialog, int k)
{
    return dialog->Image1->canvas().pixel(hubLedPoint(k)) == (k % 2 == 1 ? Green : Red);
}

// The student brings the LEDs from what the picture shows to `leds`.
void mouseSetHubLeds(HubDialog* dialog, const kw::LedRow& leds)
{
    for (int k = 1; k <= kw::LedCount; ++k)
        if (hubLedLooksLit(dialog, k) != leds[k])
            QTest::mouseClick(dialog->Image1, Qt::LeftButton, {}, hubLedPoint(k));
}

// Switch LED picture: a TX LED (odd) lights red, an RX LED (even) green.
QPoint switchLedPoint(int k)
{
    const kw::SwitchLedRect square = kw::SwitchLedSquare(k);
    return {square.left + square.width / 2, square.top + square.height / 2};
}

bool switchLedLooksLit(const Tf_switch_gros* dialog, int k)
{
    return dialog->Image1->canvas().pixel(switchLedPoint(k)) == (k % 2 == 1 ? Red : Green);
}

void mouseSetSwitchLeds(Tf_switch_gros* dialog, const kw::LedRow& leds)
{
    for (int k = 1; k <= kw::LedCount; ++k)
        if (switchLedLooksLit(dialog, k) != leds[k])
            QTest::mouseClick(dialog->Image1, Qt::LeftButton, {}, switchLedPoint(k));
}

// The switch's LEDs for a frame in on `inPort`: RX there; TX on every other port for an
// unknown destination, none when the destination lies behind the arrival port, else the
// destination's port.
kw::LedRow switchLedsFor(int inPort, const std::string& lookup)
{
    kw::LedRow leds{};
    leds[2 * inPort] = true;
    if (lookup == kw::UnknownPortText) {
        for (int port = 1; port <= 4; ++port)
            if (port != inPort)
                leds[2 * port - 1] = true;
        return leds;
    }
    const int port = std::stoi(lookup);
    if (port != inPort)
        leds[2 * port - 1] = true;
    return leds;
}

QRadioButton* forwardingButton(Tf_switch* dialog, const std::string& lookup)
{
    if (lookup == kw::UnknownPortText)
        return dialog->b_dinconnu;
    QRadioButton* ports[] = {dialog->b_d1, dialog->b_d2, dialog->b_d3, dialog->b_d4};
    return ports[std::stoi(lookup) - 1];
}

QRadioButton* portButton(Tf_switch* dialog, int port)
{
    QRadioButton* ports[] = {dialog->port1, dialog->port2, dialog->port3, dialog->port4};
    return ports[port - 1];
}

// Step 1) of the switch: the frame field, then the port (both double-clicked).
void mouseLearn(Tf_switch* dialog, int frameColumn, int port)
{
    doubleClickCell(dialog->trame, frameColumn, 0);
    doubleClick(portButton(dialog, port), QPoint(6, 8));
}

kw::SwitchTable shownTable(const Tf_switch* dialog)
{
    kw::SwitchTable table;
    for (int row = 0; row < kw::SwitchTableRowCount; ++row) {
        kw::SwitchRow& r = table.rows[static_cast<std::size_t>(row)];
        r.address = kw::ui::cell(dialog->table_ports, 0, row).toStdString();
        r.ttl = kw::ui::cell(dialog->table_ports, 1, row).toStdString();
        r.port = kw::ui::cell(dialog->table_ports, 2, row).toStdString();
    }
    return table;
}

kw::FrameRow shownFrame(const Tf_switch* dialog)
{
    kw::FrameRow frame;
    for (int column = 0; column < 5; ++column)
        frame[static_cast<std::size_t>(column)] =
            kw::ui::cell(dialog->trame, column, 0).toStdString();
    return frame;
}

QCheckBox* treatedBox(int hub)
{
    return hub == 1 ? windows().f_avance->_hub1 : windows().f_avance->_hub2;
}

QCheckBox* notConcernedBox(int hub)
{
    return hub == 1 ? windows().f_avance->Hub1 : windows().f_avance->Hub2;
}

// Pixels that two cable lines share show whichever was drawn last: they prove nothing.
const std::map<std::pair<int, int>, int>& linePixelUse()
{
    static const std::map<std::pair<int, int>, int> use = [] {
        std::map<std::pair<int, int>, int> counts;
        for (int cable = 1; cable <= kw::CableCount; ++cable)
            for (kw::CableLine line : {kw::CableLine::First, kw::CableLine::Second})
                for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
                    ++counts[{p.x, p.y}];
        return counts;
    }();
    return use;
}

} // namespace

QList<int> cablesShowing(const Program& program, kw::CableLine line, QRgb colour)
{
    const auto& use = linePixelUse();
    QList<int> cables;
    for (int cable = 1; cable <= kw::CableCount; ++cable) {
        bool all = true;
        for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
            if (use.at({p.x, p.y}) == 1 && program.diagramPixel(p.x, p.y) != colour)
                all = false;
        if (all)
            cables << cable;
    }
    return cables;
}

bool isCounted(Mistake mistake)
{
    return isShown(mistake) && mistake != Mistake::EarlyDestination;
}

bool isShown(Mistake mistake)
{
    return mistake != Mistake::None && mistake != Mistake::CloseFirst;
}

QList<int> ExerciseRecord::path() const
{
    QList<int> flows;
    for (const StepRecord& step : steps)
        if (flows.isEmpty() || flows.back() != step.flowAfter)
            flows << step.flowAfter;
    return flows;
}

int ExerciseRecord::flowAfter(StepKind kind, int target) const
{
    for (const StepRecord& step : steps)
        if (step.kind == kind && (target == 0 || step.target == target))
            return step.flowAfter;
    return -1;
}

Player::Player(Program& program) : m_program(program)
{
    // The student keeps answering the boxes and recording them; the player plays the
    // dialogs it expects and leaves any other to the student's own script.
    m_previous = kw::seam::script();
    m_script.onBox = [this](const kw::seam::BoxRecord& box) {
        return m_previous && m_previous->onBox ? m_previous->onBox(box) : true;
    };
    m_script.onModal = [this](QDialog* dialog) {
        if (!m_armed) {
            m_unexpected << QString::fromLatin1(dialog->metaObject()->className());
            if (m_previous && m_previous->onModal)
                m_previous->onModal(dialog);
            return;
        }
        m_program.student.dialogsOpened << QString::fromLatin1(dialog->metaObject()->className());
        Play play = std::move(m_armed);
        m_armed = nullptr;
        play(dialog);
    };
    kw::seam::setScript(&m_script);
}

Player::~Player()
{
    if (kw::seam::script() == &m_script)
        kw::seam::setScript(m_previous);
}

bool Player::check(bool condition, const char* expression, const char* file, int line)
{
    if (!condition) {
        m_ok = false;
        QTest::qVerify(false, expression, "scripted student", file, line);
    }
    return condition;
}

void Player::makeMistake(Mistake mistake, int step)
{
    m_mistake = mistake;
    m_mistakeStep = step;
    m_mistakeDone = false;
}

void Player::press(QPushButton* button)
{
    if (keyboard) {
        // Enter where the focus is, unless a grid has it (there Enter copies): then on the
        // button itself.
        check(keys::bringToFront(button), "window of the button in front", __FILE__, __LINE__);
        if (qobject_cast<QAbstractItemView*>(QApplication::focusWidget()))
            check(keys::tabTo(button), "Tab to the button", __FILE__, __LINE__);
        keys::press(Qt::Key_Return);
        return;
    }
    if (!pressEnter) {
        clickButton(button);
        return;
    }
    // Enter in the button's window, on the widget that has the focus if any; Enter on a grid
    // copies, so then on the window itself.
    QWidget* window = button->window();
    QWidget* focus = window->focusWidget();
    if (qobject_cast<QAbstractItemView*>(focus))
        focus = nullptr;
    QTest::keyClick(focus ? focus : window, Qt::Key_Return);
}

void Player::clickElement(const QString& name, const QPoint& point, Qt::Key key)
{
    if (!keyboard) {
        m_program.clickDiagram(point.x(), point.y());
        return;
    }
    kw::ui::ImageView* diagram = windows().Principale->Image1;
    if (check(keys::tabTo(diagram), "Tab to the diagram", __FILE__, __LINE__) &&
        check(keys::markElement(diagram, name), qPrintable(QStringLiteral("mark on ") + name),
              __FILE__, __LINE__))
        keys::press(key);
}

void Player::clickStation(int station)
{
    // Space on the stations, Enter on the other elements: both act as a click.
    clickElement(stationElement(station), stationPoint(station), Qt::Key_Space);
}

void Player::clickHub(int hub)
{
    clickElement(QStringLiteral("Hub %1").arg(hub), hubPoint(hub), Qt::Key_Return);
}

void Player::clickSwitch()
{
    clickElement(QStringLiteral("Switch"), SwitchPoint, Qt::Key_Return);
}

void Player::clickBetweenTheHubs()
{
    // The keyboard reaches only the elements.
    if (!check(!keyboard, "a click between the hubs by the keyboard", __FILE__, __LINE__))
        return;
    m_program.clickDiagram(BetweenTheHubs.x(), BetweenTheHubs.y());
}

void Player::copyInto(Tf_source* dialog, int frameColumn, int cacheRow)
{
    if (!keyboard) {
        mouseCopyInto(dialog, frameColumn, cacheRow, copyFromCache);
        return;
    }
    // The frame cell and the cache row chosen with the arrows, Enter on either grid.
    auto pick = [this](QTableWidget* grid, int column, int row) {
        return check(keys::tabTo(grid), qPrintable(grid->objectName()), __FILE__, __LINE__) &&
               check(keys::moveTo(grid, column, row), "arrows in the grid", __FILE__, __LINE__);
    };
    const int cacheColumn = std::max(0, dialog->table_MAC->currentColumn());
    const bool picked =
        copyFromCache
            ? pick(dialog->trame, frameColumn, 0) && pick(dialog->table_MAC, cacheColumn, cacheRow)
            : pick(dialog->table_MAC, cacheColumn, cacheRow) && pick(dialog->trame, frameColumn, 0);
    if (picked)
        keys::press(Qt::Key_Return);
}

void Player::setHubLeds(HubDialog* dialog, const kw::LedRow& leds)
{
    if (!keyboard) {
        mouseSetHubLeds(dialog, leds);
        return;
    }
    setLedsByKeys(dialog->Image1, leds, [dialog](int k) { return hubLedLooksLit(dialog, k); });
}

void Player::setSwitchLeds(Tf_switch_gros* dialog, const kw::LedRow& leds)
{
    if (!keyboard) {
        mouseSetSwitchLeds(dialog, leds);
        return;
    }
    setLedsByKeys(dialog->Image1, leds, [dialog](int k) { return switchLedLooksLit(dialog, k); });
}

void Player::setLedsByKeys(kw::ui::ImageView* picture, const kw::LedRow& leds,
                           const std::function<bool(int)>& looksLit)
{
    // From the first LED to the last: Space where the picture differs.
    if (!check(keys::tabTo(picture), "Tab to the LEDs", __FILE__, __LINE__))
        return;
    keys::press(Qt::Key_Home);
    for (int k = 1; k <= kw::LedCount; ++k) {
        if (!PLAYER_CHECK(picture->markShown() && picture->markedElement() == k - 1))
            return;
        if (looksLit(k) != leds[k])
            keys::press(Qt::Key_Space);
        PLAYER_CHECK(looksLit(k) == leds[k]);
        keys::press(Qt::Key_Right);
    }
}

void Player::learn(Tf_switch* dialog, int frameColumn, int port)
{
    if (!keyboard) {
        mouseLearn(dialog, frameColumn, port);
        return;
    }
    // Enter on the frame's field, then on the port button.
    if (check(keys::tabTo(dialog->trame), "Tab to the frame", __FILE__, __LINE__) &&
        check(keys::moveTo(dialog->trame, frameColumn, 0), "arrows in the frame", __FILE__,
              __LINE__))
        keys::press(Qt::Key_Return);
    if (check(keys::arrowTo(portButton(dialog, port)), "arrows to the port", __FILE__, __LINE__))
        keys::press(Qt::Key_Return);
}

void Player::chooseRadio(QRadioButton* button)
{
    if (!keyboard) {
        mouseClickRadio(button);
        return;
    }
    check(keys::arrowTo(button), qPrintable(button->objectName()), __FILE__, __LINE__);
}

void Player::clickSwitchPicture(Tf_switch* dialog)
{
    if (!keyboard) {
        QTest::mouseClick(dialog->image_switch, Qt::LeftButton, {}, QPoint(70, 10));
        return;
    }
    if (check(keys::tabTo(dialog->image_switch), "Tab to the switch picture", __FILE__, __LINE__))
        keys::press(Qt::Key_Space);
}

void Player::toggle(QCheckBox* box)
{
    if (!keyboard) {
        QTest::mouseClick(box, Qt::LeftButton);
        return;
    }
    if (check(keys::tabTo(box), qPrintable(box->objectName()), __FILE__, __LINE__))
        keys::press(Qt::Key_Space);
}

void Player::setBox(QCheckBox* box, bool ticked)
{
    if (box->isChecked() != ticked)
        toggle(box);
}

void Player::chooseNouveau()
{
    TPrincipale* principale = windows().Principale;
    if (!keyboard) {
        principale->Nouveau->trigger();
        return;
    }
    if (check(keys::bringToFront(principale), "main window in front", __FILE__, __LINE__))
        keys::press(Qt::Key_N, Qt::AltModifier);
}

void Player::closeHalfDone(QDialog* dialog)
{
    // By the mouse the close box, which the program's script presses for a dialog left open.
    if (!keyboard)
        return;
    if (check(keys::bringToFront(dialog), "dialog in front", __FILE__, __LINE__))
        keys::press(Qt::Key_Escape);
    PLAYER_CHECK(!dialog->isVisible());
}

void Player::arm(Play play)
{
    m_armed = std::move(play);
}

bool Player::disarm()
{
    const bool opened = !m_armed;
    m_armed = nullptr;
    return opened;
}

void Player::beginIfNewExercise()
{
    const kw::SharedState& g = kw::test::state();
    if (!m_records.empty() && m_records.back().number == g.ExerciseNumber)
        return;
    ExerciseRecord fresh;
    fresh.number = g.ExerciseNumber;
    fresh.source = g.CurrentExercise.source;
    fresh.destination = g.CurrentExercise.destination;
    m_records.push_back(std::move(fresh));
    m_stepIndex = 0;
    m_emitted = false;
    m_switchDone = false;
    m_hubsDone.clear();
    m_copied.clear();
    m_switchLeds = {};
    m_hubLeds = {};
    for (auto& lines : m_lines)
        lines = {Black, Black};
}

void Player::beginStep(StepKind kind, int target)
{
    beginIfNewExercise();
    m_ok = true;
    m_mistakeNow = false;
    m_reopened = false;
    StepRecord step;
    step.kind = kind;
    step.target = target;
    step.flowBefore = kw::test::state().FlowState;
    record().steps.push_back(step);
    m_errorsBefore = kw::test::state().ErrorTotal;
    m_boxesBefore = m_program.student.boxes.size();
    m_unexpected.clear();
}

bool Player::endStep(bool dialogOpened)
{
    const kw::SharedState& g = kw::test::state();
    StepRecord& step = record().steps.back();
    step.flowAfter = g.FlowState;
    step.dialogOpened = dialogOpened;
    step.mistakeMade = m_mistakeNow;
    int warnings = 0;
    for (std::size_t i = m_boxesBefore; i < m_program.student.boxes.size(); ++i) {
        const kw::seam::BoxRecord& box = m_program.student.boxes[i];
        step.boxes << box.text;
        if (box.kind == kw::seam::BoxKind::Warning)
            ++warnings;
    }
    // A mistake shows exactly one warning and, when the program counts it, one more error.
    const int expectedErrors = m_mistakeNow && isCounted(m_mistake) ? 1 : 0;
    PLAYER_CHECK(g.ErrorTotal == m_errorsBefore + expectedErrors);
    PLAYER_CHECK(warnings == (m_mistakeNow && isShown(m_mistake) ? 1 : 0));
    if (expectedErrors > 0)
        PLAYER_CHECK(windows().f_avance->label_erreurs->text() ==
                     QStringLiteral("Cumul erreurs = %1").arg(g.ErrorTotal));
    // No other modal dialog opened, and every dialog is closed again (review windows the
    // student leaves open aside).
    PLAYER_CHECK(m_unexpected.isEmpty());
    if (lookBack != LookBack::AndLeaveOpen)
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(widget))
                check(!dialog->isVisible(), dialog->metaObject()->className(), __FILE__, __LINE__);
    checkDiagram();
    ++m_stepIndex;
    return m_ok;
}

bool Player::mistakeFits(Mistake mistake, StepKind kind) const
{
    switch (mistake) {
    case Mistake::None:
        return false;
    case Mistake::ClickOutOfTurn:
        return true;
    case Mistake::EarlyDestination:
        return m_emitted && (kind == StepKind::Hub || kind == StepKind::Switch);
    case Mistake::WrongAddress:
        return kind == StepKind::Emit;
    case Mistake::WrongHubLed:
        return kind == StepKind::Hub;
    case Mistake::WrongTableUpdate:
    case Mistake::WrongTablePort:
    case Mistake::WrongPortChoice:
    case Mistake::WrongSwitchLed:
        return kind == StepKind::Switch;
    case Mistake::NoCopy:
        return kind == StepKind::Receive;
    case Mistake::WrongNonConcerne:
    case Mistake::TickEmetteur:
    case Mistake::TickDestinataire:
        return kind == StepKind::End;
    case Mistake::CloseFirst:
        return kind != StepKind::End;
    }
    return false;
}

bool Player::takeMistake(Mistake mistake)
{
    if (m_mistake != mistake || m_mistakeDone)
        return false;
    if (m_mistakeStep >= 0 && m_mistakeStep != m_stepIndex)
        return false;
    if (!mistakeFits(mistake, record().steps.back().kind))
        return false;
    m_mistakeDone = true;
    m_mistakeNow = true;
    return true;
}

// A click the program must refuse at this point of the frame, with its message.
bool Player::clickOutOfTurn()
{
    const ExerciseRecord& r = record();
    const std::size_t boxes = m_program.student.boxes.size();
    QString expected;
    if (!m_emitted) {
        const int other = r.destination <= kw::StationCount ? r.destination : r.source % 8 + 1;
        clickStation(other);
        expected = NotSenderText;
    } else if (isMachine(r.source) && !m_hubsDone.contains(hubOf(r.source))) {
        clickSwitch();
        expected = NotSwitchTimeText;
    } else if (!m_switchDone) {
        const int hub = isMachine(r.source) ? 3 - hubOf(r.source) : 1;
        clickHub(hub);
        expected = NotHubTimeText;
    } else if (r.destination != kw::BroadcastIndex && r.steps.back().kind == StepKind::Receive) {
        int other = 1;
        while (other == r.source || other == r.destination)
            ++other;
        clickStation(other);
        expected = NotStationTimeText;
    } else {
        clickBetweenTheHubs();
        expected = NotHubTimeText;
    }
    if (!PLAYER_CHECK(m_program.student.boxes.size() == boxes + 1))
        return false;
    return PLAYER_CHECK(m_program.student.boxes.back().text == expected);
}

// The unicast destination clicked while the frame is on its way: a hint, nothing counted.
bool Player::clickEarlyDestination()
{
    const ExerciseRecord& r = record();
    // Unicast: the destination. Broadcast: a station of the sender's side while the sender's
    // hub has not repeated the frame yet, else one of the other side, which the frame has not
    // reached before FlowState 50.
    int station = r.destination;
    if (station == kw::BroadcastIndex) {
        const bool hubPending = isMachine(r.source) && !m_hubsDone.contains(hubOf(r.source));
        station = 0;
        for (int c = 1; c <= kw::StationCount && station == 0; ++c)
            if (c != r.source && kw::SameSide(c, r.source) == hubPending && !m_copied.contains(c))
                station = c;
        if (!PLAYER_CHECK(station != 0))
            return false;
    }
    const std::size_t boxes = m_program.student.boxes.size();
    clickStation(station);
    if (!PLAYER_CHECK(m_program.student.boxes.size() == boxes + 1))
        return false;
    return PLAYER_CHECK(m_program.student.boxes.back().text == DestinationLastText);
}

bool Player::checkDiagram()
{
    const auto& use = linePixelUse();
    for (int cable = 1; cable <= kw::CableCount; ++cable) {
        for (int line = 0; line < 2; ++line) {
            const QRgb expected = m_lines[static_cast<std::size_t>(cable)][line];
            for (const kw::Pixel& p : kw::CableLinePixels(
                     cable, line == 0 ? kw::CableLine::First : kw::CableLine::Second)) {
                if (use.at({p.x, p.y}) > 1)
                    continue;
                const QRgb shown = m_program.diagramPixel(p.x, p.y);
                if (shown != expected) {
                    m_ok = false;
                    const QByteArray message =
                        QStringLiteral("cable %1, %2 line: pixel (%3, %4) is %5, expected %6")
                            .arg(cable)
                            .arg(line == 0 ? QStringLiteral("first") : QStringLiteral("second"))
                            .arg(p.x)
                            .arg(p.y)
                            .arg(QColor(shown).name(), QColor(expected).name())
                            .toUtf8();
                    QTest::qVerify(false, message.constData(), "diagram", __FILE__, __LINE__);
                    return false;
                }
            }
        }
    }
    return true;
}

bool Player::emitFrame()
{
    beginStep(StepKind::Emit, kw::test::state().CurrentExercise.source);
    const int source = record().source;
    const int destination = record().destination;
    if (takeMistake(Mistake::ClickOutOfTurn))
        clickOutOfTurn();
    // The student reads the exercise in the main window.
    TPrincipale* principale = windows().Principale;
    const QString sourceName = principale->Edit1->text();
    const QString destinationName = principale->Edit2->text();
    PLAYER_CHECK(sourceName == nameOf(source));
    PLAYER_CHECK(destinationName == nameOf(destination));
    if (takeMistake(Mistake::CloseFirst)) {
        // Half the frame, then the close box: nothing is emitted.
        arm([this, destinationName](QDialog* dialog) {
            if (auto* d = qobject_cast<Tf_source*>(dialog)) {
                copyInto(d, 0, rowOfName(d->table_MAC, destinationName));
                closeHalfDone(d);
            }
        });
        clickStation(source);
        PLAYER_CHECK(disarm());
        PLAYER_CHECK(kw::test::state().FlowState == kw::flow::ExerciseReady);
        PLAYER_CHECK(!windows().f_avance->_emetteur->isChecked());
        PLAYER_CHECK(!principale->trame_gauche->isVisible());
        m_reopened = true;
    }

    arm([this, sourceName, destinationName](QDialog* dialog) {
        auto* d = qobject_cast<Tf_source*>(dialog);
        if (!PLAYER_CHECK(d))
            return;
        // Each opening for emission starts from an empty frame.
        PLAYER_CHECK(kw::ui::cell(d->trame, 0, 0).isEmpty());
        PLAYER_CHECK(kw::ui::cell(d->trame, 1, 0).isEmpty());
        PLAYER_CHECK(d->Panel->isEnabled());
        PLAYER_CHECK(d->BitBtn1->isVisible());
        PLAYER_CHECK(d->edit1->text() == sourceName);
        const int sourceRow = rowOfName(d->table_MAC, sourceName);
        const int destinationRow = rowOfName(d->table_MAC, destinationName);
        if (!PLAYER_CHECK(sourceRow >= 1 && destinationRow >= 1))
            return;
        if (takeMistake(Mistake::WrongAddress)) {
            copyInto(d, 0, sourceRow);
            copyInto(d, 1, destinationRow);
            press(d->BitBtn1);
            PLAYER_CHECK(d->isVisible());
        }
        copyInto(d, 0, destinationRow);
        copyInto(d, 1, sourceRow);
        PLAYER_CHECK(kw::ui::cell(d->trame, 0, 0) == kw::ui::cell(d->table_MAC, 1, destinationRow));
        press(d->BitBtn1);
        PLAYER_CHECK(!d->isVisible());
    });
    clickStation(source);
    const bool opened = disarm();
    PLAYER_CHECK(opened);

    const kw::SharedState& g = kw::test::state();
    PLAYER_CHECK(g.FlowState ==
                 (isMachine(source) ? kw::flow::MachineEmitted : kw::flow::ServerEmitted));
    PLAYER_CHECK(windows().f_avance->_emetteur->isChecked());
    QTableWidget* frame = principale->trame_gauche;
    PLAYER_CHECK(frame->isVisible());
    PLAYER_CHECK(kw::ui::cell(frame, 0, 0) == macOf(destination));
    PLAYER_CHECK(kw::ui::cell(frame, 1, 0) == macOf(source));
    m_emitted = true;
    m_lines[static_cast<std::size_t>(kw::CableOf(source))][0] = White;
    return endStep(opened);
}

bool Player::hub(int hub)
{
    beginStep(StepKind::Hub, hub);
    const int source = record().source;
    if (takeMistake(Mistake::ClickOutOfTurn))
        clickOutOfTurn();
    else if (takeMistake(Mistake::EarlyDestination))
        clickEarlyDestination();
    const std::uint8_t flowBefore = kw::test::state().FlowState;
    // The frame comes in from the sending machine before the switch, else from the uplink.
    const bool fromSender = hub == hubOf(source) && !m_switchDone;
    const kw::LedRow expected = kw::ComputeExpectedHubLeds(
        hub, fromSender ? kw::flow::MachineEmitted : kw::flow::TowardsOneHub, source);
    if (takeMistake(Mistake::CloseFirst)) {
        // Every LED right, then the close box instead of "Terminé": the hub has not repeated.
        arm([this, expected](QDialog* dialog) {
            if (auto* d = qobject_cast<HubDialog*>(dialog)) {
                setHubLeds(d, expected);
                closeHalfDone(d);
            }
        });
        clickHub(hub);
        PLAYER_CHECK(disarm());
        PLAYER_CHECK(kw::test::state().FlowState == flowBefore);
        PLAYER_CHECK(!treatedBox(hub)->isChecked());
        m_reopened = true;
    }

    arm([this, hub, expected](QDialog* dialog) {
        auto* d = qobject_cast<HubDialog*>(dialog);
        if (!PLAYER_CHECK(d && d->ledRow() == hub))
            return;
        PLAYER_CHECK(d->Panel->isEnabled());
        PLAYER_CHECK(d->BitBtn1->isVisible());
        // The LEDs lit before the dialog was closed are still lit.
        if (m_reopened)
            for (int k = 1; k <= kw::LedCount; ++k)
                PLAYER_CHECK(hubLedLooksLit(d, k) == expected[k]);
        if (takeMistake(Mistake::WrongHubLed)) {
            kw::LedRow wrong = expected;
            wrong[1] = !wrong[1];
            setHubLeds(d, wrong);
            press(d->BitBtn1);
            PLAYER_CHECK(d->isVisible());
        }
        setHubLeds(d, expected);
        press(d->BitBtn1);
        PLAYER_CHECK(!d->isVisible());
    });
    clickHub(hub);
    const bool opened = disarm();

    PLAYER_CHECK(treatedBox(hub)->isChecked());
    PLAYER_CHECK(kw::test::state().FlowState == kw::AfterHubPass(flowBefore));
    for (int cable : kw::RepeatedCables(hub, expected))
        m_lines[static_cast<std::size_t>(cable)][1] = Yellow;
    m_hubLeds[static_cast<std::size_t>(hub)] = expected;
    m_hubsDone << hub;
    record().hubsTreated << hub;
    if (!opened)
        record().hubsAutomatic << hub;
    return endStep(opened);
}

bool Player::switchStep()
{
    beginStep(StepKind::Switch, 0);
    const int source = record().source;
    const int destination = record().destination;
    if (takeMistake(Mistake::ClickOutOfTurn))
        clickOutOfTurn();
    else if (takeMistake(Mistake::EarlyDestination))
        clickEarlyDestination();
    const int inPort = kw::SwitchPortOf(source);
    const std::uint8_t flowBefore = kw::test::state().FlowState;
    if (takeMistake(Mistake::CloseFirst)) {
        // Steps 1) and 2) done and the LEDs lit, then both windows closed without "Terminé".
        arm([this, inPort, flowBefore](QDialog* dialog) {
            auto* d = qobject_cast<Tf_switch*>(dialog);
            if (!PLAYER_CHECK(d))
                return;
            const std::string lookup = kw::LookUpDestination(shownTable(d), shownFrame(d));
            learn(d, 1, inPort);
            chooseRadio(forwardingButton(d, lookup));
            arm([this, inPort, lookup](QDialog* ledDialog) {
                if (auto* l = qobject_cast<Tf_switch_gros*>(ledDialog)) {
                    setSwitchLeds(l, switchLedsFor(inPort, lookup));
                    closeHalfDone(l);
                }
            });
            clickSwitchPicture(d);
            PLAYER_CHECK(disarm());
            PLAYER_CHECK(d->isVisible());
            PLAYER_CHECK(kw::test::state().FlowState == flowBefore);
            closeHalfDone(d);
        });
        clickSwitch();
        PLAYER_CHECK(disarm());
        PLAYER_CHECK(kw::test::state().FlowState == flowBefore);
        PLAYER_CHECK(!windows().f_avance->_switch->isChecked());
        m_reopened = true;
    }

    arm([this, source, destination, inPort](QDialog* dialog) {
        auto* d = qobject_cast<Tf_switch*>(dialog);
        if (!PLAYER_CHECK(d))
            return;
        PLAYER_CHECK(d->Panel->isEnabled());
        PLAYER_CHECK(d->dest_via->isEnabled());
        const kw::SwitchTable table = shownTable(d);
        const kw::FrameRow frame = shownFrame(d);
        record().tableBefore = table;
        PLAYER_CHECK(QString::fromStdString(frame[0]) == macOf(destination));
        PLAYER_CHECK(QString::fromStdString(frame[1]) == macOf(source));
        // 2) is read from the table as it stands, before this frame's learning.
        const std::string lookup = kw::LookUpDestination(table, frame);
        record().lookup = lookup;
        const kw::LedRow leds = switchLedsFor(inPort, lookup);
        m_switchLeds = leds;
        QRadioButton* right = forwardingButton(d, lookup);
        // What was prepared before the dialog was closed is still there.
        if (m_reopened) {
            PLAYER_CHECK(QString::fromStdString(table.entryRow().address) == macOf(source));
            PLAYER_CHECK(table.entryRow().port == std::to_string(inPort));
            PLAYER_CHECK(portButton(d, inPort)->isChecked());
            PLAYER_CHECK(right->isChecked());
        }

        if (takeMistake(Mistake::WrongTableUpdate)) {
            learn(d, 0, inPort);
            chooseRadio(right);
            clickSwitchPicture(d);
            PLAYER_CHECK(d->isVisible());
        } else if (takeMistake(Mistake::WrongTablePort)) {
            learn(d, 1, inPort % 4 + 1);
            chooseRadio(right);
            clickSwitchPicture(d);
            PLAYER_CHECK(d->isVisible());
        } else if (takeMistake(Mistake::WrongPortChoice)) {
            learn(d, 1, inPort);
            chooseRadio(lookup == kw::UnknownPortText ? d->b_d1 : d->b_dinconnu);
            clickSwitchPicture(d);
            PLAYER_CHECK(d->isVisible());
        }
        learn(d, 1, inPort);
        chooseRadio(right);
        const kw::SwitchRow entry = shownTable(d).entryRow();
        PLAYER_CHECK(QString::fromStdString(entry.address) == macOf(source));
        PLAYER_CHECK(entry.port == std::to_string(inPort));
        PLAYER_CHECK(entry.ttl == kw::test::state().TtlMaxText);

        arm([this, leds, lookup, inPort](QDialog* ledDialog) {
            auto* l = qobject_cast<Tf_switch_gros*>(ledDialog);
            if (!PLAYER_CHECK(l))
                return;
            PLAYER_CHECK(l->Panel1->isEnabled());
            PLAYER_CHECK(l->BitBtn1->isVisible());
            if (m_reopened)
                for (int k = 1; k <= kw::LedCount; ++k)
                    PLAYER_CHECK(switchLedLooksLit(l, k) == leds[k]);
            if (takeMistake(Mistake::WrongSwitchLed)) {
                // One TX LED the wrong way: a flood missing a port, or one port too many.
                kw::LedRow wrong = leds;
                if (lookup == kw::UnknownPortText)
                    wrong[inPort % 4 * 2 + 1] = false;
                else
                    wrong[2 * inPort - 1] = true;
                setSwitchLeds(l, wrong);
                press(l->BitBtn1);
                PLAYER_CHECK(l->isVisible());
            }
            setSwitchLeds(l, leds);
            press(l->BitBtn1);
            PLAYER_CHECK(!l->isVisible());
        });
        clickSwitchPicture(d);
        PLAYER_CHECK(disarm());
        PLAYER_CHECK(!d->isVisible());
    });
    clickSwitch();
    const bool opened = disarm();
    PLAYER_CHECK(opened);
    PLAYER_CHECK(windows().f_avance->_switch->isChecked());

    const std::string& lookup = record().lookup;
    std::uint8_t expectedFlow = kw::flow::TowardsOneHub;
    if (lookup == kw::UnknownPortText) {
        if (!isMachine(source))
            expectedFlow = kw::flow::TowardsBothHubs;
    } else {
        const int port = std::stoi(lookup);
        if (port == inPort || port == 2 || port == 3)
            expectedFlow = kw::flow::ReachedAll;
    }
    PLAYER_CHECK(kw::test::state().FlowState == expectedFlow);
    record().tableAfter = shownTable(windows().f_switch);
    PLAYER_CHECK(record().tableAfter.entryRow() == kw::SwitchRow{});
    for (int cable : kw::SwitchEmittingCables(m_switchLeds))
        m_lines[static_cast<std::size_t>(cable)][0] = Red;
    m_switchDone = true;
    return endStep(opened);
}

bool Player::receive(int station)
{
    beginStep(StepKind::Receive, station);
    const int source = record().source;
    const int destination = record().destination;
    const bool broadcast = destination == kw::BroadcastIndex;
    if (takeMistake(Mistake::ClickOutOfTurn))
        clickOutOfTurn();
    const std::uint8_t flowBefore = kw::test::state().FlowState;
    if (takeMistake(Mistake::CloseFirst)) {
        // The copy ticked, then the close box instead of "Terminé": nothing is taken in.
        arm([this](QDialog* dialog) {
            if (auto* d = qobject_cast<Tf_destination*>(dialog)) {
                toggle(d->copier);
                closeHalfDone(d);
            }
        });
        clickStation(station);
        PLAYER_CHECK(disarm());
        PLAYER_CHECK(kw::test::state().FlowState == flowBefore);
        PLAYER_CHECK(!windows().f_avance->_destinataire->isChecked());
        m_reopened = true;
    }

    arm([this, station, source, destination](QDialog* dialog) {
        auto* d = qobject_cast<Tf_destination*>(dialog);
        if (!PLAYER_CHECK(d))
            return;
        PLAYER_CHECK(d->Panel->isEnabled());
        PLAYER_CHECK(d->BitBtn1->isVisible());
        PLAYER_CHECK(!d->copier->isChecked());
        PLAYER_CHECK(d->edit1->text() == nameOf(station));
        PLAYER_CHECK(kw::ui::cell(d->trame, 0, 0) == macOf(destination));
        PLAYER_CHECK(kw::ui::cell(d->trame, 1, 0) == macOf(source));
        if (takeMistake(Mistake::NoCopy)) {
            press(d->BitBtn1);
            PLAYER_CHECK(d->isVisible());
        }
        toggle(d->copier);
        PLAYER_CHECK(d->copier->isChecked());
        press(d->BitBtn1);
        PLAYER_CHECK(!d->isVisible());
    });
    clickStation(station);
    const bool opened = disarm();
    PLAYER_CHECK(opened);

    m_copied << station;
    if (flowBefore < kw::flow::ReachedAll)
        record().earlyCopies << station;
    // The frame is done at its destination, or once every other station has copied it.
    const bool frameDone = !broadcast || (m_copied.size() == kw::StationCount - 1 &&
                                          flowBefore == kw::flow::ReachedAll);
    Tf_avance* progress = windows().f_avance;
    if (frameDone) {
        PLAYER_CHECK(kw::test::state().FlowState == kw::flow::FrameDone);
        PLAYER_CHECK(progress->_destinataire->isChecked());
        PLAYER_CHECK(progress->fin_traitement->isEnabled());
        PLAYER_CHECK(progress->isVisible() && !progress->isMinimized());
    } else {
        PLAYER_CHECK(kw::test::state().FlowState == flowBefore);
        PLAYER_CHECK(!progress->_destinataire->isChecked());
        PLAYER_CHECK(!progress->fin_traitement->isEnabled());
    }
    return endStep(opened);
}

bool Player::endFrame()
{
    beginStep(StepKind::End, 0);
    if (takeMistake(Mistake::ClickOutOfTurn))
        clickOutOfTurn();
    Tf_avance* progress = windows().f_avance;
    TPrincipale* principale = windows().Principale;
    PLAYER_CHECK(progress->fin_traitement->isEnabled());
    PLAYER_CHECK(!principale->Nouveau->isEnabled());
    if (takeMistake(Mistake::TickEmetteur)) {
        toggle(progress->emetteur);
        PLAYER_CHECK(!progress->emetteur->isChecked());
    } else if (takeMistake(Mistake::TickDestinataire)) {
        toggle(progress->destinataire);
        PLAYER_CHECK(!progress->destinataire->isChecked());
    }
    // "Non concerné" for each hub the frame did not reach, and for no other.
    const bool reached1 = m_hubsDone.contains(1);
    const bool reached2 = m_hubsDone.contains(2);
    PLAYER_CHECK(progress->_hub1->isChecked() == reached1);
    PLAYER_CHECK(progress->_hub2->isChecked() == reached2);
    if (takeMistake(Mistake::WrongNonConcerne)) {
        setBox(notConcernedBox(1), reached1);
        setBox(notConcernedBox(2), reached2);
        press(progress->fin_traitement);
        PLAYER_CHECK(!principale->Nouveau->isEnabled());
    }
    setBox(notConcernedBox(1), !reached1);
    setBox(notConcernedBox(2), !reached2);

    const std::size_t boxes = m_program.student.boxes.size();
    press(progress->fin_traitement);
    if (PLAYER_CHECK(m_program.student.boxes.size() == boxes + 1)) {
        const kw::seam::BoxRecord& box = m_program.student.boxes.back();
        PLAYER_CHECK(box.kind == kw::seam::BoxKind::Information);
        PLAYER_CHECK(box.text == EndOfFrameText);
    }
    PLAYER_CHECK(kw::test::state().FlowState == kw::flow::FrameDone);
    record().completed = true;
    record().seriesEnded = principale->resultat->isVisible();
    if (record().seriesEnded) {
        PLAYER_CHECK(principale->resultat->text().startsWith(SeriesEndPrefix));
        PLAYER_CHECK(!principale->Nouveau->isEnabled());
    } else {
        PLAYER_CHECK(principale->Nouveau->isEnabled());
    }
    return endStep(false);
}

bool Player::nouveau()
{
    m_ok = true;
    TPrincipale* principale = windows().Principale;
    const kw::SharedState& g = kw::test::state();
    if (!PLAYER_CHECK(principale->Nouveau->isEnabled()))
        return false;
    const int before = g.ExerciseNumber;
    chooseNouveau();
    PLAYER_CHECK(g.ExerciseNumber == before + 1);
    PLAYER_CHECK(g.FlowState == kw::flow::ExerciseReady);
    PLAYER_CHECK(!principale->Nouveau->isEnabled());
    PLAYER_CHECK(!principale->trame_gauche->isVisible());
    Tf_avance* progress = windows().f_avance;
    for (QCheckBox* box : {progress->_emetteur, progress->emetteur, progress->_destinataire,
                           progress->destinataire, progress->Hub1, progress->_hub1, progress->Hub2,
                           progress->_hub2, progress->switch_, progress->_switch})
        PLAYER_CHECK(!box->isChecked());
    PLAYER_CHECK(!progress->fin_traitement->isEnabled());
    beginIfNewExercise();
    checkDiagram();
    return m_ok;
}

bool Player::playExercise()
{
    beginIfNewExercise();
    const int source = record().source;
    const int destination = record().destination;
    if (!afterStep(emitFrame()))
        return false;
    if (isMachine(source) && !afterStep(hub(hubOf(source))))
        return false;
    // Broadcast: the sender's side may copy as soon as the frame is out on it.
    auto copySenderSide = [&] {
        for (int station = 1; station <= kw::StationCount; ++station)
            if (station != source && kw::SameSide(station, source) && !afterStep(receive(station)))
                return false;
        return true;
    };
    const bool copyEarly = destination == kw::BroadcastIndex && earlyCopies;
    if (copyEarly && !earlyCopiesAfterSwitch && !copySenderSide())
        return false;
    if (!afterStep(switchStep()))
        return false;
    if (copyEarly && earlyCopiesAfterSwitch && !copySenderSide())
        return false;
    // The hubs behind the ports the student made the switch emit on.
    QList<int> farHubs;
    if (m_switchLeds[1] && !m_hubsDone.contains(1))
        farHubs << 1;
    if (m_switchLeds[7] && !m_hubsDone.contains(2))
        farHubs << 2;
    if (farHubs.size() == 2 && firstFarHub == 2)
        std::swap(farHubs[0], farHubs[1]);
    for (int h : farHubs)
        if (!afterStep(hub(h)))
            return false;
    if (destination == kw::BroadcastIndex) {
        for (int station = 1; station <= kw::StationCount; ++station)
            if (station != source && !m_copied.contains(station) && !afterStep(receive(station)))
                return false;
    } else if (!afterStep(receive(destination))) {
        return false;
    }
    return afterStep(endFrame());
}

bool Player::afterStep(bool played)
{
    if (!played || lookBack == LookBack::Never)
        return played;
    const bool reviewed = reviewTreated();
    if (lookBack == LookBack::AndClose)
        closeReviews();
    return reviewed;
}

void Player::closeReviews()
{
    Windows& w = windows();
    for (QDialog* dialog : std::initializer_list<QDialog*>{
             w.f_source, w.f_hub1, w.f_hub2, w.f_switch, w.f_destination, w.f_switch_gros})
        if (dialog->isVisible())
            dialog->close();
}

bool Player::reviewTreated()
{
    m_ok = true;
    const kw::SharedState& g = kw::test::state();
    const std::uint8_t flow = g.FlowState;
    const std::uint16_t errors = g.ErrorTotal;
    const std::size_t boxes = m_program.student.boxes.size();
    const int opened = static_cast<int>(m_program.student.dialogsOpened.size());
    m_unexpected.clear();
    const ExerciseRecord& r = record();
    Windows& w = windows();

    if (m_emitted) {
        clickStation(r.source);
        Tf_source* d = w.f_source;
        PLAYER_CHECK(d->isVisible());
        PLAYER_CHECK(!d->Panel->isEnabled());
        if (flow <= kw::flow::ReachedAll) {
            PLAYER_CHECK(!d->BitBtn1->isVisible());
            PLAYER_CHECK(!d->Label1->isVisible());
        }
        PLAYER_CHECK(d->edit1->text() == nameOf(r.source));
        PLAYER_CHECK(kw::ui::cell(d->trame, 0, 0) == macOf(r.destination));
        PLAYER_CHECK(kw::ui::cell(d->trame, 1, 0) == macOf(r.source));
    }
    for (int h : m_hubsDone) {
        clickHub(h);
        HubDialog* d = h == 1 ? static_cast<HubDialog*>(w.f_hub1) : w.f_hub2;
        PLAYER_CHECK(d->isVisible());
        PLAYER_CHECK(!d->Panel->isEnabled());
        PLAYER_CHECK(!d->BitBtn1->isVisible());
        PLAYER_CHECK(!d->Label1->isVisible());
        for (int k = 1; k <= kw::LedCount; ++k)
            PLAYER_CHECK(hubLedLooksLit(d, k) == m_hubLeds[static_cast<std::size_t>(h)][k]);
    }
    if (m_switchDone) {
        clickSwitch();
        Tf_switch* d = w.f_switch;
        PLAYER_CHECK(d->isVisible());
        PLAYER_CHECK(!d->Panel->isEnabled());
        PLAYER_CHECK(!d->dest_via->isEnabled());
        PLAYER_CHECK(d->GroupBox2->isEnabled());
        PLAYER_CHECK(shownTable(d) == r.tableAfter);
        arm([this](QDialog* dialog) {
            auto* l = qobject_cast<Tf_switch_gros*>(dialog);
            if (!PLAYER_CHECK(l))
                return;
            PLAYER_CHECK(!l->Panel1->isEnabled());
            PLAYER_CHECK(!l->BitBtn1->isVisible());
            PLAYER_CHECK(!l->Label1->isVisible());
            for (int k = 1; k <= kw::LedCount; ++k)
                PLAYER_CHECK(switchLedLooksLit(l, k) == m_switchLeds[k]);
        });
        clickSwitchPicture(d);
        PLAYER_CHECK(disarm());
    }
    for (int station : m_copied) {
        // While the frame is under way a copied station shows modally, afterwards modeless.
        const bool modal = flow <= kw::flow::ReachedAll;
        auto looksRight = [this, station](Tf_destination* d) {
            PLAYER_CHECK(d->isVisible());
            PLAYER_CHECK(!d->Panel->isEnabled());
            PLAYER_CHECK(!d->BitBtn1->isVisible());
            PLAYER_CHECK(d->copier->isChecked());
            PLAYER_CHECK(d->edit1->text() == nameOf(station));
        };
        if (modal)
            arm([looksRight](QDialog* dialog) {
                if (auto* d = qobject_cast<Tf_destination*>(dialog))
                    looksRight(d);
            });
        clickStation(station);
        if (modal)
            PLAYER_CHECK(disarm());
        else
            looksRight(w.f_destination);
    }
    PLAYER_CHECK(g.FlowState == flow);
    PLAYER_CHECK(g.ErrorTotal == errors);
    PLAYER_CHECK(m_program.student.boxes.size() == boxes);
    PLAYER_CHECK(m_unexpected.isEmpty());
    // Only the modal views of stations that copied while the frame was under way.
    const int modalViews = flow <= kw::flow::ReachedAll ? static_cast<int>(m_copied.size()) : 0;
    PLAYER_CHECK(m_program.student.dialogsOpened.size() ==
                 opened + modalViews + (m_switchDone ? 1 : 0));
    checkDiagram();
    return m_ok;
}

bool Player::playExercises(int count)
{
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !nouveau())
            return false;
        if (!playExercise())
            return false;
    }
    return true;
}

} // namespace kw::test
