// A monkey student on the real windows: the game monkey's student (tests/monkey), whose acts
// are made as gestures on the widgets, mixed with gestures only the windows know (keys on any
// control, Enter and Escape, the close box, clicks and double-clicks anywhere in a dialog, the
// menu bar by Alt and a letter, the reference windows minimised and restored). What the game
// must keep whole is the game monkey's to check; after every gesture this one checks the
// wiring: every window shows the game's view (texts, ticks, grids, pictures, which windows are
// up and how), and a frame done brings the progress window back from its minimised state.
//
// Replay a failure with the seed and action count printed in the failure text:
//   KW_MONKEY_SEED=<seed> KW_MONKEY_ACTIONS=<count> tst_monkey monkey:<row>
// KW_MONKEY_TRACE=<index> prints every action from that index on.
// KW_MONKEY_EXERCISE_FOLDER names the exercise folder of the row "short" (otherwise a
// temporary copy of the imposed example series) and KW_MONKEY_STRACE_MARKERS=1 makes the
// test open marker paths that tell a system-call trace when the program runs (see
// tests/writes_nothing).

#include "game_monkey.h"
#include "gestures.h"
#include "scenario.h"
#include "student.h"

#include "app/front_end.h"
#include "app/windows.h"
#include "diagram.h"
#include "game.h"
#include "hubs.h"
#include "hubs/hubdialog.h"
#include "hubs/u_hub.h"
#include "hubs/u_hub2.h"
#include "kit/widgets.h"
#include "main/a_propos.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "stations/u_MACs.h"
#include "stations/u_dest.h"
#include "stations/u_source.h"
#include "switch/U_switch.h"
#include "switch/u_switch_gros.h"
#include "switchleds.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <deque>
#include <optional>
#include <set>
#include <vector>

using kw::monkey::Act;
using kw::monkey::Op;
using kw::test::Program;
using kw::ui::windows;

namespace {

// How often the act is the good student's: enough for an imposed series to end.
constexpr int HintPercent = 50;
// How often a gesture is one only the windows know, rather than the student's act.
constexpr int WindowsOnlyPercent = 25;
// How often the student's act is made by keys.
constexpr int KeysPercent = 15;

QString fromStd(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Marks a moment in a system-call trace: an open of a path that does not exist.
void straceMarker(const QString& name)
{
    static const bool wanted = qEnvironmentVariableIsSet("KW_MONKEY_STRACE_MARKERS");
    if (!wanted)
        return;
    const QByteArray path = "/kw-strace-marker/" + QFile::encodeName(name);
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd >= 0)
        ::close(fd);
}

QtMessageHandler previousHandler = nullptr;

// The monkey clicks labels and disabled widgets on purpose: QTest's complaint that nobody
// took the click is expected thousands of times and says nothing; so does the offscreen
// platform's about raising windows.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg &&
        (message.contains(QLatin1String("not accepted by receiving widget")) ||
         message.startsWith(QLatin1String("This plugin does not support"))))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

QWidget* widgetOf(kw::Window window)
{
    const kw::ui::Windows& w = windows();
    QWidget* const all[] = {w.Principale,    w.f_source, w.f_avance, w.f_hub1,   w.AdressesMAC,
                            w.f_destination, w.f_hub2,   w.apropos,  w.f_switch, w.f_switch_gros};
    return all[static_cast<int>(window)];
}

QCheckBox* progressBox(int tick)
{
    Tf_avance* a = windows().f_avance;
    QCheckBox* const boxes[] = {a->emetteur,  a->Hub1,  a->Hub2,  a->switch_, a->destinataire,
                                a->_emetteur, a->_hub1, a->_hub2, a->_switch, a->_destinataire};
    return boxes[tick];
}

// One pixel of each cable line that no other line shares: where the line's colour shows.
const std::vector<std::pair<kw::Pixel, std::pair<int, int>>>& cableSamples()
{
    static const auto samples = [] {
        std::vector<std::pair<kw::Pixel, std::pair<int, int>>> out;
        std::vector<kw::Pixel> all[kw::CableCount + 1][2];
        for (int cable = 1; cable <= kw::CableCount; ++cable)
            for (int line = 0; line < 2; ++line)
                all[cable][line] = kw::CableLinePixels(cable, line == 0 ? kw::CableLine::First
                                                                        : kw::CableLine::Second);
        auto shared = [&](const kw::Pixel& p, int cable, int line) {
            for (int c = 1; c <= kw::CableCount; ++c)
                for (int l = 0; l < 2; ++l)
                    if ((c != cable || l != line) &&
                        std::any_of(all[c][l].begin(), all[c][l].end(),
                                    [&](const kw::Pixel& q) { return q.x == p.x && q.y == p.y; }))
                        return true;
            return false;
        };
        for (int cable = 1; cable <= kw::CableCount; ++cable)
            for (int line = 0; line < 2; ++line)
                for (const kw::Pixel& p : all[cable][line])
                    if (!shared(p, cable, line)) {
                        out.push_back({p, {cable, line}});
                        break;
                    }
        return out;
    }();
    return samples;
}

