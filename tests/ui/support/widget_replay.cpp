#include "widget_replay.h"

#include "app/front_end.h"
#include "app/windows.h"
#include "clock.h"
#include "diagram.h"
#include "game.h"
#include "hubs.h"
#include "hubs/u_hub.h"
#include "hubs/u_hub2.h"
#include "kit/seam.h"
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
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kw::test {

using namespace kw::scenario;

namespace {

using kw::ui::windows;

QWidget* widgetOf(kw::Window window)
{
    const kw::ui::Windows& w = windows();
    switch (window) {
    case kw::Window::Principale:
        return w.Principale;
    case kw::Window::Source:
        return w.f_source;
    case kw::Window::Avance:
        return w.f_avance;
    case kw::Window::Hub1:
        return w.f_hub1;
    case kw::Window::AdressesMAC:
        return w.AdressesMAC;
    case kw::Window::Destination:
        return w.f_destination;
    case kw::Window::Hub2:
        return w.f_hub2;
    case kw::Window::APropos:
        return w.apropos;
    case kw::Window::Switch:
        return w.f_switch;
    case kw::Window::SwitchGros:
        return w.f_switch_gros;
    }
    return nullptr;
}

QCheckBox* progressBox(kw::Tick tick)
{
    Tf_avance* a = windows().f_avance;
    QCheckBox* const boxes[] = {a->emetteur,  a->Hub1,  a->Hub2,  a->switch_, a->destinataire,
                                a->_emetteur, a->_hub1, a->_hub2, a->_switch, a->_destinataire};
    return boxes[static_cast<int>(tick)];
}

kw::ui::ImageView* ledPicture(kw::Window window)
{
    const kw::ui::Windows& w = windows();
    if (window == kw::Window::Hub1)
        return w.f_hub1->Image1;
    if (window == kw::Window::Hub2)
        return w.f_hub2->Image1;
    return w.f_switch_gros->Image1;
}

// Where LED k shows its colour in its picture, and the colour it shows lit: on a hub the odd
// LEDs receive (green), on the switch they emit (red).
QPoint ledCentre(kw::Window window, int k)
{
    if (window == kw::Window::SwitchGros) {
        const kw::SwitchLedRect square = kw::SwitchLedSquare(k);
        return {square.left + square.width / 2, square.top + square.height / 2};
    }
    const kw::LedBox box = kw::LedRect(k);
    return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

kw::Rgb litColour(kw::Window window, int k)
{
    const bool odd = k % 2 == 1;
    if (window == kw::Window::SwitchGros)
        return odd ? kw::colour::Red : kw::colour::Green;
    return odd ? kw::colour::Green : kw::colour::Red;
}

bool shows(QRgb pixel, kw::Rgb colour)
{
    return qRed(pixel) == colour.r && qGreen(pixel) == colour.g && qBlue(pixel) == colour.b;
}

QString pixelName(QRgb pixel)
{
    return QColor(pixel).name();
}

// Pixels two cable lines share show whichever was drawn last: they prove nothing.
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

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

// The panel whose state makes a window's work controls editable or read-only.
std::vector<QWidget*> workPanels(kw::Window window)
{
    const kw::ui::Windows& w = windows();
    switch (window) {
    case kw::Window::Source:
        return {w.f_source->Panel};
    case kw::Window::Destination:
        return {w.f_destination->Panel};
    case kw::Window::Hub1:
        return {w.f_hub1->Panel};
    case kw::Window::Hub2:
        return {w.f_hub2->Panel};
    case kw::Window::SwitchGros:
        return {w.f_switch_gros->Panel1};
    case kw::Window::Switch:
        return {w.f_switch->Panel, w.f_switch->dest_via};
    default:
        return {};
    }
}

// Warnings of QTest's that say nothing here: a click on a disabled control is one of the
// student's gestures.
QtMessageHandler previousHandler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && (message.contains(QLatin1String("not accepted by receiving")) ||
                                 message.startsWith(QLatin1String("This plugin does not support"))))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

// The windows that were made active since it was last cleared. The offscreen platform makes
// every window it shows active, a minimised one too, which no desktop does: the scenarios
// start as on a desktop, the reference windows minimised and not activated.
class ActivationWatch : public QObject {
public:
    std::set<QWidget*> activated;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::WindowActivate && type != QEvent::ActivationChange)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !widget->window()->isMinimized()) {
            if (widget && widget->isWindow() && type == QEvent::WindowActivate)
                activated.insert(widget);
            return false;
        }
        return true;
    }
};

} // namespace

