// A monkey student: thousands of seeded random actions played through the real windows, with
// the program's invariants checked after every one of them. The monkey clicks anywhere, but
// now and then it is given the right answer, so that frames get finished, exercises follow
// each other and an imposed series reaches its end.
//
// Replay a failure with the seed and action count printed in the failure text:
//   KW_MONKEY_SEED=<seed> KW_MONKEY_ACTIONS=<count> tst_monkey monkey:<row>
// KW_MONKEY_TRACE=<index> prints every action from that index on.
// KW_MONKEY_EXERCISE_FOLDER names the exercise folder of the row "short" (otherwise a
// temporary copy of the imposed example series) and KW_MONKEY_STRACE_MARKERS=1 makes the
// test open marker paths that tell a system-call trace when the program runs (see
// tests/writes_nothing).

#include "student.h"

#include "app/windows.h"
#include "diagram.h"
#include "flow.h"
#include "global.h"
#include "hubs/hubdialog.h"
#include "hubs/u_hub.h"
#include "hubs/u_hub2.h"
#include "kit/widgets.h"
#include "main/a_propos.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "random.h"
#include "stations/u_MACs.h"
#include "stations/u_dest.h"
#include "stations/u_source.h"
#include "switch/U_switch.h"
#include "switch/u_switch_gros.h"
#include "switchtable.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

using kw::test::Program;
using kw::ui::windows;