bool shows(QRgb pixel, kw::Rgb colour)
{
    return qRed(pixel) == colour.r && qGreen(pixel) == colour.g && qBlue(pixel) == colour.b;
}

class Monkey {
public:
    Monkey(Program& program, quint64 seed, QString row)
        : m_program(program), m_dice(seed), m_student(m_dice, HintPercent), m_seed(seed),
          m_row(std::move(row)), m_keys(kw::test::Ways{true, false, false})
    {
        m_script.onBox = [this](const kw::seam::BoxRecord& box) { return onBox(box); };
        m_script.onModal = [this](QDialog* dialog) { onModal(dialog); };
        m_previousScript = kw::seam::script();
        kw::seam::setScript(&m_script);
        bool ok = false;
        const int from = qEnvironmentVariableIntValue("KW_MONKEY_TRACE", &ok);
        m_traceFrom = ok ? from : -1;
        m_lastFlow = kw::ui::game().state().FlowState;
    }

    ~Monkey() { kw::seam::setScript(m_previousScript); }

    // Plays until `actions` actions have been made or the windows showed something else than
    // the game.
    bool run(int actions)
    {
        m_budget = actions;
        check();
        while (!m_failure && m_count < m_budget) {
            step(nullptr);
            if (m_count % 64 == 0)
                QCoreApplication::processEvents();
        }
        return !m_failure;
    }

    QString failureText() const
    {
        if (!m_failure)
            return {};
        QString text = QStringLiteral("row %1, seed %2, action #%3 (%4): %5\n  replay: "
                                      "KW_MONKEY_SEED=%2 KW_MONKEY_ACTIONS=%6 KW_MONKEY_TRACE=%7 "
                                      "tst_monkey monkey:%1\n  last actions:")
                           .arg(m_row)
                           .arg(m_seed)
                           .arg(m_failure->index)
                           .arg(m_failure->action, m_failure->what)
                           .arg(m_failure->index + 1)
                           .arg(qMax(0, m_failure->index - 20));
        for (const QString& line : m_recent)
            text += QStringLiteral("\n    ") + line;
        return text;
    }

    int actions() const { return m_count; }
    int framesDone() const { return m_framesDone; }
    int seriesEndedAt() const { return m_seriesEndedAt; }
    const std::set<int>& seenFlows() const { return m_seenFlows; }
    int modalPlays() const { return m_plays; }

private:
    struct Failure {
        int index;
        QString action;
        QString what;
    };

    bool percent(int p) { return static_cast<int>(m_dice.below(100)) < p; }
    int below(int n) { return static_cast<int>(m_dice.below(static_cast<unsigned>(n))); }

    void note(const QString& action)
    {
        m_action = action;
        const QString line = QStringLiteral("#%1 F%2 %3")
                                 .arg(m_count)
                                 .arg(int(kw::ui::game().state().FlowState))
                                 .arg(action);
        m_recent.push_back(line);
        if (m_recent.size() > 20)
            m_recent.pop_front();
        if (m_traceFrom >= 0 && m_count >= m_traceFrom)
            qInfo().noquote() << line;
        ++m_count;
    }

    void fail(const QString& what)
    {
        if (!m_failure)
            m_failure = Failure{m_count - 1, m_action, what};
    }

    bool expect(bool condition, const QString& what)
    {
        if (!condition)
            fail(what);
        return condition;
    }

    // ---- Whose turn ----

    // One gesture, in the dialog run for work (`in`) or at the top, and the checks after it.
    void step(QDialog* in)
    {
        m_boxes.emplace_back();
        m_totalBefore = kw::ui::game().state().ErrorTotal;
        if (percent(WindowsOnlyPercent)) {
            windowsOnly(in);
        } else {
            const Act act = m_student.next(kw::ui::game());
            note(QString::fromStdString(kw::monkey::describe(act)));
            perform(act);
            if (act.belief)
                m_student.told(act, m_boxes.back());
        }
        m_boxes.pop_back();
        if (!m_failure)
            check();
    }

    void onModal(QDialog* dialog)
    {
        ++m_plays;
        m_modal.push_back(dialog);
        if (!m_failure)
            check();
        // Until the student closes it; a dialog still up when the actions run out is closed by
        // its close box.
        while (!m_failure && m_count < m_budget && dialog->isVisible())
            step(dialog);
        m_modal.pop_back();
    }