class ScenarioProgram::Replayer {
public:
    Replayer(const Scenario& scenario, Ways ways)
        : m_scenario(scenario), m_steps(m_scenario.steps), m_hands(ways),
          m_now(kw::daysFromLocal(2000, 2, 1, 8, 0, 0, 0))
    {
        m_script.onBox = [this](const kw::seam::BoxRecord& box) { return onBox(box); };
        m_script.onModal = [this](QDialog* dialog) { onModal(dialog); };
    }

    ~Replayer()
    {
        if (programUp())
            kw::ui::destroyWindows();
        kw::ui::setGameOptions({});
        if (!m_previousFolder.isEmpty())
            QDir::setCurrent(m_previousFolder);
    }

    WidgetReplayResult run()
    {
        writeSeries(m_scenario, m_folder.path().toStdString());
        m_previousFolder = QDir::currentPath();
        QDir::setCurrent(m_folder.path());
        m_folderText = QDir::currentPath();
        kw::ui::setGameOptions(kw::GameOptions{[this] { return m_now; }, m_scenario.seed});
        kw::seam::Script* previousScript = kw::seam::script();
        kw::seam::setScript(&m_script);
        qApp->installEventFilter(&m_watch);
        previousHandler = qInstallMessageHandler(quietHandler);

        m_next = 1;
        m_pending = 0;
        m_started = kw::ui::createWindows();
        ++m_result.acts;
        checkPending();
        play(nullptr);

        qInstallMessageHandler(previousHandler);
        qApp->removeEventFilter(&m_watch);
        kw::seam::setScript(previousScript);
        return m_result;
    }

private:
    bool failed() const { return !m_result.failures.isEmpty(); }
    bool programUp() const { return m_started && windows().Principale; }

    // ---- Whose turn: the steps played in order, from wherever the program has got to ----

    // The next acts, until none is left or `dialog` (when given) has closed.
    void play(QDialog* dialog)
    {
        while (!failed() && m_next < m_steps.size()) {
            if (dialog && !dialog->isVisible())
                return;
            begin();
            perform(*m_steps[*m_pending].act);
            if (m_pending)
                checkPending();
        }
    }

    void begin()
    {
        m_pending = m_next++;
        m_boxes.clear();
        m_watch.activated.clear();
    }

    void onModal(QDialog* dialog)
    {
        m_modal.push_back(dialog);
        // The act that opened it is done: what it shows now is what follows that act.
        if (m_pending)
            checkPending();
        play(dialog);
        m_modal.pop_back();
    }

    bool onBox(const kw::seam::BoxRecord& box)
    {
        // After the last step, or once a step failed: OK, and no end of the program.
        if (!m_pending)
            return box.kind != kw::BoxKind::Confirmation;
        m_boxes.push_back(box);
        if (box.kind != kw::BoxKind::Confirmation)
            return true;
        // The question stays up until the scenario answers it; the acts before are made
        // meanwhile. The answer's step is checked once its gesture has gone through.
        checkPending();
        while (!failed() && m_next < m_steps.size()) {
            begin();
            const Act& act = *m_steps[*m_pending].act;
            if (act.kind == Act::Kind::Answer)
                return act.on;
            perform(act);
            if (m_pending)
                checkPending();
        }
        return false;
    }

    // ---- The gestures ----