namespace {

const QString DestinationLast = QString::fromUtf8(kw::msg::DestinationLast);
const QString EndOfFrame =
    QStringLiteral("Vous avez mené à bien cette transmission\r\nUtilisez le menu Nouveau");
const QString CloseQuestion = QStringLiteral("Terminer ?");

constexpr std::array<int, 10> FlowValues{0, 10, 20, 30, 35, 40, 41, 45, 50, 60};

// The moves of FlowState one step at a time; a single action may chain several.
const std::multimap<int, int> FlowMoves{
    {0, 10},  {10, 10}, {10, 20}, {20, 30}, {20, 35}, {30, 40}, {30, 41}, {30, 50},
    {35, 40}, {35, 41}, {35, 50}, {40, 50}, {41, 45}, {45, 50}, {50, 60},
};

bool isHubMove(int from, int to)
{
    return (from == 20 && to == 30) || (from == 40 && to == 50) || (from == 41 && to == 45) ||
           (from == 45 && to == 50);
}

// How many hubs repeat the frame on the shortest chain of moves from one FlowState to
// another; none when no chain leads there.
std::optional<int> hubMovesBetween(int from, int to)
{
    std::map<int, int> hubs{{from, 0}};
    std::deque<int> todo{from};
    while (!todo.empty()) {
        const int at = todo.front();
        todo.pop_front();
        if (at == to)
            return hubs[at];
        const auto [first, last] = FlowMoves.equal_range(at);
        for (auto it = first; it != last; ++it)
            if (hubs.emplace(it->second, hubs[at] + (isHubMove(at, it->second) ? 1 : 0)).second)
                todo.push_back(it->second);
    }
    return std::nullopt;
}

// splitmix64: the same sequence on every platform, which the standard distributions are not.
class Dice {
public:
    explicit Dice(quint64 seed) : m_state(seed) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 1 ? 0 : static_cast<int>(next() % static_cast<quint64>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool percent(int p) { return below(100) < p; }

private:
    quint64 m_state;
};

// Weight of the right answer among a dialog's actions: enough to finish frames now and then.
constexpr int Hint = 10;

// One weighted choice among actions.
struct Option {
    int weight;
    std::function<void()> act;
};

void choose(Dice& dice, const std::vector<Option>& options)
{
    int total = 0;
    for (const Option& o : options)
        total += o.weight;
    int roll = dice.below(total);
    for (const Option& o : options) {
        if (roll < o.weight) {
            o.act();
            return;
        }
        roll -= o.weight;
    }
}

// Hit rectangles of the diagram's elements (inclusive): stations 1..8, hubs, switch.
struct Area {
    int left, top, right, bottom;
};
const Area StationAreas[] = {{0, 0, 0, 0},         {18, 195, 41, 220},   {79, 195, 100, 220},
                             {141, 195, 160, 220}, {329, 195, 349, 220}, {393, 195, 413, 220},
                             {449, 195, 471, 220}, {203, 11, 238, 47},   {273, 11, 307, 47}};
const Area HubAreas[] = {{0, 0, 0, 0}, {39, 139, 174, 152}, {317, 139, 453, 152}};
const Area SwitchArea{181, 89, 317, 106};

// The middle of each LED's hit region, the same on the hub and switch pictures.
constexpr int LedX[] = {0, 48, 81, 143, 176, 240, 272, 334, 367};
constexpr int LedY = 30;

QString fromStd(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString macOf(int station)
{
    return fromStd(kw::test::state().StationTable[static_cast<std::size_t>(station)].mac);
}

bool isServer(int station)
{
    return station == 7 || station == 8;
}

QPoint cellCentre(const QTableWidget* grid, int row, int column)
{
    return grid->visualRect(grid->model()->index(row, column)).center();
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

struct Snapshot {
    int flow;
    int errors;
    std::array<kw::LedRow, 4> leds;
    kw::SwitchTable table;
};

class Monkey {
public:
    Monkey(Program& program, quint64 seed, QString row)
        : m_program(program), m_dice(seed), m_seed(seed), m_row(std::move(row))
    {
        const kw::SharedState& g = kw::test::state();
        m_lastFlow = g.FlowState;
        m_topFlow = g.FlowState;
        m_expectedErrors = g.ErrorTotal;
        m_exercise = g.ExerciseNumber;
        m_seenFlows.insert(m_lastFlow);
        m_program.student.onBox = [this](const kw::seam::BoxRecord& box) { onBox(box); };
        bool ok = false;
        const int from = qEnvironmentVariableIntValue("KW_MONKEY_TRACE", &ok);
        m_traceFrom = ok ? from : -1;
    }

    ~Monkey() { m_program.student.onBox = nullptr; }

    // Plays until `actions` actions have been made or an invariant broke.
    bool run(int actions)
    {
        m_budget = actions;
        check(false);
        while (!m_failure && m_count < m_budget) {
            if (m_program.student.pendingDialogs() == 0)
                queuePlay();
            topAction();
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
    int framesDone() const { return static_cast<int>(m_framesDone.size()); }
    int seriesEndedAt() const { return m_seriesEndedAt; }
    const std::set<int>& seenFlows() const { return m_seenFlows; }
    int commits() const { return m_commits; }
    int modalPlays() const { return m_plays; }
    int countedBoxes() const { return m_countedBoxes; }
    int exercises() const { return m_exercise; }

private:
    struct Failure {
        int index;
        QString action;
        QString what;
    };

    // ---- bookkeeping ----

    void note(const QString& action)
    {
        m_action = action;
        const QString line = QStringLiteral("#%1 F%2 %3")
                                 .arg(m_count)
                                 .arg(int(kw::test::state().FlowState))
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

    void queuePlay()
    {
        m_program.student.thenDialog([this](QDialog* dialog) { play(dialog); });
    }

    // ---- invariants ----

    void onBox(const kw::seam::BoxRecord& box)
    {
        const kw::SharedState& g = kw::test::state();
        switch (box.kind) {
        case kw::seam::BoxKind::Warning:
            if (box.text != DestinationLast) {
                ++m_expectedErrors;
                ++m_countedBoxes;
                // The total is counted and shown before the box appears.
                expect(windows().f_avance->label_erreurs->text() ==
                           QStringLiteral("Cumul erreurs = %1").arg(m_expectedErrors),
                       QStringLiteral("warning \"%1\" shown with the label \"%2\"")
                           .arg(box.text, windows().f_avance->label_erreurs->text()));
            }
            // The game counts every error of one act before the first of its boxes comes up;
            // once the act is over, the total and the boxes agree (check).
            expect(g.ErrorTotal >= m_expectedErrors,
                   QStringLiteral("warning \"%1\": ErrorTotal %2, boxes say %3")
                       .arg(box.text)
                       .arg(g.ErrorTotal)
                       .arg(m_expectedErrors));
            break;
        case kw::seam::BoxKind::Error:
            fail(QStringLiteral("error box during the run: \"%1\"").arg(box.text));
            break;
        case kw::seam::BoxKind::Information:
            expect(box.text == EndOfFrame, QStringLiteral("information \"%1\"").arg(box.text));
            expect(g.FlowState == kw::flow::FrameDone,
                   QStringLiteral("end of frame accepted at FlowState %1").arg(g.FlowState));
            m_framesDone.insert(g.ExerciseNumber);
            break;
        case kw::seam::BoxKind::Confirmation:
            expect(box.text == CloseQuestion, QStringLiteral("confirmation \"%1\"").arg(box.text));
            m_closeAsked = true;
            break;
        }
    }

    // After every action, in a dialog or at the top; `restart`: the action was "Nouveau".
    void check(bool topLevel, bool restart = false)
    {
        const kw::SharedState& g = kw::test::state();
        const int flow = g.FlowState;
        m_seenFlows.insert(flow);
        if (!expect(std::find(FlowValues.begin(), FlowValues.end(), flow) != FlowValues.end(),
                    QStringLiteral("FlowState %1 is no value of the flow").arg(flow)))
            return;
        if (restart) {
            expect(flow == kw::flow::ExerciseReady,
                   QStringLiteral("FlowState %1 after \"Nouveau\"").arg(flow));
        } else {
            expect(hubMovesBetween(m_lastFlow, flow).has_value(),
                   QStringLiteral("FlowState moved from %1 to %2").arg(m_lastFlow).arg(flow));
        }
        expect(g.ErrorTotal == m_expectedErrors,
               QStringLiteral("ErrorTotal %1 but %2 counted warnings since start")
                   .arg(g.ErrorTotal)
                   .arg(m_expectedErrors));

        const int source = g.CurrentExercise.source;
        const int destination = g.CurrentExercise.destination;
        expect(source >= 1 && source <= 8 && destination >= 1 && destination <= 9 &&
                   source != destination,
               QStringLiteral("exercise %1 -> %2").arg(source).arg(destination));
        // Which sender the flow states imply.
        // A server sender passes 20 only inside the sending dialog.
        if ((flow == kw::flow::MachineEmitted && topLevel) || flow == kw::flow::SenderHubDone)
            expect(!isServer(source),
                   QStringLiteral("FlowState %1 with server %2 as sender").arg(flow).arg(source));
        if (flow == kw::flow::ServerEmitted || flow == kw::flow::TowardsBothHubs ||
            flow == kw::flow::OneOfTwoHubsDone)
            expect(isServer(source),
                   QStringLiteral("FlowState %1 with machine %2 as sender").arg(flow).arg(source));

        checkSwitchTable(flow);
        if (topLevel)
            checkWindows(flow, restart);
        m_lastFlow = flow;
    }

    void checkSwitchTable(int flow)
    {
        const Tf_switch* dialog = windows().f_switch;
        const kw::SwitchTable& table = dialog->switchTable();
        for (int row = 1; row < kw::SwitchTableRowCount; ++row) {
            const kw::SwitchRow& r = table.rows[static_cast<std::size_t>(row)];
            const QStringList shown{kw::ui::cell(dialog->table_ports, 0, row),
                                    kw::ui::cell(dialog->table_ports, 1, row),
                                    kw::ui::cell(dialog->table_ports, 2, row)};
            const QStringList kept{fromStd(r.address), fromStd(r.ttl), fromStd(r.port)};
            if (!expect(shown == kept, QStringLiteral("table_ports row %1 shows %2, holds %3")
                                           .arg(row)
                                           .arg(shown.join(u'|'), kept.join(u'|'))))
                return;
        }
        // Every frame reaches 40 or more through the switch step alone.
        const bool committedNow =
            m_lastFlow < kw::flow::TowardsOneHub && flow >= kw::flow::TowardsOneHub;
        if (committedNow) {
            ++m_commits;
            m_committed = true;
            expect(table.entryRow() == kw::SwitchRow{},
                   QStringLiteral("entry row not cleared by the switch step"));
        }
        if (!m_committed)
            return;
        // After a committed step the entries form one block from row 1, none with Ttl 0.
        const int ttlMax = kw::TtlFromText(kw::test::state().TtlMaxText);
        bool inBlock = true;
        for (int row = kw::SwitchFirstEntry; row <= kw::SwitchLastEntry; ++row) {
            const kw::SwitchRow& r = table.rows[static_cast<std::size_t>(row)];
            const QString where = QStringLiteral("switch table row %1 (%2|%3|%4)")
                                      .arg(row)
                                      .arg(fromStd(r.address), fromStd(r.ttl), fromStd(r.port));
            if (r.address.empty()) {
                inBlock = false;
                expect(r.port.empty() && r.ttl != "0", where + QStringLiteral(": a gap row"));
                continue;
            }
            if (!expect(inBlock, where + QStringLiteral(": an entry below a gap")))
                return;
            bool number = false;
            const int ttl = fromStd(r.ttl).toInt(&number);
            expect(number && ttl >= 1 && ttl <= ttlMax, where + QStringLiteral(": its Ttl"));
            int station = 0;
            for (int s = 1; s <= kw::StationCount; ++s)
                if (kw::test::state().StationTable[static_cast<std::size_t>(s)].mac == r.address)
                    station = s;
            expect(station != 0 && r.port == std::to_string(kw::SwitchPortOf(station)),
                   where + QStringLiteral(": no station's address and port"));
        }
    }

    void checkWindows(int flow, bool restart)
    {
        const kw::ui::Windows& w = windows();
        const kw::SharedState& g = kw::test::state();
        const Tf_avance* avance = w.f_avance;
        expect(w.Principale->isVisible(), QStringLiteral("the main window is closed"));
        expect(w.f_avance->isVisible() && w.AdressesMAC->isVisible(),
               QStringLiteral("the progress or known-addresses window is closed"));
        expect(!w.f_switch_gros->isVisible(), QStringLiteral("switch LED dialog left open"));
        expect(!w.apropos->isVisible(), QStringLiteral("about box left open"));
        // Dialogs still up at the top are review views, which change nothing.
        if (w.f_source->isVisible())
            expect(!w.f_source->Panel->isEnabled(), QStringLiteral("sending dialog open to work"));
        if (w.f_destination->isVisible())
            expect(!w.f_destination->Panel->isEnabled(),
                   QStringLiteral("receiving dialog open to work"));
        for (HubDialog* hub :
             {static_cast<HubDialog*>(w.f_hub1), static_cast<HubDialog*>(w.f_hub2)})
            if (hub->isVisible())
                expect(!hub->Panel->isEnabled() && !hub->BitBtn1->isVisible() &&
                           (hub->ledRow() == 1 ? avance->_hub1 : avance->_hub2)->isChecked(),
                       QStringLiteral("hub %1 dialog open to work").arg(hub->ledRow()));
        if (w.f_switch->isVisible())
            expect(!w.f_switch->Panel->isEnabled() && !w.f_switch->dest_via->isEnabled() &&
                       avance->_switch->isChecked(),
                   QStringLiteral("switch dialog open to work"));

        // The progress window follows the flow.
        expect(avance->fin_traitement->isEnabled() == (flow == kw::flow::FrameDone),
               QStringLiteral("\"Fin du traitement\" enabled %1 at FlowState %2")
                   .arg(avance->fin_traitement->isEnabled())
                   .arg(flow));
        expect(avance->_destinataire->isChecked() == (flow == kw::flow::FrameDone),
               QStringLiteral("destination ticked %1 at FlowState %2")
                   .arg(avance->_destinataire->isChecked())
                   .arg(flow));
        expect(avance->_emetteur->isChecked() == (flow >= kw::flow::MachineEmitted),
               QStringLiteral("sender ticked %1 at FlowState %2")
                   .arg(avance->_emetteur->isChecked())
                   .arg(flow));
        expect(avance->_switch->isChecked() == (flow >= kw::flow::TowardsOneHub),
               QStringLiteral("switch ticked %1 at FlowState %2")
                   .arg(avance->_switch->isChecked())
                   .arg(flow));
        expect(!avance->emetteur->isChecked() && !avance->destinataire->isChecked(),
               QStringLiteral("a \"Non concerné\" box of sender or destination stayed ticked"));

        const TPrincipale* main = w.Principale;
        const bool nouveau = main->Nouveau->isEnabled();
        expect(!nouveau || flow == kw::flow::FrameDone,
               QStringLiteral("\"Nouveau\" enabled at FlowState %1").arg(flow));
        const bool ended = !main->resultat->isHidden();
        expect(!(ended && nouveau), QStringLiteral("\"Nouveau\" enabled after the series ended"));
        if (m_seriesEndedAt >= 0)
            expect(ended && g.ExerciseNumber == m_exercise,
                   QStringLiteral("the series went on after its end"));
        else if (ended)
            m_seriesEndedAt = m_count - 1;
        expect(main->Edit1->text() == fromStd(g.StationTable[g.CurrentExercise.source].name) &&
                   main->Edit2->text() ==
                       fromStd(g.StationTable[g.CurrentExercise.destination].name),
               QStringLiteral("the main window names another exercise"));

        // One click treats one hub at most, and every hub that repeated the frame is ticked:
        // a hub pass never turns 41 into 50 at once.
        if (restart) {
            m_hubMoves = 0;
        } else if (const auto moves = hubMovesBetween(m_topFlow, flow)) {
            m_hubMoves += *moves;
            expect(
                *moves <= 1,
                QStringLiteral("one action took FlowState from %1 to %2").arg(m_topFlow).arg(flow));
        }
        // The finished frame hands over to the progress window, restored if minimised.
        if (flow == kw::flow::FrameDone && m_topFlow != kw::flow::FrameDone)
            expect(!avance->isMinimized(), QStringLiteral("progress window left minimised"));
        m_topFlow = flow;
        const int hubsTicked = int(avance->_hub1->isChecked()) + int(avance->_hub2->isChecked());
        expect(
            hubsTicked == m_hubMoves,
            QStringLiteral("%1 hubs ticked after %2 hub passes").arg(hubsTicked).arg(m_hubMoves));

        // A Broadcast ends when the seven other stations have copied it; a unicast frame is
        // copied by nobody.
        int copies = 0;
        for (int s = 1; s <= kw::StationCount; ++s)
            copies += g.BroadcastCopied[static_cast<std::size_t>(s)] ? 1 : 0;
        const int source = g.CurrentExercise.source;
        if (g.CurrentExercise.destination != kw::BroadcastIndex)
            expect(copies == 0,
                   QStringLiteral("%1 Broadcast copies of a unicast frame").arg(copies));
        else
            expect(
                !g.BroadcastCopied[static_cast<std::size_t>(source)] &&
                    (flow != kw::flow::FrameDone || copies == 7),
                QStringLiteral("Broadcast at FlowState %1 with %2 copies").arg(flow).arg(copies));

        if (restart) {
            expect(g.ExerciseNumber == m_exercise + 1,
                   QStringLiteral("exercise %1 after exercise %2")
                       .arg(g.ExerciseNumber)
                       .arg(m_exercise));
            for (QWidget* dialog : std::initializer_list<QWidget*>{
                     w.f_source, w.f_destination, w.f_hub1, w.f_hub2, w.f_switch, w.f_switch_gros})
                expect(!dialog->isVisible(),
                       QStringLiteral("%1 still open after \"Nouveau\"").arg(dialog->objectName()));
            for (const QCheckBox* box :
                 {avance->emetteur, avance->Hub1, avance->Hub2, avance->switch_,
                  avance->destinataire, avance->_emetteur, avance->_hub1, avance->_hub2,
                  avance->_switch, avance->_destinataire})
                expect(!box->isChecked(),
                       QStringLiteral("%1 still ticked after \"Nouveau\"").arg(box->objectName()));
            expect(!main->trame_gauche->isVisible(), QStringLiteral("frame still shown"));
            for (int row = 1; row <= 3; ++row)
                for (int k = 1; k <= kw::LedCount; ++k)
                    expect(!g.LedState[static_cast<std::size_t>(row)][static_cast<std::size_t>(k)],
                           QStringLiteral("LED %1 of row %2 still lit").arg(k).arg(row));
            const QRgb black = qRgb(0, 0, 0);
            for (int cable = 1; cable <= kw::CableCount; ++cable)
                for (kw::CableLine line : {kw::CableLine::First, kw::CableLine::Second})
                    for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
                        if (!expect(m_program.diagramPixel(p.x, p.y) == black,
                                    QStringLiteral("cable %1 not black again").arg(cable)))
                            return;
        }
        m_exercise = g.ExerciseNumber;
    }

    Snapshot snapshot() const
    {
        const kw::SharedState& g = kw::test::state();
        return {g.FlowState, g.ErrorTotal, g.LedState, windows().f_switch->switchTable()};
    }

    // ---- top-level actions ----

    void topAction()
    {
        const kw::ui::Windows& w = windows();
        const kw::SharedState& g = kw::test::state();
        const bool frameDone = g.FlowState == kw::flow::FrameDone;
        std::vector<QWidget*> views;
        for (QWidget* view : std::initializer_list<QWidget*>{w.f_source, w.f_destination, w.f_hub1,
                                                             w.f_hub2, w.f_switch})
            if (view->isVisible())
                views.push_back(view);

        bool restart = false;
        choose(m_dice, {
                           {40, [this] { clickElement(randomElement()); }},
                           {8, [this] { clickAnywhere(); }},
                           {frameDone ? 3 : 18, [this] { clickElement(nextElement()); }},
                           {6, [this] { tickProgressBox(); }},
                           {frameDone ? 18 : 0, [this] { finishFrame(); }},
                           {2, [this] { clickFin(); }},
                           {frameDone ? 12 : 1, [this, &restart] { restart = clickNouveau(); }},
                           {1, [this] { aboutBox(); }},
                           {1, [this] { askToClose(); }},
                           {1, [this] { clickKnownAddresses(); }},
                           {2, [this] { handleToolWindow(); }},
                           {views.empty() ? 0 : 6, [this, &views] { actOnView(views); }},
                       });
        if (!m_failure)
            check(true, restart);
    }

    // 1..8 stations, 11 and 12 the hubs, 20 the switch.
    int randomElement()
    {
        const int pick = m_dice.below(11);
        if (pick < 8)
            return pick + 1;
        if (pick < 10)
            return 11 + (pick - 8);
        return 20;
    }

    // What a good student clicks next (a station, hub or the switch).
    int nextElement()
    {
        const kw::SharedState& g = kw::test::state();
        const int source = g.CurrentExercise.source;
        const int destination = g.CurrentExercise.destination;
        const bool broadcast = destination == kw::BroadcastIndex;
        auto receiver = [&](bool sameSideOnly) {
            std::vector<int> candidates;
            for (int s = 1; s <= kw::StationCount; ++s)
                if (s != source && !g.BroadcastCopied[static_cast<std::size_t>(s)] &&
                    (!sameSideOnly || (s <= 3) == (source <= 3)))
                    candidates.push_back(s);
            return candidates.empty()
                       ? 20
                       : candidates[std::size_t(m_dice.below(static_cast<int>(candidates.size())))];
        };
        const Tf_avance* avance = windows().f_avance;
        switch (g.FlowState) {
        case kw::flow::Start:
        case kw::flow::ExerciseReady:
            return source;
        case kw::flow::MachineEmitted:
            return source <= 3 ? 11 : 12;
        case kw::flow::SenderHubDone:
        case kw::flow::ServerEmitted:
            return broadcast && m_dice.percent(40) ? receiver(true) : 20;
        case kw::flow::TowardsOneHub:
            if (g.LedState[3][1] && !avance->_hub1->isChecked())
                return 11;
            return g.LedState[3][7] && !avance->_hub2->isChecked() ? 12 : 20;
        case kw::flow::TowardsBothHubs:
        case kw::flow::OneOfTwoHubsDone:
            if (!avance->_hub1->isChecked() && (avance->_hub2->isChecked() || m_dice.percent(50)))
                return 11;
            return 12;
        case kw::flow::ReachedAll:
            return broadcast ? receiver(false) : destination;
        default:
            return randomElement();
        }
    }

    void clickElement(int element)
    {
        Area area{0, 0, kw::DiagramWidth - 1, kw::DiagramHeight - 1};
        if (element >= 1 && element <= 8)
            area = StationAreas[element];
        else if (element == 11 || element == 12)
            area = HubAreas[element - 10];
        else if (element == 20)
            area = SwitchArea;
        clickDiagram(m_dice.between(area.left, area.right), m_dice.between(area.top, area.bottom));
    }

    void clickAnywhere()
    {
        clickDiagram(m_dice.below(kw::DiagramWidth), m_dice.below(kw::DiagramHeight));
    }

    void clickDiagram(int x, int y)
    {
        // Every button acts alike; mostly the left one.
        const Qt::MouseButton button = m_dice.percent(85)   ? Qt::LeftButton
                                       : m_dice.percent(70) ? Qt::RightButton
                                                            : Qt::MiddleButton;
        note(QStringLiteral("diagram (%1,%2) button %3").arg(x).arg(y).arg(int(button)));
        m_program.clickDiagram(x, y, button);
    }

    void tickProgressBox()
    {
        const Tf_avance* a = windows().f_avance;
        QCheckBox* const boxes[] = {a->emetteur,  a->Hub1,  a->Hub2,  a->switch_, a->destinataire,
                                    a->_emetteur, a->_hub1, a->_hub2, a->_switch, a->_destinataire};
        // Mostly the student's own column; the program's column is disabled.
        QCheckBox* box = boxes[m_dice.below(m_dice.percent(70) ? 5 : 10)];
        note(QStringLiteral("progress: click %1").arg(box->objectName()));
        clickCheckBox(box);
    }

    // The end of the frame as a good student does it: "Non concerné" for the hubs the frame
    // did not reach, then the button.
    void finishFrame()
    {
        const Tf_avance* a = windows().f_avance;
        if (a->_hub1->isChecked() == a->Hub1->isChecked()) {
            note(QStringLiteral("progress: set Hub1"));
            clickCheckBox(a->Hub1);
        } else if (a->_hub2->isChecked() == a->Hub2->isChecked()) {
            note(QStringLiteral("progress: set Hub2"));
            clickCheckBox(a->Hub2);
        } else {
            clickFin();
        }
    }

    void clickFin()
    {
        note(QStringLiteral("progress: click fin_traitement"));
        QTest::mouseClick(windows().f_avance->fin_traitement, Qt::LeftButton);
    }

    static void clickCheckBox(QAbstractButton* box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(7, box->height() / 2));
    }

    // A click on a menu item of the main window's menu bar; true when "Nouveau" ran.
    bool clickMenu(QAction* action)
    {
        QMenuBar* bar = windows().Principale->menuBar();
        const QRect place = bar->actionGeometry(action);
        if (!expect(
                place.isValid(),
                QStringLiteral("menu item %1 has no place on the menu bar").arg(action->text())))
            return false;
        QTest::mouseClick(bar, Qt::LeftButton, {}, place.center());
        return true;
    }

    bool clickNouveau()
    {
        QAction* nouveau = windows().Principale->Nouveau;
        const bool enabled = nouveau->isEnabled();
        const int exercise = kw::test::state().ExerciseNumber;
        note(QStringLiteral("menu: Nouveau (%1)")
                 .arg(enabled ? QStringLiteral("enabled") : QStringLiteral("disabled")));
        clickMenu(nouveau);
        const bool ran = kw::test::state().ExerciseNumber != exercise;
        expect(ran == enabled,
               QStringLiteral("\"Nouveau\" enabled %1 but ran %2").arg(enabled).arg(ran));
        return ran;
    }

    void aboutBox()
    {
        note(QStringLiteral("menu: A propos"));
        const Snapshot before = snapshot();
        clickMenu(windows().Principale->APropos1);
        expectUnchanged(before, QStringLiteral("the about box"));
    }

    void askToClose()
    {
        const bool byMenu = m_dice.percent(50);
        note(byMenu ? QStringLiteral("menu: Quitter, then Annuler")
                    : QStringLiteral("main window close box, then Annuler"));
        m_closeAsked = false;
        m_program.student.thenAnswer(false);
        if (byMenu)
            clickMenu(windows().Principale->Quitter1);
        else
            windows().Principale->close();
        expect(m_closeAsked, QStringLiteral("no \"Terminer ?\" question"));
    }

    void clickKnownAddresses()
    {
        QTableWidget* grid = windows().AdressesMAC->table_MAC;
        const int row = m_dice.below(10);
        const int column = m_dice.below(2);
        note(QStringLiteral("known addresses: click (%1,%2)").arg(column).arg(row));
        const Snapshot before = snapshot();
        if (m_dice.percent(50))
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, row, column));
        else
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, row, column));
        expectUnchanged(before, QStringLiteral("the known-addresses window"));
    }

    // The progress and known-addresses windows: minimised, restored, or asked to close,
    // which they refuse.
    void handleToolWindow()
    {
        QWidget* window = m_dice.percent(50) ? static_cast<QWidget*>(windows().f_avance)
                                             : static_cast<QWidget*>(windows().AdressesMAC);
        const int what = m_dice.below(3);
        note(QStringLiteral("%1: %2").arg(window->objectName(),
                                          what == 0   ? QStringLiteral("minimise")
                                          : what == 1 ? QStringLiteral("restore")
                                                      : QStringLiteral("close box")));
        const Snapshot before = snapshot();
        if (what == 0)
            window->showMinimized();
        else if (what == 1)
            window->showNormal();
        else
            window->close();
        expectUnchanged(before, window->objectName());
    }

    // A few actions on a modeless review view: they must change nothing.
    void actOnView(const std::vector<QWidget*>& views)
    {
        auto* view = static_cast<QDialog*>(views[std::size_t(m_dice.below(int(views.size())))]);
        const Snapshot before = snapshot();
        const int count = m_dice.between(1, 3);
        for (int i = 0; i < count && view->isVisible() && !m_failure; ++i) {
            dialogAction(view);
            if (!m_failure)
                check(false);
            expectUnchanged(before, QStringLiteral("the review view %1").arg(view->objectName()));
        }
    }

    void expectUnchanged(const Snapshot& before, const QString& what)
    {
        const Snapshot after = snapshot();
        expect(before.flow == after.flow && before.errors == after.errors &&
                   before.leds == after.leds && before.table == after.table,
               what + QStringLiteral(" changed the exercise"));
    }

    // ---- inside dialogs ----

    // The student in a modal dialog: a random number of random actions.
    void play(QDialog* dialog)
    {
        ++m_plays;
        queuePlay(); // for a dialog this one opens in turn
        const int count = m_dice.below(15);
        for (int i = 0; i < count && dialog->isVisible() && !m_failure; ++i) {
            dialogAction(dialog);
            if (!m_failure)
                check(false);
        }
    }

    void dialogAction(QDialog* dialog)
    {
        if (auto* d = qobject_cast<Tf_source*>(dialog))
            sourceAction(d);
        else if (auto* d = qobject_cast<Tf_destination*>(dialog))
            destinationAction(d);
        else if (auto* d = qobject_cast<HubDialog*>(dialog))
            hubAction(d);
        else if (auto* d = qobject_cast<Tf_switch*>(dialog))
            switchAction(d);
        else if (auto* d = qobject_cast<Tf_switch_gros*>(dialog))
            switchLedAction(d);
        else if (auto* d = qobject_cast<Tapropos*>(dialog))
            aboutAction(d);
        else
            fail(QStringLiteral("unknown dialog %1")
                     .arg(QLatin1String(dialog->metaObject()->className())));
    }

    // Actions every dialog knows: Enter, Escape, the close box, a click anywhere.
    std::vector<Option> commonOptions(QDialog* dialog)
    {
        return {
            {1,
             [this, dialog] {
                 note(dialog->objectName() + QStringLiteral(": Enter"));
                 QTest::keyClick(dialog, Qt::Key_Return);
             }},
            {1,
             [this, dialog] {
                 note(dialog->objectName() + QStringLiteral(": Escape"));
                 QTest::keyClick(dialog, Qt::Key_Escape);
             }},
            {1,
             [this, dialog] {
                 note(dialog->objectName() + QStringLiteral(": close box"));
                 dialog->close();
             }},
            {2, [this, dialog] { clickAnywhere(dialog, false); }},
            {1, [this, dialog] { clickAnywhere(dialog, true); }},
            {2, [this, dialog] { pressKey(dialog); }},
        };
    }

    // A click or a double-click on whatever lies at a random point of the dialog.
    void clickAnywhere(QDialog* dialog, bool twice)
    {
        const QPoint p(m_dice.below(dialog->width()), m_dice.below(dialog->height()));
        QWidget* target = dialog->childAt(p);
        note(QStringLiteral("%1: %2 (%3,%4) on %5")
                 .arg(dialog->objectName(),
                      twice ? QStringLiteral("double-click") : QStringLiteral("click"))
                 .arg(p.x())
                 .arg(p.y())
                 .arg(QLatin1String(target ? target->metaObject()->className() : "the dialog")));
        if (!target)
            target = dialog;
        const QPoint at = target->mapFrom(dialog, p);
        if (twice)
            doubleClick(target, at);
        else
            QTest::mouseClick(target, Qt::LeftButton, {}, at);
    }

    // A key on one of the dialog's visible widgets, as if it had the focus.
    void pressKey(QDialog* dialog)
    {
        static const Qt::Key keys[] = {Qt::Key_Up,     Qt::Key_Down,     Qt::Key_Left,
                                       Qt::Key_Right,  Qt::Key_Space,    Qt::Key_Return,
                                       Qt::Key_Tab,    Qt::Key_Home,     Qt::Key_End,
                                       Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Backspace};
        std::vector<QWidget*> widgets;
        for (QWidget* child : dialog->findChildren<QWidget*>())
            if (child->isVisible())
                widgets.push_back(child);
        QWidget* target =
            widgets.empty() ? dialog
                            : widgets[std::size_t(m_dice.below(static_cast<int>(widgets.size())))];
        const Qt::Key key = keys[m_dice.below(static_cast<int>(std::size(keys)))];
        note(QStringLiteral("%1: key %2 on %3 %4")
                 .arg(dialog->objectName())
                 .arg(int(key), 0, 16)
                 .arg(QLatin1String(target->metaObject()->className()), target->objectName()));
        QTest::keyClick(target, key);
    }

    void clickButton(QDialog* dialog, QAbstractButton* button)
    {
        note(dialog->objectName() + QStringLiteral(": click ") + button->objectName());
        // Hidden buttons cannot be clicked.
        if (button->isVisible())
            QTest::mouseClick(button, Qt::LeftButton);
    }

    // What a real double-click delivers: press, release, double-click, release. When the first
    // click closes the widget's window the rest lands elsewhere, never on the hidden widget.
    void doubleClick(QWidget* widget, const QPoint& pos)
    {
        QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
        if (!widget->isVisible())
            return;
        QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
        if (widget->isVisible())
            QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
    }

    void sourceAction(Tf_source* d)
    {
        const kw::SharedState& g = kw::test::state();
        auto options = commonOptions(d);
        auto clickCache = [this, d](int row) {
            QTest::mouseClick(d->table_MAC->viewport(), Qt::LeftButton, {},
                              cellCentre(d->table_MAC, row, m_dice.below(2)));
        };
        options.push_back({4, [this, d, clickCache] {
                               const int row = m_dice.below(10);
                               note(QStringLiteral("f_source: select cache row %1").arg(row));
                               clickCache(row);
                           }});
        options.push_back({4, [this, d] {
                               const int column = m_dice.below(5);
                               note(QStringLiteral("f_source: double-click frame %1").arg(column));
                               doubleClick(d->trame->viewport(), cellCentre(d->trame, 0, column));
                           }});
        options.push_back({2, [this, d] {
                               const int row = m_dice.below(10);
                               note(QStringLiteral("f_source: double-click cache row %1").arg(row));
                               doubleClick(d->table_MAC->viewport(),
                                           cellCentre(d->table_MAC, row, m_dice.below(2)));
                           }});
        options.push_back({2, [this, d] { clickButton(d, d->BitBtn1); }});
        // The right copy: the destination's address first, then the source's.
        const int destination = g.CurrentExercise.destination;
        const int source = g.CurrentExercise.source;
        options.push_back(
            {Hint, [this, d, clickCache, destination, source] {
                 const bool destinationRight = kw::ui::cell(d->trame, 0, 0) == macOf(destination);
                 const bool sourceRight = kw::ui::cell(d->trame, 1, 0) == macOf(source);
                 if (destinationRight && sourceRight) {
                     clickButton(d, d->BitBtn1);
                     return;
                 }
                 const int column = destinationRight ? 1 : 0;
                 note(QStringLiteral("f_source: copy right address into %1").arg(column));
                 clickCache(column == 0 ? destination : source);
                 doubleClick(d->trame->viewport(), cellCentre(d->trame, 0, column));
             }});
        choose(m_dice, options);
    }

    void destinationAction(Tf_destination* d)
    {
        const kw::SharedState& g = kw::test::state();
        auto options = commonOptions(d);
        options.push_back({3, [this, d] {
                               note(QStringLiteral("f_destination: click copier"));
                               clickCheckBox(d->copier);
                           }});
        options.push_back({3, [this, d] { clickButton(d, d->BitBtn1); }});
        const bool copy = g.ClickedStation == g.CurrentExercise.destination ||
                          g.CurrentExercise.destination == kw::BroadcastIndex;
        options.push_back({Hint, [this, d, copy] {
                               if (d->copier->isChecked() != copy) {
                                   note(QStringLiteral("f_destination: set copier right"));
                                   clickCheckBox(d->copier);
                               } else {
                                   clickButton(d, d->BitBtn1);
                               }
                           }});
        choose(m_dice, options);
    }

    void hubAction(HubDialog* d)
    {
        const kw::SharedState& g = kw::test::state();
        auto options = commonOptions(d);
        options.push_back({5, [this, d] {
                               const int led = m_dice.between(1, 8);
                               note(QStringLiteral("%1: LED %2").arg(d->objectName()).arg(led));
                               QTest::mouseClick(d->Image1, Qt::LeftButton, {},
                                                 QPoint(LedX[led], LedY));
                           }});
        options.push_back({2, [this, d] {
                               const QPoint p(m_dice.below(d->Image1->width()),
                                              m_dice.below(d->Image1->height()));
                               note(QStringLiteral("%1: picture (%2,%3)")
                                        .arg(d->objectName())
                                        .arg(p.x())
                                        .arg(p.y()));
                               QTest::mouseClick(d->Image1, Qt::RightButton, {}, p);
                           }});
        options.push_back({2, [this, d] { clickButton(d, d->BitBtn1); }});
        const int row = d->ledRow();
        const kw::LedRow expected = g.ExpectedHubLeds[static_cast<std::size_t>(row)];
        options.push_back(
            {Hint, [this, d, row, expected] {
                 const kw::LedRow& lit = kw::test::state().LedState[std::size_t(row)];
                 for (int k = 1; k <= kw::LedCount; ++k)
                     if (lit[std::size_t(k)] != expected[std::size_t(k)]) {
                         note(QStringLiteral("%1: right LED %2").arg(d->objectName()).arg(k));
                         QTest::mouseClick(d->Image1, Qt::LeftButton, {}, QPoint(LedX[k], LedY));
                         return;
                     }
                 clickButton(d, d->BitBtn1);
             }});
        choose(m_dice, options);
    }

    QRadioButton* forwardButton(Tf_switch* d, const std::string& lookup)
    {
        QRadioButton* const ports[] = {d->b_dinconnu, d->b_d1, d->b_d2, d->b_d3, d->b_d4};
        const int port = lookup == kw::UnknownPortText ? 0 : std::atoi(lookup.c_str());
        return ports[port >= 1 && port <= 4 ? port : 0];
    }

    void switchAction(Tf_switch* d)
    {
        const kw::SharedState& g = kw::test::state();
        auto options = commonOptions(d);
        QRadioButton* const ports[] = {d->port1, d->port2, d->port3, d->port4};
        QRadioButton* const choices[] = {d->b_d1, d->b_d2, d->b_d3, d->b_d4, d->b_dinconnu};
        options.push_back({3, [this, d] {
                               const int column = m_dice.below(5);
                               note(QStringLiteral("f_switch: select frame %1").arg(column));
                               QTest::mouseClick(d->trame->viewport(), Qt::LeftButton, {},
                                                 cellCentre(d->trame, 0, column));
                           }});
        options.push_back({3, [this, d] {
                               const int column = m_dice.below(5);
                               note(QStringLiteral("f_switch: double-click frame %1").arg(column));
                               doubleClick(d->trame->viewport(), cellCentre(d->trame, 0, column));
                           }});
        options.push_back({2, [this, ports] {
                               QRadioButton* port = ports[m_dice.below(4)];
                               note(QStringLiteral("f_switch: click ") + port->objectName());
                               clickCheckBox(port);
                           }});
        options.push_back({3, [this, ports] {
                               QRadioButton* port = ports[m_dice.below(4)];
                               note(QStringLiteral("f_switch: double-click ") + port->objectName());
                               doubleClick(port, QPoint(7, port->height() / 2));
                           }});
        options.push_back({3, [this, choices] {
                               QRadioButton* choice = choices[m_dice.below(5)];
                               note(QStringLiteral("f_switch: click ") + choice->objectName());
                               clickCheckBox(choice);
                           }});
        options.push_back({1, [this, d] {
                               note(QStringLiteral("f_switch: click table_ports"));
                               QTest::mouseDClick(
                                   d->table_ports->viewport(), Qt::LeftButton, {},
                                   cellCentre(d->table_ports, m_dice.below(10), m_dice.below(3)));
                           }});
        options.push_back({4, [this, d] { clickSwitchPicture(d); }});
        // The right steps 1) and 2), then the picture.
        const int source = g.CurrentExercise.source;
        options.push_back(
            {Hint, [this, d, ports, source] {
                 const kw::SwitchRow& entry = d->switchTable().entryRow();
                 const std::string port = std::to_string(kw::SwitchPortOf(source));
                 QRadioButton* choice =
                     forwardButton(d, kw::LookUpDestination(d->switchTable(), d->frameRow()));
                 if (entry.address != macOf(source).toStdString() || entry.port != port) {
                     note(QStringLiteral("f_switch: right entry"));
                     QTest::mouseClick(d->trame->viewport(), Qt::LeftButton, {},
                                       cellCentre(d->trame, 0, 1));
                     QRadioButton* button = ports[kw::SwitchPortOf(source) - 1];
                     doubleClick(button, QPoint(7, button->height() / 2));
                 } else if (!choice->isChecked()) {
                     note(QStringLiteral("f_switch: right choice ") + choice->objectName());
                     clickCheckBox(choice);
                 } else {
                     clickSwitchPicture(d);
                 }
             }});
        choose(m_dice, options);
    }

    void clickSwitchPicture(Tf_switch* d)
    {
        note(QStringLiteral("f_switch: click image_switch"));
        QTest::mouseClick(d->image_switch, Qt::LeftButton, {},
                          QPoint(m_dice.below(d->image_switch->width()),
                                 m_dice.below(d->image_switch->height())));
    }

    // The LEDs a right answer lights, from the table as the switch dialog holds it.
    std::set<int> expectedSwitchLeds() const
    {
        const kw::SharedState& g = kw::test::state();
        const Tf_switch* d = windows().f_switch;
        const int in = kw::SwitchPortOf(g.CurrentExercise.source);
        std::set<int> leds{2 * in};
        const std::string lookup = kw::LookUpDestination(d->switchTable(), d->frameRow());
        if (lookup == kw::UnknownPortText) {
            for (int p = 1; p <= 4; ++p)
                if (p != in)
                    leds.insert(2 * p - 1);
        } else if (std::atoi(lookup.c_str()) != in) {
            leds.insert(2 * std::atoi(lookup.c_str()) - 1);
        }
        return leds;
    }

    void switchLedAction(Tf_switch_gros* d)
    {
        auto options = commonOptions(d);
        options.push_back({5, [this, d] {
                               const int led = m_dice.between(1, 8);
                               note(QStringLiteral("f_switch_gros: LED %1").arg(led));
                               QTest::mouseClick(d->Image1, Qt::LeftButton, {},
                                                 QPoint(LedX[led], LedY));
                           }});
        options.push_back(
            {1, [this, d] {
                 const QPoint p(m_dice.below(d->Image1->width()),
                                m_dice.below(d->Image1->height()));
                 note(QStringLiteral("f_switch_gros: picture (%1,%2)").arg(p.x()).arg(p.y()));
                 QTest::mouseClick(d->Image1, Qt::LeftButton, {}, p);
             }});
        options.push_back({3, [this, d] { clickButton(d, d->BitBtn1); }});
        options.push_back({Hint, [this, d] {
                               const std::set<int> expected = expectedSwitchLeds();
                               const kw::LedRow& lit = kw::test::state().LedState[3];
                               for (int k = 1; k <= kw::LedCount; ++k)
                                   if (lit[std::size_t(k)] != (expected.count(k) > 0)) {
                                       note(QStringLiteral("f_switch_gros: right LED %1").arg(k));
                                       QTest::mouseClick(d->Image1, Qt::LeftButton, {},
                                                         QPoint(LedX[k], LedY));
                                       return;
                                   }
                               clickButton(d, d->BitBtn1);
                           }});
        choose(m_dice, options);
    }

    void aboutAction(Tapropos* d)
    {
        auto options = commonOptions(d);
        options.push_back({4, [this, d] { clickButton(d, d->OKButton); }});
        choose(m_dice, options);
    }

    Program& m_program;
    Dice m_dice;
    quint64 m_seed;
    QString m_row;
    int m_budget = 0;
    int m_count = 0;
    int m_traceFrom = -1;
    QString m_action;
    std::deque<QString> m_recent;
    std::optional<Failure> m_failure;

    int m_lastFlow = 0;
    int m_topFlow = 0;  // FlowState after the last action at the top
    int m_hubMoves = 0; // hubs passed in this exercise
    int m_expectedErrors = 0;
    int m_exercise = 0;
    bool m_committed = false;
    bool m_closeAsked = false;

    std::set<int> m_framesDone; // exercises whose end-of-frame check passed
    int m_seriesEndedAt = -1;
    int m_commits = 0;
    int m_plays = 0;
    int m_countedBoxes = 0;
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

    // Each row imposes its first exercise, so that a seed replays the whole run (the
    // program draws the first exercise before the test can seed its generator).
    QTest::newRow("manual_hubs") << QByteArray("[parametres]\r\nquestions=.\r\nfreq_multi=2\r\n")
                                 << QByteArray("1 5\r\n") << quint64(20240601) << 20000 << false;
    QTest::newRow("hub_auto_2") << QByteArray("[parametres]\r\nquestions=.\r\nhub_auto=2\r\n"
                                              "ttl_max=60\r\nentrees_initiales=\r\n")
                                << QByteArray("7 5\r\n") << quint64(7) << 20000 << false;
    QTest::newRow("full_table") << QByteArray("[parametres]\r\nquestions=.\r\n"
                                              "entrees_initiales=12345678\r\nttl_max=40\r\n"
                                              "freq_multi=3\r\nhub_auto=1\r\n")
                                << QByteArray("8 9\r\n") << quint64(99) << 20000 << false;
    QTest::newRow("repeated_digits") << QByteArray("[parametres]\r\nquestions=.\r\n"
                                                   "entrees_initiales=1134\r\nttl_max=30\r\n")
                                     << QByteArray("2 1\r\n") << quint64(31337) << 10000 << false;
    // An imposed series with FIN: it ends, and the monkey goes on afterwards.
    QFile exampleIni(kw::test::examplesFolder(QStringLiteral("serie_imposee")) +
                     QStringLiteral("/kw_switch.INI"));
    QVERIFY(exampleIni.open(QIODevice::ReadOnly));
    QTest::newRow("imposed_series")
        << exampleIni.readAll() << seriesFile() << quint64(4242) << 10000 << true;

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
    {
        Program program(ini, exercises.isEmpty() ? nullptr : exercises.constData());
        QVERIFY(program.started());
        const QString folder = QFileInfo(program.folder()).canonicalFilePath();
        straceMarker(QStringLiteral("begin") + folder);
        // The program seeds its generator from the clock; the seed makes a run replayable.
        kw::SeedRandom(static_cast<std::uint32_t>(seed));

        Monkey monkey(program, seed, row);
        const bool passed = monkey.run(actions);
        straceMarker(QStringLiteral("end"));

        QStringList flows;
        for (int flow : monkey.seenFlows())
            flows << QString::number(flow);
        qInfo().noquote() << QStringLiteral(
                                 "%1: seed %2, %3 actions in %4 ms, %5 modal dialogs, "
                                 "%6 exercises, %7 frames finished, %8 switch steps, "
                                 "%9 counted errors, FlowState seen %10, series ended at %11")
                                 .arg(row)
                                 .arg(seed)
                                 .arg(monkey.actions())
                                 .arg(timer.elapsed())
                                 .arg(monkey.modalPlays())
                                 .arg(monkey.exercises())
                                 .arg(monkey.framesDone())
                                 .arg(monkey.commits())
                                 .arg(monkey.countedBoxes())
                                 .arg(flows.join(u','))
                                 .arg(monkey.seriesEndedAt());
        if (!passed)
            QFAIL(qPrintable(monkey.failureText()));

        // The monkey must get deep enough for its checks to mean something.
        if (!replay) {
            QVERIFY2(monkey.framesDone() >= 5, "too few frames finished");
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