    bool onBox(const kw::seam::BoxRecord& box)
    {
        if (!m_boxes.empty())
            m_boxes.back().push_back(box.text.toStdString());
        // While the box is up the progress window shows the total it tells of: the act counts
        // all its errors before its first box, each box shows the total up to its own.
        const QString label = windows().f_avance->label_erreurs->text();
        const QString prefix = QString::fromUtf8(kw::msg::ErrorTotalPrefix);
        bool number = false;
        const int shown = label.mid(prefix.size()).toInt(&number);
        const int total = kw::ui::game().state().ErrorTotal;
        expect(label == prefix ||
                   (label.startsWith(prefix) && number && shown >= m_totalBefore && shown <= total),
               QStringLiteral("the box \"%1\" is up with the label \"%2\", the total went from "
                              "%3 to %4")
                   .arg(box.text, label)
                   .arg(m_totalBefore)
                   .arg(total));
        if (box.kind == kw::BoxKind::Information)
            ++m_framesDone;
        // "Terminer ?": Annuler, as the program cannot start again here (the game monkey
        // answers OK too).
        return box.kind != kw::BoxKind::Confirmation;
    }

    // ---- The student's acts as gestures ----

    void perform(const Act& act)
    {
        const kw::ui::Windows& w = windows();
        // The keys only reach the window in front: a window a dialog blocks takes no key.
        const std::optional<kw::Window> front = kw::ui::game().modalWindow();
        kw::test::Gestures& hands =
            percent(KeysPercent) && (!front || front == windowOf(act)) ? m_keys : m_mouse;
        Tf_source* source = w.f_source;
        Tf_switch* sw = w.f_switch;
        switch (act.op) {
        case Op::ClickDiagram: {
            // Every button acts alike; mostly the left one.
            const Qt::MouseButton button = percent(85)   ? Qt::LeftButton
                                           : percent(70) ? Qt::RightButton
                                                         : Qt::MiddleButton;
            m_mouse.clickDiagram(act.a, act.b, {}, button);
            break;
        }
        case Op::SelectFrameColumn:
            if (act.a >= 0 && act.a < 5 && source->isVisible())
                QTest::mouseClick(source->trame->viewport(), Qt::LeftButton, {},
                                  kw::test::cellCentre(source->trame, act.a, 0));
            break;
        case Op::SelectCacheRow:
            if (act.a >= 0 && act.a < 10 && source->isVisible())
                QTest::mouseClick(source->table_MAC->viewport(), Qt::LeftButton, {},
                                  kw::test::cellCentre(source->table_MAC, below(2), act.a));
            break;
        case Op::CopyAddress:
            // A double-click on either grid, at its selected cell.
            if (source->isVisible()) {
                QTableWidget* grid = percent(50) ? source->trame.get() : source->table_MAC.get();
                kw::test::doubleClick(grid->viewport(),
                                      kw::test::cellCentre(grid, std::max(0, grid->currentColumn()),
                                                           std::max(0, grid->currentRow())));
            }
            break;
        case Op::SetCopy:
            hands.setTicked(w.f_destination->copier, act.flag);
            break;
        case Op::ClickLed:
            if (kw::ui::ImageView* picture = ledPicture(act.window))
                hands.clickLed(picture, ledAt(act.a, act.b), QPoint(act.a, act.b));
            break;
        case Op::PressDone:
            hands.press(doneButton(act.window));
            break;
        case Op::SelectSwitchColumn:
            if (act.a >= 0 && act.a < 5)
                hands.selectCell(sw, act.a);
            break;
        case Op::ChooseUpdatePort:
            if (act.a >= 1 && act.a <= 4)
                hands.clickPort(sw, act.a);
            break;
        case Op::CopyToEntryRow:
            // A double-click on the selected frame cell or on the checked port.
            if (percent(50) || !sw->updatePort())
                hands.doubleClickCell(sw, sw->selectedColumn());
            else
                hands.doubleClickPort(sw, sw->updatePort());
            break;
        case Op::ChooseForwarding: {
            QRadioButton* const choices[] = {nullptr,  sw->b_d1, sw->b_d2,
                                             sw->b_d3, sw->b_d4, sw->b_dinconnu};
            if (QRadioButton* button = choices[static_cast<int>(act.choice)])
                hands.chooseRadio(button);
            break;
        }
        case Op::ClickSwitchPicture:
            hands.clickSwitchPicture(sw);
            break;
        case Op::SetTick:
            hands.setTicked(progressBox(static_cast<int>(act.tick)), act.flag);
            break;
        case Op::Fin:
            hands.press(w.f_avance->fin_traitement);
            break;
        case Op::Nouveau:
            hands.menu(w.Principale->Nouveau, Qt::Key_N);
            break;
        case Op::About:
            hands.menu(w.Principale->APropos1, Qt::Key_A);
            break;
        case Op::Quit:
            if (percent(50))
                hands.menu(w.Principale->Quitter1, Qt::Key_Q);
            else
                hands.close(w.Principale);
            break;
        case Op::Answer:
            break; // the seam answers the box that is up
        case Op::Close:
            hands.close(widgetOf(act.window));
            break;
        case Op::Activate:
            hands.activate(widgetOf(act.window));
            break;
        }
        expect(hands.failure.isEmpty(), hands.failure);
        hands.failure.clear();
    }