    void perform(const Act& act)
    {
        using K = Act::Kind;
        ++m_result.acts;
        if (act.kind == K::Wait) {
            m_now += act.seconds / 86400.0;
            return;
        }
        // A program that did not start, or has ended, has no window to act on.
        if (!programUp())
            return;
        const kw::ui::Windows& w = windows();
        switch (act.kind) {
        case K::Click:
            m_hands.clickDiagram(
                act.x, act.y, act.element == "switch" ? QStringLiteral("Switch") : q(act.element));
            break;
        case K::Copy:
            m_hands.copy(w.f_source, act.row, act.column);
            break;
        case K::Tick:
            m_hands.setTicked(act.copier ? w.f_destination->copier.get() : progressBox(act.tick),
                              act.on);
            break;
        case K::Led:
            for (int k : act.leds) {
                const auto [x, y] = ledPoint(k);
                m_hands.clickLed(ledPicture(act.window), k, QPoint(x, y));
            }
            break;
        case K::LedAt:
            m_hands.clickLed(ledPicture(act.window), 0, QPoint(act.x, act.y));
            break;
        case K::Done:
            m_hands.press(doneButton(act.window));
            break;
        case K::Learn:
            m_hands.selectCell(w.f_switch, act.column);
            m_hands.doubleClickPort(w.f_switch, act.port);
            break;
        case K::Select:
            m_hands.selectCell(w.f_switch, act.column);
            break;
        case K::Entry:
            m_hands.doubleClickCell(w.f_switch, act.column);
            break;
        case K::EntryPort:
            m_hands.doubleClickPort(w.f_switch, act.port);
            break;
        case K::Port:
            m_hands.clickPort(w.f_switch, act.port);
            break;
        case K::Via: {
            Tf_switch* d = w.f_switch;
            QRadioButton* const choices[] = {nullptr, d->b_d1, d->b_d2,
                                             d->b_d3, d->b_d4, d->b_dinconnu};
            m_hands.chooseRadio(choices[static_cast<int>(act.choice)]);
            break;
        }
        case K::Emit:
            m_hands.clickSwitchPicture(w.f_switch);
            break;
        case K::Fin:
            m_hands.press(w.f_avance->fin_traitement);
            break;
        case K::MenuItem: {
            TPrincipale* p = w.Principale;
            if (act.menu == Menu::Nouveau)
                m_hands.menu(p->Nouveau, Qt::Key_N);
            else if (act.menu == Menu::APropos)
                m_hands.menu(p->APropos1, Qt::Key_A);
            else
                m_hands.menu(p->Quitter1, Qt::Key_Q);
            break;
        }
        case K::Answer:
            break; // no question is up
        case K::Close:
            m_hands.close(widgetOf(act.window));
            break;
        case K::Activate:
            m_hands.activate(widgetOf(act.window));
            break;
        case K::Wait:
            break;
        }
        if (!m_hands.failure.isEmpty()) {
            m_result.failures << QStringLiteral("%1:%2: %3: %4")
                                     .arg(q(m_scenario.file))
                                     .arg(act.line)
                                     .arg(q(act.source), m_hands.failure);
            m_hands.failure.clear();
        }
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

    // ---- The checks ----

    void fail(int line, const QString& expectation, const QString& shown)
    {
        QString text = q(m_scenario.file) + QLatin1Char(':') + QString::number(line) +
                       QStringLiteral(": ") + expectation + QStringLiteral(": ") + shown;
        if (m_checking && m_checking->act)
            text += QStringLiteral(" (after `%1` at line %2)")
                        .arg(q(m_checking->act->source))
                        .arg(m_checking->act->line);
        else
            text += QStringLiteral(" (after the start)");
        m_result.failures << text;
    }

    void checkPending()
    {
        const Step& step = m_steps[*m_pending];
        m_pending.reset();
        // Activations and the rest the window system sends.
        QCoreApplication::processEvents();
        m_checking = &step;
        checkBoxes(step);
        for (const Expectation& e : step.expectations)
            check(e);
        m_checking = nullptr;
    }

    void checkBoxes(const Step& step)
    {
        const std::size_t common = std::min(m_boxes.size(), step.boxes.size());
        const auto named = [](kw::BoxKind kind, const QString& text) {
            return kw::seam::captionOf(kind) + QLatin1Char(' ') + q(escaped(text.toStdString()));
        };
        for (std::size_t i = 0; i < common; ++i) {
            const ExpectedBox& want = step.boxes[i];
            const kw::seam::BoxRecord& shown = m_boxes[i];
            const QString text = q(withFolder(want.text, m_folderText.toStdString()));
            if (shown.kind != want.kind || shown.caption != kw::seam::captionOf(want.kind) ||
                shown.text != text)
                fail(want.line, QStringLiteral("box ") + named(want.kind, q(want.text)),
                     QStringLiteral("the box shown is ") + shown.caption + QLatin1Char(' ') +
                         q(escaped(shown.text.toStdString())));
        }
        for (std::size_t i = common; i < step.boxes.size(); ++i)
            fail(step.boxes[i].line,
                 QStringLiteral("box ") + named(step.boxes[i].kind, q(step.boxes[i].text)),
                 QStringLiteral("no such box is shown"));
        const int line = step.act ? step.act->line : 0;
        for (std::size_t i = common; i < m_boxes.size(); ++i)
            fail(line, QStringLiteral("(no box expected)"),
                 QStringLiteral("a box is shown: ") + named(m_boxes[i].kind, m_boxes[i].text));
    }

    QString showingOf(kw::Window window) const
    {
        QWidget* widget = widgetOf(window);
        if (!widget || !widget->isVisible())
            return QStringLiteral("closed");
        const bool modal = std::find(m_modal.begin(), m_modal.end(), widget) != m_modal.end();
        return modal ? QStringLiteral("modal") : QStringLiteral("modeless");
    }

    void check(const Expectation& e)
    {
        using K = Expectation::Kind;
        auto expect = [&](bool holds, const QString& shown) {
            if (!holds)
                fail(e.line, q(e.source), shown);
        };
        if (e.kind == K::Program) {
            const ProgramState state = !m_started                          ? ProgramState::Refused
                                       : windows().Principale->isVisible() ? ProgramState::Running
                                                                           : ProgramState::Ended;
            const char* names[] = {"running", "refused to start", "ended"};
            expect(state == e.program,
                   QStringLiteral("the program ") + QLatin1String(names[static_cast<int>(state)]));
            return;
        }
        if (!programUp()) {
            expect(false, QStringLiteral("the program has no windows"));
            return;
        }
        const kw::ui::Windows& w = windows();
        switch (e.kind) {
        case K::Errors: {
            const QString label = w.f_avance->label_erreurs->text();
            const QString prefix = QString::fromUtf8(kw::msg::ErrorTotalPrefix);
            expect(label == prefix + QString::number(e.number) ||
                       (e.number == 0 && label == prefix),
                   QStringLiteral("the label reads \"%1\"").arg(label));
            break;
        }
        case K::Ticks: {
            QString ticked;
            bool same = true;
            for (int t = 0; t < kw::TickCount; ++t) {
                const bool on = progressBox(static_cast<kw::Tick>(t))->isChecked();
                same = same && on == e.ticks[static_cast<std::size_t>(t)];
                if (on)
                    ticked += QLatin1Char(' ') + QLatin1String(tickName(static_cast<kw::Tick>(t)));
            }
            expect(same, QStringLiteral("ticked:") +
                             (ticked.isEmpty() ? QStringLiteral(" none") : ticked));
            break;
        }
        case K::Cables: {
            const QImage& canvas = w.Principale->Image1->canvas();
            QString wrong;
            for (int cable = 1; cable <= kw::CableCount; ++cable)
                for (int line = 0; line < 2; ++line) {
                    const kw::Rgb want = e.cables[static_cast<std::size_t>(cable)][line];
                    for (const kw::Pixel& p : kw::CableLinePixels(
                             cable, line == 0 ? kw::CableLine::First : kw::CableLine::Second)) {
                        if (linePixelUse().at({p.x, p.y}) > 1 ||
                            shows(canvas.pixel(p.x, p.y), want))
                            continue;
                        wrong +=
                            QStringLiteral(" cable %1 %2 line: pixel (%3,%4) is %5;")
                                .arg(cable)
                                .arg(line == 0 ? QStringLiteral("first") : QStringLiteral("second"))
                                .arg(p.x)
                                .arg(p.y)
                                .arg(pixelName(canvas.pixel(p.x, p.y)));
                        break;
                    }
                }
            expect(wrong.isEmpty(), wrong);
            break;
        }
        case K::Flow: {
            const int flow = kw::ui::game().state().FlowState;
            expect(flow == e.number, QStringLiteral("FlowState is %1").arg(flow));
            break;
        }
        case K::Windows: {
            std::array<std::optional<QString>, kw::WindowCount> want{};
            for (kw::Window d :
                 {kw::Window::Source, kw::Window::Hub1, kw::Window::Destination, kw::Window::Hub2,
                  kw::Window::APropos, kw::Window::Switch, kw::Window::SwitchGros})
                want[static_cast<std::size_t>(d)] = QStringLiteral("closed");
            for (const auto& [d, how] : e.windows)
                want[static_cast<std::size_t>(d)] = how == kw::Showing::Modal
                                                        ? QStringLiteral("modal")
                                                        : QStringLiteral("modeless");
            QString wrong;
            for (int d = 0; d < kw::WindowCount; ++d) {
                const QString shown = showingOf(static_cast<kw::Window>(d));
                if (want[static_cast<std::size_t>(d)] &&
                    shown != *want[static_cast<std::size_t>(d)])
                    wrong += QLatin1Char(' ') +
                             QLatin1String(windowKey(static_cast<kw::Window>(d))) +
                             QStringLiteral(" is ") + shown + QLatin1Char(';');
            }
            expect(wrong.isEmpty(), wrong);
            break;
        }
        case K::Exercise:
            expect(w.Principale->Edit1->text() == q(e.first) &&
                       w.Principale->Edit2->text() == q(e.second),
                   QStringLiteral("the main window shows %1 -> %2")
                       .arg(w.Principale->Edit1->text(), w.Principale->Edit2->text()));
            break;
        case K::Numero:
            expect(w.f_avance->numero_exo->text() == q(e.first),
                   QStringLiteral("the caption is \"%1\"").arg(w.f_avance->numero_exo->text()));
            break;
        case K::Result: {
            const QLabel* result = w.Principale->resultat;
            const bool shown = !result->isHidden();
            if (e.none)
                expect(!shown, QStringLiteral("shown: \"%1\"").arg(result->text()));
            else
                expect(shown && result->text() == q(e.first),
                       shown ? QStringLiteral("shown: \"%1\"").arg(result->text())
                             : QStringLiteral("not shown"));
            break;
        }
        case K::Enabled:
        case K::Disabled:
            for (Item item : e.items) {
                const bool enabled = item == Item::Nouveau
                                         ? w.Principale->Nouveau->isEnabled()
                                         : w.f_avance->fin_traitement->isEnabled();
                expect(
                    enabled == (e.kind == K::Enabled),
                    QLatin1String(item == Item::Nouveau ? "nouveau" : "fin") +
                        (enabled ? QStringLiteral(" is enabled") : QStringLiteral(" is disabled")));
            }
            break;
        case K::Cells: {
            const QTableWidget* grid = nullptr;
            bool shown = true;
            switch (e.window) {
            case kw::Window::Source:
                grid = w.f_source->trame;
                break;
            case kw::Window::Destination:
                grid = w.f_destination->trame;
                break;
            case kw::Window::Switch:
                grid = w.f_switch->trame;
                break;
            default:
                grid = w.Principale->trame_gauche.ifBuilt();
                shown = grid && !grid->isHidden();
                break;
            }
            if (e.none) {
                expect(!shown, QStringLiteral("the frame is shown"));
                break;
            }
            const QString a = shown ? kw::ui::cell(grid, 0, 0) : QString();
            const QString b = shown ? kw::ui::cell(grid, 1, 0) : QString();
            expect(shown && a == q(e.first) && b == q(e.second),
                   shown ? QStringLiteral("the cells are \"%1\" \"%2\"").arg(a, b)
                         : QStringLiteral("no frame is shown"));
            break;
        }
        case K::Table: {
            const QTableWidget* table = w.f_switch->table_ports;
            const QString address = kw::ui::cell(table, 0, e.number);
            const QString ttl = kw::ui::cell(table, 1, e.number);
            const QString port = kw::ui::cell(table, 2, e.number);
            expect(address == q(e.row.address) && port == q(e.row.port) &&
                       (e.anyTtl ? !ttl.isEmpty() : ttl == q(e.row.ttl)),
                   QStringLiteral("the row is \"%1\" \"%2\" \"%3\"").arg(address, ttl, port));
            break;
        }
        case K::Lit: {
            const QImage& canvas = ledPicture(e.window)->canvas();
            QString wrong;
            for (int k = 1; k <= kw::LedCount; ++k) {
                const bool want = std::find(e.leds.begin(), e.leds.end(), k) != e.leds.end();
                const QRgb pixel = canvas.pixel(ledCentre(e.window, k));
                if (shows(pixel, litColour(e.window, k)) != want)
                    wrong += QStringLiteral(" LED %1 shows %2;").arg(k).arg(pixelName(pixel));
            }
            expect(wrong.isEmpty(), wrong);
            break;
        }
        case K::Readonly:
        case K::Editable:
            for (kw::Window d : e.windowList) {
                const std::vector<QWidget*> panels = workPanels(d);
                const bool enabled = std::all_of(panels.begin(), panels.end(),
                                                 [](QWidget* p) { return p->isEnabled(); });
                const bool disabled = std::none_of(panels.begin(), panels.end(),
                                                   [](QWidget* p) { return p->isEnabled(); });
                expect(e.kind == K::Editable ? enabled : disabled,
                       QLatin1String(windowKey(d)) + (enabled ? QStringLiteral(" is editable")
                                                      : disabled
                                                          ? QStringLiteral(" is read-only")
                                                          : QStringLiteral(" is half editable")));
            }
            break;
        case K::Copier: {
            const bool ticked = w.f_destination->copier->isChecked();
            expect(ticked == e.on, ticked ? QStringLiteral("the box is ticked")
                                          : QStringLiteral("the box is clear"));
            break;
        }
        case K::Raised: {
            QWidget* window = widgetOf(e.window);
            const bool raised = m_watch.activated.count(window) > 0 && window->isVisible() &&
                                !window->isMinimized() && QApplication::activeWindow() == window;
            expect(raised, QStringLiteral("the window was not brought to the front"));
            break;
        }
        case K::Program:
            break;
        }
    }

    const Scenario m_scenario;
    const std::vector<Step>& m_steps;
    Gestures m_hands;
    double m_now;
    QTemporaryDir m_folder;
    QString m_folderText;
    QString m_previousFolder;
    kw::seam::Script m_script;
    ActivationWatch m_watch;
    bool m_started = false;
    // The next step to play, and the one whose act is under way and not checked yet.
    std::size_t m_next = 0;
    std::optional<std::size_t> m_pending;
    const Step* m_checking = nullptr;
    // The boxes the act under way has shown, and the dialogs run for work, innermost last.
    std::vector<kw::seam::BoxRecord> m_boxes;
    std::vector<QDialog*> m_modal;
    WidgetReplayResult m_result;
};

ScenarioProgram::ScenarioProgram(const Scenario& scenario, Ways ways)
    : m_replayer(std::make_unique<Replayer>(scenario, ways))
{
}

ScenarioProgram::~ScenarioProgram() = default;

WidgetReplayResult ScenarioProgram::replay()
{
    return m_replayer->run();
}

WidgetReplayResult replayThroughWindows(const Scenario& scenario, Ways ways)
{
    return ScenarioProgram(scenario, ways).replay();
}

Scenario scenarioNamed(const QString& name)
{
    return load(std::string(KW_SCENARIOS) + "/" + name.toStdString() + ".scenario");
}

} // namespace kw::test