    // The window an act is made in.
    static kw::Window windowOf(const Act& act)
    {
        switch (act.op) {
        case Op::SelectFrameColumn:
        case Op::SelectCacheRow:
        case Op::CopyAddress:
            return kw::Window::Source;
        case Op::SetCopy:
            return kw::Window::Destination;
        case Op::SelectSwitchColumn:
        case Op::ChooseUpdatePort:
        case Op::CopyToEntryRow:
        case Op::ChooseForwarding:
        case Op::ClickSwitchPicture:
            return kw::Window::Switch;
        case Op::SetTick:
        case Op::Fin:
            return kw::Window::Avance;
        case Op::ClickLed:
        case Op::PressDone:
        case Op::Close:
        case Op::Activate:
            return act.window;
        default:
            return kw::Window::Principale;
        }
    }

    static kw::ui::ImageView* ledPicture(kw::Window window)
    {
        const kw::ui::Windows& w = windows();
        if (window == kw::Window::Hub1)
            return w.f_hub1->Image1;
        if (window == kw::Window::Hub2)
            return w.f_hub2->Image1;
        if (window == kw::Window::SwitchGros)
            return w.f_switch_gros->Image1;
        return nullptr;
    }

    // The LED the keys reach for a click at (x, y): the one clicked in its middle, else none.
    static int ledAt(int x, int y)
    {
        for (int k = 1; k <= kw::LedCount; ++k)
            if (kw::scenario::ledPoint(k) == std::pair{x, y})
                return k;
        return 0;
    }

    static QPushButton* doneButton(kw::Window window)
    {
        const kw::ui::Windows& w = windows();
        switch (window) {
        case kw::Window::Source:
            return w.f_source->BitBtn1;
        case kw::Window::Destination:
            return w.f_destination->BitBtn1;
        case kw::Window::Hub1:
            return w.f_hub1->BitBtn1;
        case kw::Window::Hub2:
            return w.f_hub2->BitBtn1;
        case kw::Window::SwitchGros:
            return w.f_switch_gros->BitBtn1;
        case kw::Window::APropos:
            return w.apropos->OKButton;
        default:
            return nullptr;
        }
    }

    // ---- Gestures only the windows know ----

    void windowsOnly(QDialog* in)
    {
        QWidget* target = in;
        if (!target) {
            // At the top: a review left open, the main window or a reference window.
            std::vector<QWidget*> up;
            for (int w = 0; w < kw::WindowCount; ++w)
                if (QWidget* widget = widgetOf(static_cast<kw::Window>(w)); widget->isVisible())
                    up.push_back(widget);
            target = up[static_cast<std::size_t>(below(static_cast<int>(up.size())))];
        }
        switch (below(8)) {
        case 0:
            note(target->objectName() + QStringLiteral(": Enter"));
            QTest::keyClick(target, Qt::Key_Return);
            break;
        case 1:
            note(target->objectName() + QStringLiteral(": Escape"));
            QTest::keyClick(target, Qt::Key_Escape);
            break;
        case 2:
        case 3:
            clickAnywhere(target, below(3) == 0);
            break;
        case 4:
            pressKey(target);
            break;
        case 5:
            handleReferenceWindow();
            break;
        case 6:
            clickKnownAddresses();
            break;
        default: {
            static const Qt::Key letters[] = {Qt::Key_N, Qt::Key_A, Qt::Key_Q};
            const Qt::Key letter = letters[below(3)];
            note(QStringLiteral("Alt+%1 on the main window").arg(QChar(letter)));
            QTest::keyClick(windows().Principale, letter, Qt::AltModifier);
            break;
        }
        }
    }

    // A click or a double-click on whatever lies at a random point of the window.
    void clickAnywhere(QWidget* window, bool twice)
    {
        const QPoint p(below(window->width()), below(window->height()));
        QWidget* target = window->childAt(p);
        note(QStringLiteral("%1: %2 (%3,%4) on %5")
                 .arg(window->objectName(),
                      twice ? QStringLiteral("double-click") : QStringLiteral("click"))
                 .arg(p.x())
                 .arg(p.y())
                 .arg(QLatin1String(target ? target->metaObject()->className() : "the window")));
        if (!target)
            target = window;
        const QPoint at = target->mapFrom(window, p);
        if (twice)
            kw::test::doubleClick(target, at);
        else
            QTest::mouseClick(target, Qt::LeftButton, {}, at);
    }

    // A key on one of the window's visible widgets, as if it had the focus.
    void pressKey(QWidget* window)
    {
        static const Qt::Key keys[] = {Qt::Key_Up,     Qt::Key_Down,     Qt::Key_Left,
                                       Qt::Key_Right,  Qt::Key_Space,    Qt::Key_Return,
                                       Qt::Key_Tab,    Qt::Key_Home,     Qt::Key_End,
                                       Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Backspace};
        std::vector<QWidget*> widgets;
        for (QWidget* child : window->findChildren<QWidget*>())
            if (child->isVisible())
                widgets.push_back(child);
        QWidget* target = widgets.empty()
                              ? window
                              : widgets[static_cast<std::size_t>(below(int(widgets.size())))];
        const Qt::Key key = keys[below(static_cast<int>(std::size(keys)))];
        note(QStringLiteral("%1: key %2 on %3 %4")
                 .arg(window->objectName())
                 .arg(int(key), 0, 16)
                 .arg(QLatin1String(target->metaObject()->className()), target->objectName()));
        QTest::keyClick(target, key);
    }

    // The progress and known-addresses windows: minimised, restored, or asked to close, which
    // they refuse. Nothing of the exercise changes.
    void handleReferenceWindow()
    {
        QWidget* window = percent(50) ? static_cast<QWidget*>(windows().f_avance)
                                      : static_cast<QWidget*>(windows().AdressesMAC);
        const int what = below(3);
        note(QStringLiteral("%1: %2").arg(window->objectName(),
                                          what == 0   ? QStringLiteral("minimise")
                                          : what == 1 ? QStringLiteral("restore")
                                                      : QStringLiteral("close box")));
        const Exercise before = exercise();
        if (what == 0)
            window->showMinimized();
        else if (what == 1)
            window->showNormal();
        else
            m_mouse.close(window);
        expect(exercise() == before,
               window->objectName() + QStringLiteral(" changed the exercise"));
    }

    // The known addresses are only to be read.
    void clickKnownAddresses()
    {
        QTableWidget* grid = windows().AdressesMAC->table_MAC;
        const int row = below(10);
        const int column = below(2);
        const bool twice = percent(50);
        note(QStringLiteral("known addresses: %1 (%2,%3)")
                 .arg(twice ? QStringLiteral("double-click") : QStringLiteral("click"))
                 .arg(column)
                 .arg(row));
        const Exercise before = exercise();
        if (twice)
            kw::test::doubleClick(grid->viewport(), kw::test::cellCentre(grid, column, row));
        else
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              kw::test::cellCentre(grid, column, row));
        expect(exercise() == before, QStringLiteral("the known addresses changed the exercise"));
    }

    // What the student has done of the exercise.
    struct Exercise {
        int flow;
        int errors;
        std::array<kw::LedRow, 4> leds;
        kw::SwitchTable table;
        bool operator==(const Exercise&) const = default;
    };
    static Exercise exercise()
    {
        const kw::Game& game = kw::ui::game();
        return {game.state().FlowState, game.state().ErrorTotal, game.state().LedState,
                game.view().switch_.table};
    }

    // ---- The wiring: every window shows the game's view ----

    void check()
    {
        QCoreApplication::processEvents();
        const kw::Game& game = kw::ui::game();
        const kw::GameView& v = game.view();
        const int flow = game.state().FlowState;
        m_seenFlows.insert(flow);
        checkShowing(v);
        checkMain(v.principale);
        checkProgress(v.avance);
        checkDialogs(game);
        // The finished frame hands over to the progress window, restored if minimised.
        if (flow == kw::flow::FrameDone && m_lastFlow != kw::flow::FrameDone)
            expect(!windows().f_avance->isMinimized(),
                   QStringLiteral("progress window left minimised"));
        m_lastFlow = flow;
        if (m_seriesEndedAt < 0 && v.principale.resultShown)
            m_seriesEndedAt = m_count - 1;
    }

    void checkShowing(const kw::GameView& v)
    {
        for (int w = 0; w < kw::WindowCount; ++w) {
            QWidget* widget = widgetOf(static_cast<kw::Window>(w));
            const kw::Showing want = v.showing[static_cast<std::size_t>(w)];
            const bool modal = std::find(m_modal.begin(), m_modal.end(), widget) != m_modal.end();
            const kw::Showing shown = !widget->isVisible() ? kw::Showing::Hidden
                                      : modal              ? kw::Showing::Modal
                                                           : kw::Showing::Modeless;
            expect(shown == want, QStringLiteral("%1 shown %2, the game has it %3")
                                      .arg(widget->objectName())
                                      .arg(int(shown))
                                      .arg(int(want)));
        }
    }

    void checkMain(const kw::MainView& v)
    {
        const TPrincipale* p = windows().Principale;
        expect(p->Edit1->text() == fromStd(v.sourceName) &&
                   p->Edit2->text() == fromStd(v.destinationName),
               QStringLiteral("the main window names %1 -> %2")
                   .arg(p->Edit1->text(), p->Edit2->text()));
        expect(p->Nouveau->isEnabled() == v.nouveauEnabled,
               QStringLiteral("\"Nouveau\" enabled %1").arg(p->Nouveau->isEnabled()));
        expect(p->resultat->isHidden() == !v.resultShown &&
                   (!v.resultShown || p->resultat->text() == fromStd(v.result)),
               QStringLiteral("the result shows \"%1\"").arg(p->resultat->text()));
        const QTableWidget* frame = p->trame_gauche.ifBuilt();
        expect((frame && !frame->isHidden()) == v.frameShown, QStringLiteral("the frame shown"));
        if (frame && v.frameShown)
            checkCells(frame, v.frame, QStringLiteral("trame_gauche"));
        const QImage& canvas = p->Image1->canvas();
        for (const auto& [pixel, line] : cableSamples()) {
            const kw::Rgb want = v.cables[static_cast<std::size_t>(line.first)][line.second];
            if (!expect(shows(canvas.pixel(pixel.x, pixel.y), want),
                        QStringLiteral("cable %1 line %2 shows %3")
                            .arg(line.first)
                            .arg(line.second + 1)
                            .arg(QColor(canvas.pixel(pixel.x, pixel.y)).name())))
                return;
        }
    }

    void checkProgress(const kw::ProgressView& v)
    {
        const Tf_avance* a = windows().f_avance;
        expect(a->numero_exo->text() == fromStd(v.exerciseCaption),
               QStringLiteral("numero_exo reads \"%1\"").arg(a->numero_exo->text()));
        expect(a->label_erreurs->text() == fromStd(v.errorsCaption),
               QStringLiteral("label_erreurs reads \"%1\"").arg(a->label_erreurs->text()));
        for (int t = 0; t < kw::TickCount; ++t)
            expect(progressBox(t)->isChecked() == v.ticks[static_cast<std::size_t>(t)],
                   progressBox(t)->objectName() + QStringLiteral(" ticked otherwise"));
        expect(
            a->fin_traitement->isEnabled() == v.finEnabled,
            QStringLiteral("\"Fin du traitement\" enabled %1").arg(a->fin_traitement->isEnabled()));
        const QTableWidget* macs = windows().AdressesMAC->table_MAC;
        for (int row = 1; row <= kw::BroadcastIndex; ++row)
            expect(kw::ui::cell(macs, 1, row) ==
                       fromStd(kw::ui::game().stations()[static_cast<std::size_t>(row)].mac),
                   QStringLiteral("known address %1").arg(row));
    }

    void checkCells(const QTableWidget* grid, const kw::FrameCells& cells, const QString& name)
    {
        for (int c = 0; c < 5; ++c)
            expect(kw::ui::cell(grid, c, 0) == fromStd(cells[static_cast<std::size_t>(c)]),
                   QStringLiteral("%1 cell %2 reads \"%3\"")
                       .arg(name)
                       .arg(c)
                       .arg(kw::ui::cell(grid, c, 0)));
    }

    void checkLeds(const kw::LedsView& v, QWidget* panel, QWidget* label, QWidget* done,
                   kw::ui::ImageView* picture, bool hub)
    {
        const QString name = picture->window()->objectName();
        expect(panel->isEnabled() == v.panelEnabled && label->isHidden() == !v.labelShown &&
                   done->isHidden() == !v.doneShown,
               name + QStringLiteral(" shows its controls otherwise"));
        for (int k = 1; k <= kw::LedCount; ++k) {
            const std::optional<kw::Rgb>& painted = v.leds[static_cast<std::size_t>(k)];
            if (!painted)
                continue;
            QPoint centre;
            if (hub) {
                const kw::LedBox box = kw::LedRect(k);
                centre = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
            } else {
                const kw::SwitchLedRect square = kw::SwitchLedSquare(k);
                centre = {square.left + square.width / 2, square.top + square.height / 2};
            }
            expect(shows(picture->canvas().pixel(centre), *painted),
                   QStringLiteral("%1: LED %2 shows %3")
                       .arg(name)
                       .arg(k)
                       .arg(QColor(picture->canvas().pixel(centre)).name()));
        }
    }

    void checkDialogs(const kw::Game& game)
    {
        const kw::GameView& v = game.view();
        const kw::ui::Windows& w = windows();
        if (w.f_source->controlsBuilt()) {
            Tf_source* d = w.f_source;
            expect(d->edit1->text() == fromStd(v.source.name) &&
                       d->Panel->isEnabled() == v.source.panelEnabled &&
                       d->BitBtn1->isHidden() == !v.source.doneShown &&
                       d->Label1->isHidden() == !v.source.labelShown &&
                       d->serveur_image->isHidden() == !v.source.server &&
                       d->table_MAC->currentRow() == v.source.cacheRow &&
                       d->trame->currentColumn() == v.source.frameColumn,
                   QStringLiteral("the sending dialog shows its controls otherwise"));
            checkCells(d->trame, v.source.frame, QStringLiteral("f_source trame"));
        }
        if (w.f_destination->controlsBuilt()) {
            Tf_destination* d = w.f_destination;
            expect(d->edit1->text() == fromStd(v.destination.name) &&
                       d->Panel->isEnabled() == v.destination.panelEnabled &&
                       d->BitBtn1->isHidden() == !v.destination.doneShown &&
                       d->copier->isChecked() == v.destination.copy &&
                       d->serveur_image->isHidden() == !v.destination.server,
                   QStringLiteral("the receiving dialog shows its controls otherwise"));
            checkCells(d->trame, v.destination.frame, QStringLiteral("f_destination trame"));
        }
        for (HubDialog* hub :
             {static_cast<HubDialog*>(w.f_hub1), static_cast<HubDialog*>(w.f_hub2)})
            if (hub->controlsBuilt())
                checkLeds(v.hubs[static_cast<std::size_t>(hub->ledRow())], hub->Panel, hub->Label1,
                          hub->BitBtn1, hub->Image1, true);
        if (w.f_switch_gros->controlsBuilt()) {
            Tf_switch_gros* d = w.f_switch_gros;
            checkLeds(v.switchLeds, d->Panel1, d->Label1, d->BitBtn1, d->Image1, false);
        }
        if (w.f_switch->controlsBuilt())
            checkSwitch(v.switch_);
    }

    void checkSwitch(const kw::SwitchView& v)
    {
        Tf_switch* d = windows().f_switch;
        for (int row = 0; row < kw::SwitchTableRowCount; ++row) {
            const kw::SwitchRow& r = v.table.rows[static_cast<std::size_t>(row)];
            const QStringList shown{kw::ui::cell(d->table_ports, 0, row),
                                    kw::ui::cell(d->table_ports, 1, row),
                                    kw::ui::cell(d->table_ports, 2, row)};
            const QStringList kept{fromStd(r.address), fromStd(r.ttl), fromStd(r.port)};
            if (!expect(shown == kept, QStringLiteral("table_ports row %1 shows %2, holds %3")
                                           .arg(row)
                                           .arg(shown.join(u'|'), kept.join(u'|'))))
                return;
        }
        for (int c = 0; c < 5; ++c)
            expect(kw::ui::cell(d->trame, c, 0) == fromStd(v.frame[static_cast<std::size_t>(c)]),
                   QStringLiteral("f_switch trame cell %1").arg(c));
        QRadioButton* const ports[] = {d->port1, d->port2, d->port3, d->port4};
        QRadioButton* const choices[] = {d->b_d1, d->b_d2, d->b_d3, d->b_d4, d->b_dinconnu};
        for (int p = 0; p < 4; ++p)
            expect(ports[p]->isChecked() == (v.updatePort == p + 1),
                   ports[p]->objectName() + QStringLiteral(" checked otherwise"));
        for (int c = 0; c < 5; ++c)
            expect(choices[c]->isChecked() == (static_cast<int>(v.choice) == c + 1),
                   choices[c]->objectName() + QStringLiteral(" checked otherwise"));
        expect(d->Panel->isEnabled() == v.panelEnabled &&
                   d->dest_via->isEnabled() == v.destViaEnabled &&
                   d->trame->currentColumn() == v.selectedColumn,
               QStringLiteral("the switch dialog shows its controls otherwise"));
    }

    Program& m_program;
    kw::monkey::SeededDice m_dice;
    kw::monkey::Student m_student;
    quint64 m_seed;
    QString m_row;
    kw::test::Gestures m_mouse;
    kw::test::Gestures m_keys;
    kw::seam::Script m_script;
    kw::seam::Script* m_previousScript = nullptr;
    int m_budget = 0;
    int m_count = 0;
    int m_traceFrom = -1;
    QString m_action;
    std::deque<QString> m_recent;
    std::optional<Failure> m_failure;

    // The dialogs run for work, innermost last, and the boxes of each gesture under way.
    std::vector<QDialog*> m_modal;
    std::vector<std::vector<std::string>> m_boxes;
    int m_lastFlow = 0;
    int m_totalBefore = 0;
    int m_framesDone = 0;
    int m_seriesEndedAt = -1;
    int m_plays = 0;
    std::set<int> m_seenFlows;
};

QByteArray seriesFile()
{
    QFile file(kw::test::examplesFolder(QStringLiteral("serie_imposee")) +
               QStringLiteral("/switchexos.kw"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestMonkey : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void monkey_data();
    void monkey();

private:
    QTemporaryDir m_exerciseCopy;
};

void TestMonkey::initTestCase()
{
    previousHandler = qInstallMessageHandler(quietHandler);
}

void TestMonkey::cleanupTestCase()
{
    qInstallMessageHandler(previousHandler);
}

void TestMonkey::monkey_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QByteArray>("exercises"); // empty: the INI names another folder
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<int>("actions");
    QTest::addColumn<bool>("seriesEnds");

    QTest::newRow("manual_hubs") << QByteArray("[parametres]\r\nquestions=.\r\nfreq_multi=2\r\n")
                                 << QByteArray("1 5\r\n") << quint64(20240601) << 4000 << false;
    QTest::newRow("hub_auto_2") << QByteArray("[parametres]\r\nquestions=.\r\nhub_auto=2\r\n"
                                              "ttl_max=60\r\nentrees_initiales=\r\n")
                                << QByteArray("7 5\r\n") << quint64(7) << 4000 << false;
    QTest::newRow("full_table") << QByteArray("[parametres]\r\nquestions=.\r\n"
                                              "entrees_initiales=12345678\r\nttl_max=40\r\n"
                                              "freq_multi=3\r\nhub_auto=1\r\n")
                                << QByteArray("8 9\r\n") << quint64(99) << 4000 << false;
    QTest::newRow("repeated_digits") << QByteArray("[parametres]\r\nquestions=.\r\n"
                                                   "entrees_initiales=1134\r\nttl_max=30\r\n")
                                     << QByteArray("2 1\r\n") << quint64(31337) << 2000 << false;
    // An imposed series with FIN: it ends, and the monkey goes on afterwards.
    QFile exampleIni(kw::test::examplesFolder(QStringLiteral("serie_imposee")) +
                     QStringLiteral("/kw_switch.INI"));
    QVERIFY(exampleIni.open(QIODevice::ReadOnly));
    QTest::newRow("imposed_series")
        << exampleIni.readAll() << seriesFile() << quint64(4242) << 3000 << true;

    // The same series read from an exercise folder of its own (tests/writes_nothing watches
    // both folders while this row plays).
    QString folder = qEnvironmentVariable("KW_MONKEY_EXERCISE_FOLDER");
    if (folder.isEmpty()) {
        QVERIFY(m_exerciseCopy.isValid());
        folder = m_exerciseCopy.path();
        QFile copy(folder + QStringLiteral("/switchexos.kw"));
        QVERIFY(copy.open(QIODevice::WriteOnly));
        copy.write(seriesFile());
    }
    QTest::newRow("short") << QByteArray("[parametres]\r\nentrees_initiales=\r\nttl_max=255\r\n"
                                         "hub_auto=0\r\nquestions=" +
                                         QFile::encodeName(folder) + "\r\n")
                           << QByteArray() << quint64(1) << 2000 << true;
}

void TestMonkey::monkey()
{
    QFETCH(QByteArray, ini);
    QFETCH(QByteArray, exercises);
    QFETCH(quint64, seed);
    QFETCH(int, actions);
    QFETCH(bool, seriesEnds);

    bool ok = false;
    const quint64 seedOverride = qEnvironmentVariable("KW_MONKEY_SEED").toULongLong(&ok);
    if (ok)
        seed = seedOverride;
    const int actionsOverride = qEnvironmentVariableIntValue("KW_MONKEY_ACTIONS", &ok);
    const bool replay = ok;
    if (ok)
        actions = actionsOverride;

    QElapsedTimer timer;
    timer.start();
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    // The seed makes a run replayable.
    kw::ui::setGameOptions(kw::GameOptions{{}, static_cast<std::uint32_t>(seed)});
    {
        Program program(ini, exercises.isEmpty() ? nullptr : exercises.constData());
        kw::ui::setGameOptions({});
        QVERIFY(program.started());
        const QString folder = QFileInfo(program.folder()).canonicalFilePath();
        straceMarker(QStringLiteral("begin") + folder);

        Monkey monkey(program, seed, row);
        const bool passed = monkey.run(actions);
        straceMarker(QStringLiteral("end"));

        QStringList flows;
        for (int flow : monkey.seenFlows())
            flows << QString::number(flow);
        qInfo().noquote() << QStringLiteral(
                                 "%1: seed %2, %3 actions in %4 ms, %5 modal dialogs, "
                                 "%6 end-of-frame boxes, FlowState seen %7, series ended "
                                 "at %8")
                                 .arg(row)
                                 .arg(seed)
                                 .arg(monkey.actions())
                                 .arg(timer.elapsed())
                                 .arg(monkey.modalPlays())
                                 .arg(monkey.framesDone())
                                 .arg(flows.join(u','))
                                 .arg(monkey.seriesEndedAt());
        if (!passed)
            QFAIL(qPrintable(monkey.failureText()));

        // The monkey must get deep enough for its checks to mean something.
        if (!replay) {
            QVERIFY2(monkey.framesDone() >= 5, "too few frames done");
            for (int flow : {10, 20, 30, 40, 50, 60})
                QVERIFY2(monkey.seenFlows().count(flow), qPrintable(QString::number(flow)));
            if (seriesEnds) {
                QVERIFY2(monkey.seriesEndedAt() >= 0, "the imposed series did not end");
                QVERIFY2(monkey.seriesEndedAt() < actions - 200,
                         "too few actions after the end of the series");
            }
        }
    }
}

KW_TEST_MAIN(TestMonkey)
#include "tst_monkey.moc"
