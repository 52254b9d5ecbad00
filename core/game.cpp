#include "game.h"

#include "clock.h"
#include "flow.h"
#include "hubs.h"
#include "random.h"
#include "series.h"
#include "stations.h"
#include "switchleds.h"

#include <string>
#include <utility>

namespace kw {

namespace {

bool isStation(int index)
{
    return index >= 1 && index <= StationCount;
}

bool isHubWindow(Window window)
{
    return window == Window::Hub1 || window == Window::Hub2;
}

int hubOf(Window window)
{
    return window == Window::Hub1 ? 1 : 2;
}

Window hubWindow(int hub)
{
    return hub == 1 ? Window::Hub1 : Window::Hub2;
}

LedPicture hubPicture(int hub)
{
    return hub == 1 ? LedPicture::Hub1 : LedPicture::Hub2;
}

Tick treatedTick(int hub)
{
    return hub == 1 ? Tick::_hub1 : Tick::_hub2;
}

template <typename Flags> bool copied(const Flags& flags, int station)
{
    return isStation(station) && flags[station];
}

} // namespace

Effect Effect::makeBox(BoxKind box, std::string text, std::uint16_t errorTotal, bool awaits)
{
    Effect e;
    e.kind = Kind::Box;
    e.box = box;
    e.text = std::move(text);
    e.errorTotal = errorTotal;
    e.awaitsAnswer = awaits;
    return e;
}

Effect Effect::makeOpen(Window window, Showing showing)
{
    Effect e;
    e.kind = Kind::Open;
    e.window = window;
    e.showing = showing;
    return e;
}

Effect Effect::makeClose(Window window)
{
    Effect e;
    e.kind = Kind::Close;
    e.window = window;
    return e;
}

Effect Effect::makeMove(Window window, int left, int top)
{
    Effect e;
    e.kind = Kind::Move;
    e.window = window;
    e.left = left;
    e.top = top;
    return e;
}

Effect Effect::makeLine(int cable, CableLine line, Rgb colour)
{
    Effect e;
    e.kind = Kind::Line;
    e.number = cable;
    e.line = line;
    e.colour = colour;
    return e;
}

Effect Effect::makeLed(LedPicture picture, int led, Rgb colour)
{
    Effect e;
    e.kind = Kind::Led;
    e.picture = picture;
    e.number = led;
    e.colour = colour;
    return e;
}

Effect Effect::makeBringToFront(Window window)
{
    Effect e;
    e.kind = Kind::BringToFront;
    e.window = window;
    return e;
}

Effect Effect::makeQuit(int status)
{
    Effect e;
    e.kind = Kind::Quit;
    e.status = status;
    return e;
}

const char* BoxCaption(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Warning:
        return "Avertissement";
    case BoxKind::Error:
        return "Erreur";
    case BoxKind::Information:
        return "Information";
    case BoxKind::Confirmation:
        return "Confirmation";
    }
    return "";
}

Game::Game(GameOptions options) : m_options(std::move(options))
{
    if (!m_options.now)
        m_options.now = [] { return NowDays(); };
}

std::optional<Window> Game::modalWindow() const
{
    if (m_modals.empty())
        return std::nullopt;
    return m_modals.back().window;
}

// ---- Start-up ----

Effects Game::start(const std::string& currentFolder, const std::optional<std::string>& argument)
{
    Effects out;
    if (m_started || m_ended)
        return out;
    const StartFolderChoice folder = ChooseStartFolder(currentFolder, argument);
    if (!folder.error.empty()) {
        box(out, BoxKind::Error, folder.error);
        return out;
    }
    const StartupOutcome outcome = StartUp(m_state, folder.folder);
    for (const std::string& message : outcome.errorBoxes)
        box(out, BoxKind::Error, message);
    if (!outcome.ok)
        return out;
    if (m_options.seed)
        SeedRandom(*m_options.seed);

    m_started = true;
    showing(Window::Principale) = Showing::Modeless;
    drawCables(out);
    newExercise(out);

    // What the other windows set up when they are created, in the program's order: the
    // switch's table comes last and reseeds the generator, after the first exercise was drawn.
    showing(Window::Avance) = Showing::Modeless;
    showing(Window::AdressesMAC) = Showing::Modeless;
    const auto mac = [this](int station) {
        return isStation(station) ? m_state.StationTable[station].mac : std::string();
    };
    m_view.switch_.table = InitSwitchTable(m_state.InitialEntries, m_state.TtlMaxText, mac);
    return out;
}

// ---- Where acts may go ----

bool Game::accepts(Window window) const
{
    if (!m_started || m_ended || m_question != Question::None)
        return false;
    if (!m_modals.empty())
        return m_modals.back().window == window;
    return m_view.of(window) != Showing::Hidden;
}

// ---- Boxes ----

void Game::box(Effects& out, BoxKind kind, const std::string& message, bool awaits)
{
    out.push_back(Effect::makeBox(kind, message, m_state.ErrorTotal, awaits));
}

void Game::reportError(Effects& out, const std::string& message)
{
    countError(m_state);
    m_view.avance.errorsCaption = msg::ErrorTotalPrefix + std::to_string(m_state.ErrorTotal);
    box(out, BoxKind::Warning, message);
}

// ---- Windows ----

void Game::openModal(Effects& out, ModalWindow modal)
{
    // A modal opening always starts from a closed window, so that its activation runs.
    closeIfShown(out, modal.window);
    showing(modal.window) = Showing::Modal;
    m_modals.push_back(std::move(modal));
    runActivation(out, m_modals.back().window);
    out.push_back(Effect::makeOpen(m_modals.back().window, Showing::Modal));
}

void Game::openModeless(Effects& out, Window window)
{
    // Shown anew, or already up: its activation runs again and it comes to the front.
    showing(window) = Showing::Modeless;
    runActivation(out, window);
    out.push_back(Effect::makeOpen(window, Showing::Modeless));
}

void Game::closeIfShown(Effects& out, Window window)
{
    if (m_view.of(window) == Showing::Hidden)
        return;
    showing(window) = Showing::Hidden;
    out.push_back(Effect::makeClose(window));
}

void Game::closeModal(Effects& out, bool success)
{
    const ModalWindow modal = m_modals.back();
    m_modals.pop_back();
    showing(modal.window) = Showing::Hidden;
    out.push_back(Effect::makeClose(modal.window));
    afterModal(out, modal, success);
}

void Game::runActivation(Effects& out, Window window)
{
    const int source = m_state.CurrentExercise.source;
    const int destination = m_state.CurrentExercise.destination;
    const auto macOf = [this](int index) {
        return index >= 0 && index <= BroadcastIndex ? m_state.StationTable[index].mac
                                                     : std::string();
    };
    const auto nameOf = [this](int index) {
        return index >= 0 && index <= BroadcastIndex ? m_state.StationTable[index].name
                                                     : std::string();
    };
    switch (window) {
    case Window::Source: {
        SendingView& v = m_view.source;
        if (!SendingDialogEditable(m_state.FlowState)) {
            // Review: the frame is shown as it was emitted.
            v.panelEnabled = false;
            break;
        }
        v.panelEnabled = true;
        out.push_back(Effect::makeMove(Window::Source, m_state.DialogAnchorLeft + 100,
                                       m_state.DialogAnchorTop + 100));
        v.name = nameOf(source);
        v.frame[1].clear();
        v.frame[0].clear();
        break;
    }
    case Window::Destination: {
        ReceivingView& v = m_view.destination;
        // The station the dialog was opened for: a later click on the diagram (the sender's
        // review, a station that shows nothing) must not turn a review into another's work.
        const int clicked = m_receivingStation;
        const bool editable = ReceivingDialogEditable(m_state.FlowState, destination,
                                                      copied(m_state.BroadcastCopied, clicked));
        v.panelEnabled = editable;
        v.doneShown = editable;
        out.push_back(Effect::makeMove(Window::Destination, m_state.DialogAnchorLeft + 100,
                                       m_state.DialogAnchorTop + 100));
        v.name = nameOf(clicked);
        // The frame is always shown from the table, never from the sending dialog's cells.
        v.frame[0] = macOf(destination);
        v.frame[1] = macOf(source);
        break;
    }
    case Window::Hub1:
    case Window::Hub2:
        SaveFlowStateOnHubActivation(m_state);
        break;
    case Window::Switch:
        m_view.switch_.frame = ShowReceivedFrame(m_state);
        break;
    case Window::SwitchGros:
        m_view.switchLeds.panelEnabled = !m_view.ticked(Tick::_switch);
        break;
    case Window::Avance:
        m_view.avance.exerciseCaption = "Exercice N° " + std::to_string(m_state.ExerciseNumber) +
                                        "  (" + std::to_string(m_state.ImposedCount) + ")";
        m_view.avance.errorsCaption = msg::ErrorTotalPrefix + std::to_string(m_state.ErrorTotal);
        break;
    case Window::Principale:
    case Window::AdressesMAC:
    case Window::APropos:
        break;
    }
}

void Game::afterModal(Effects& out, const ModalWindow& modal, bool success)
{
    switch (modal.after) {
    case After::Nothing:
        break;
    case After::Emission: {
        // The dialog's "Terminé" alone decides, through FlowState, whether the frame left.
        const EmissionResult emission = FinishEmission(m_state);
        if (!emission.emitted)
            break;
        const ExercisePair exercise = m_state.CurrentExercise;
        MainView& main = m_view.principale;
        main.frame[0] = exercise.destination <= BroadcastIndex
                            ? m_state.StationTable[exercise.destination].mac
                            : std::string();
        main.frame[1] = exercise.source <= BroadcastIndex
                            ? m_state.StationTable[exercise.source].mac
                            : std::string();
        main.frameShown = true;
        tick(Tick::_emetteur) = true;
        drawLine(out, emission.cable, CableLine::First, colour::White);
        break;
    }
    case After::Reception:
        if (FinishReceivingClick(m_state, modal.reception)) {
            // The frame is done: the student's part is on the progress window.
            tick(Tick::_destinataire) = true;
            m_view.avance.finEnabled = true;
            out.push_back(Effect::makeBringToFront(Window::Avance));
        }
        break;
    case After::Hub:
        if (HubWasPassed(m_state))
            hubPassed(out, hubOf(modal.window));
        break;
    case After::Switch:
        if (!SwitchWasPassed(m_state.FlowState))
            break; // closed before the step was committed
        tick(Tick::_switch) = true;
        for (int cable : SwitchEmittingCables(m_state.LedState[3]))
            drawLine(out, cable, CableLine::First, colour::Red);
        break;
    case After::SwitchLeds:
        if (!success)
            break; // closed without success: nothing is committed
        m_state.FlowState = CommitSwitchStep(m_view.switch_.table, modal.lookup,
                                             m_state.FrameFiltered, m_state.CurrentExercise.source);
        // The LED dialog sits on the switch dialog, which closes in turn.
        if (!m_modals.empty() && m_modals.back().window == Window::Switch)
            closeModal(out, true);
        break;
    }
}

// ---- Drawing ----

void Game::drawLine(Effects& out, int cable, CableLine line, Rgb colour)
{
    if (cable < 1 || cable > CableCount)
        return;
    m_view.principale.cables[cable][line == CableLine::First ? 0 : 1] = colour;
    out.push_back(Effect::makeLine(cable, line, colour));
}

void Game::drawCables(Effects& out)
{
    for (int cable = 1; cable <= CableCount; ++cable) {
        drawLine(out, cable, CableLine::First, colour::Black);
        drawLine(out, cable, CableLine::Second, colour::Black);
    }
}

void Game::paintLed(Effects& out, LedPicture picture, int led, Rgb colour)
{
    if (led < 1 || led > LedCount)
        return;
    LedsView& view = picture == LedPicture::Switch
                         ? m_view.switchLeds
                         : m_view.hubs[picture == LedPicture::Hub1 ? 1 : 2];
    view.leds[led] = colour;
    out.push_back(Effect::makeLed(picture, led, colour));
}

// ---- Exercises ----

void Game::newExercise(Effects& out)
{
    MainView& main = m_view.principale;
    main.nouveauEnabled = false;
    main.frameShown = false;
    drawCables(out);
    const bool resetOtherWindows = StartExercise(m_state, m_options.now());
    if (m_state.ExerciseNumber > 1)
        m_view.avance.exerciseCaption = ExerciseNumberCaption(m_state);
    const auto nameOf = [this](int index) {
        return index >= 0 && index <= BroadcastIndex ? m_state.StationTable[index].name
                                                     : std::string();
    };
    main.sourceName = nameOf(m_state.CurrentExercise.source);
    main.destinationName = nameOf(m_state.CurrentExercise.destination);
    // At the first exercise the other windows do not exist yet.
    if (!resetOtherWindows)
        return;

    m_view.switch_.selectedColumn = 3;
    closeIfShown(out, Window::Switch);
    for (int hub = 1; hub <= 2; ++hub) {
        for (int led = 1; led <= LedCount; ++led)
            paintLed(out, hubPicture(hub), led, colour::Silver);
        closeIfShown(out, hubWindow(hub));
    }
    for (int led = 1; led <= LedCount; ++led)
        paintLed(out, LedPicture::Switch, led, colour::Silver);
    closeIfShown(out, Window::SwitchGros);
    closeIfShown(out, Window::Destination);
    closeIfShown(out, Window::Source);
    m_view.avance.ticks = {};
    m_view.avance.finEnabled = false;
}

// ---- The diagram ----

Effects Game::clickDiagram(int x, int y, int mainLeft, int mainTop)
{
    Effects out;
    if (!accepts(Window::Principale))
        return out;
    // Every button acts alike and the shift state is ignored.
    const DiagramHit hit = HitTestDiagram(x, y);
    switch (hit.element) {
    case DiagramElement::HubRow:
        if (!hubStep(out, x))
            reportError(out, msg::NotHubTime);
        break;
    case DiagramElement::Station:
        m_state.ClickedStation = static_cast<std::uint8_t>(hit.station);
        stationClick(out, hit.station, mainLeft, mainTop);
        break;
    case DiagramElement::Switch:
        switchStep(out);
        break;
    case DiagramElement::Nothing:
        break;
    }
    return out;
}

void Game::stationClick(Effects& out, int clicked, int mainLeft, int mainTop)
{
    // Both station dialogs are placed from the main window and show the clicked station's icon.
    m_state.DialogAnchorTop = mainTop;
    m_state.DialogAnchorLeft = mainLeft;
    const bool server = clicked >= 7;
    m_view.source.server = server;
    m_view.destination.server = server;
    // The station the receiving dialog shows, kept for its activation and its "Terminé".
    const auto openReceiving = [&] { m_receivingStation = clicked; };

    const StationClickDecision decision = BeginStationClick(m_state, clicked);
    switch (decision.outcome) {
    case StationClickOutcome::Nothing:
        break;
    case StationClickOutcome::Emit:
        m_view.source.doneShown = true;
        m_view.source.labelShown = true;
        openModal(out, {Window::Source, After::Emission});
        break;
    case StationClickOutcome::RefuseNotSender:
    case StationClickOutcome::RefuseNotNow:
        reportError(out, decision.message);
        break;
    case StationClickOutcome::SendingReview:
        m_view.source.doneShown = false;
        m_view.source.labelShown = false;
        openModeless(out, Window::Source);
        break;
    case StationClickOutcome::SendingView:
        openModeless(out, Window::Source);
        break;
    case StationClickOutcome::ReceivingCopied:
    case StationClickOutcome::ReceivingEditable:
        m_view.destination.copy = decision.outcome == StationClickOutcome::ReceivingCopied;
        openReceiving();
        openModal(out, {Window::Destination, After::Reception, decision.after});
        break;
    case StationClickOutcome::WarnNotYet:
        // The one hint that is not counted as an error.
        box(out, BoxKind::Warning, decision.message);
        break;
    case StationClickOutcome::ReceivingView:
        openReceiving();
        openModeless(out, Window::Destination);
        break;
    }
}

bool Game::hubStep(Effects& out, int x)
{
    const int hub = HubAtX(x);
    if (hub == 0)
        return false;
    LedsView& dialog = m_view.hubs[hub];
    const ElementClickDecision decision =
        DecideHubClick(hub, m_view.ticked(treatedTick(hub)), m_state.FlowState,
                       m_state.CurrentExercise.source, m_state.LedState[3]);
    if (decision.outcome == ElementClickOutcome::Review) {
        // A disabled panel keeps the LEDs from reacting.
        dialog.panelEnabled = false;
        dialog.labelShown = false;
        dialog.doneShown = false;
        openModeless(out, hubWindow(hub));
        return true;
    }
    dialog.panelEnabled = true;
    dialog.labelShown = true;
    dialog.doneShown = true;
    if (decision.outcome != ElementClickOutcome::Treat)
        return false;

    PrepareHubStep(m_state, hub);
    if (HubAutoRule(m_state)) {
        openModal(out, {hubWindow(hub), After::Hub});
        return true;
    }
    // Passed by itself: what the dialog's success would have done.
    if (HubWasPassed(m_state))
        hubPassed(out, hub);
    return true;
}

void Game::hubPassed(Effects& out, int hub)
{
    for (int cable : RepeatedCables(hub, m_state.ExpectedHubLeds[hub]))
        drawLine(out, cable, CableLine::Second, colour::Yellow);
    for (const LedPaint& paint : HubLedsToPaint(m_state.ExpectedHubLeds[hub]))
        paintLed(out, hubPicture(hub), paint.led, paint.colour);
    tick(treatedTick(hub)) = true;
}

void Game::switchStep(Effects& out)
{
    const ElementClickDecision decision =
        DecideSwitchClick(m_state.FlowState, m_view.ticked(Tick::_switch));
    switch (decision.outcome) {
    case ElementClickOutcome::Refused:
        reportError(out, decision.message);
        return;
    case ElementClickOutcome::Review:
        // Modeless: the diagram stays usable, and the picture still opens the LEDs.
        m_view.switch_.panelEnabled = false;
        m_view.switch_.destViaEnabled = false;
        openModeless(out, Window::Switch);
        return;
    case ElementClickOutcome::Treat:
        m_view.switch_.panelEnabled = true;
        m_view.switch_.destViaEnabled = true;
        openModal(out, {Window::Switch, After::Switch});
        return;
    }
}

// ---- Sending dialog ----

Effects Game::selectFrameColumn(int column)
{
    Effects out;
    if (accepts(Window::Source) && m_view.source.panelEnabled && column >= 0 && column < 5)
        m_view.source.frameColumn = column;
    return out;
}

Effects Game::selectCacheRow(int row)
{
    Effects out;
    // The header row cannot be selected.
    if (accepts(Window::Source) && m_view.source.panelEnabled && row >= 1 && row <= BroadcastIndex)
        m_view.source.cacheRow = row;
    return out;
}

Effects Game::copyAddress()
{
    Effects out;
    SendingView& v = m_view.source;
    if (!accepts(Window::Source) || !v.panelEnabled)
        return out;
    const CopyResult copy = CopyCachedAddress(v.frameColumn, v.cacheRow, m_state.StationTable);
    switch (copy.outcome) {
    case CopyOutcome::Copied:
        v.frame[v.frameColumn] = copy.text;
        break;
    case CopyOutcome::Refused:
        reportError(out, copy.message);
        break;
    case CopyOutcome::Ignored:
        break;
    }
    return out;
}

// ---- Receiving dialog ----

Effects Game::setCopy(bool ticked)
{
    Effects out;
    if (accepts(Window::Destination) && m_view.destination.panelEnabled)
        m_view.destination.copy = ticked;
    return out;
}

// ---- LED pictures ----

Effects Game::clickLed(Window window, int x, int y)
{
    Effects out;
    if (!accepts(window))
        return out;
    if (isHubWindow(window)) {
        const int hub = hubOf(window);
        if (!m_view.hubs[hub].panelEnabled)
            return out;
        const LedToggle toggle = ToggleHubLed(m_state, hub, x, y);
        if (toggle.led != 0)
            paintLed(out, hubPicture(hub), toggle.led, toggle.colour);
    } else if (window == Window::SwitchGros) {
        if (!m_view.switchLeds.panelEnabled)
            return out;
        const SwitchLedToggle toggle = ToggleSwitchLed(m_state.LedState[3], x, y);
        if (toggle.led != 0)
            paintLed(out, LedPicture::Switch, toggle.led, toggle.colour);
    }
    return out;
}

// ---- "Terminé" ----

Effects Game::pressDone(Window window)
{
    Effects out;
    if (!accepts(window))
        return out;
    const bool modal = m_view.of(window) == Showing::Modal;
    switch (window) {
    case Window::Source: {
        const SendingView& v = m_view.source;
        if (!v.panelEnabled || !v.doneShown)
            break;
        const FrameCheck check = CheckEmittedFrame(v.frame[0], v.frame[1], m_state.CurrentExercise,
                                                   m_state.StationTable);
        if (!check.accepted) {
            // The cells stay as the student left them.
            reportError(out, check.message);
            break;
        }
        m_state.FlowState = flow::MachineEmitted;
        if (modal)
            closeModal(out, true);
        else
            closeIfShown(out, window);
        break;
    }
    case Window::Destination: {
        const ReceivingView& v = m_view.destination;
        if (!v.panelEnabled || !v.doneShown)
            break;
        const CopyDecision decision =
            CheckCopyDecision(m_receivingStation, v.copy, m_state.CurrentExercise, m_state);
        if (decision.close) {
            if (modal)
                closeModal(out, true);
            else
                closeIfShown(out, window);
        } else if (!decision.message.empty()) {
            reportError(out, decision.message);
        }
        break;
    }
    case Window::Hub1:
    case Window::Hub2: {
        const LedsView& v = m_view.hubs[hubOf(window)];
        if (!v.panelEnabled || !v.doneShown)
            break;
        const HubCheckResult result = CheckHubLeds(m_state);
        switch (result.outcome) {
        case HubCheckOutcome::Passed:
            if (modal)
                closeModal(out, true);
            else
                closeIfShown(out, window);
            break;
        case HubCheckOutcome::WrongRx:
        case HubCheckOutcome::WrongTx:
            reportError(out, result.message);
            break;
        case HubCheckOutcome::NoHub:
            break;
        }
        break;
    }
    case Window::SwitchGros: {
        const LedsView& v = m_view.switchLeds;
        if (!v.panelEnabled || !v.doneShown)
            break;
        const SwitchLedCheck check = CheckSwitchLeds(m_state, m_view.switch_.choice);
        for (const std::string& message : check.messages)
            reportError(out, message);
        if (check.success) {
            if (modal)
                closeModal(out, true);
            else
                closeIfShown(out, window);
        }
        break;
    }
    case Window::APropos:
        if (modal)
            closeModal(out, true);
        break;
    case Window::Principale:
    case Window::Avance:
    case Window::AdressesMAC:
    case Window::Switch:
        break;
    }
    return out;
}

// ---- Switch dialog ----

Effects Game::selectSwitchColumn(int column)
{
    Effects out;
    if (accepts(Window::Switch) && m_view.switch_.panelEnabled && column >= 0 && column < 5)
        m_view.switch_.selectedColumn = column;
    return out;
}

Effects Game::chooseUpdatePort(int port)
{
    Effects out;
    if (accepts(Window::Switch) && m_view.switch_.panelEnabled && port >= 1 && port <= 4)
        m_view.switch_.updatePort = port;
    return out;
}

Effects Game::copyToEntryRow()
{
    Effects out;
    SwitchView& v = m_view.switch_;
    if (accepts(Window::Switch) && v.panelEnabled)
        CopyToEntryRow(v.table, v.frame, v.selectedColumn, v.updatePort, m_state.TtlMaxText);
    return out;
}

Effects Game::chooseForwarding(ForwardingChoice choice)
{
    Effects out;
    if (accepts(Window::Switch) && m_view.switch_.destViaEnabled &&
        choice != ForwardingChoice::None)
        m_view.switch_.choice = choice;
    return out;
}

Effects Game::clickSwitchPicture()
{
    Effects out;
    if (!accepts(Window::Switch))
        return out;
    const SwitchView& v = m_view.switch_;
    const EmitDecision decision = DecideEmit(v.table, v.frame, m_state.CurrentExercise.source,
                                             v.choice, m_view.ticked(Tick::_switch));
    LedsView& leds = m_view.switchLeds;
    switch (decision.action) {
    case EmitAction::ReviewLeds:
        leds.labelShown = false;
        leds.doneShown = false;
        openModal(out, {Window::SwitchGros, After::Nothing});
        break;
    case EmitAction::Refuse:
        leds.labelShown = true;
        leds.doneShown = true;
        reportError(out, decision.message);
        break;
    case EmitAction::OpenLeds:
        leds.labelShown = true;
        leds.doneShown = true;
        openModal(
            out, {Window::SwitchGros, After::SwitchLeds, AfterReceiving::Nothing, decision.lookup});
        break;
    }
    return out;
}

// ---- Progress window ----

Effects Game::setTick(Tick t, bool ticked)
{
    Effects out;
    if (!accepts(Window::Avance) || static_cast<int>(t) >= static_cast<int>(Tick::_emetteur))
        return out;
    if (m_view.ticked(t) == ticked)
        return out;
    tick(t) = ticked;
    // Sender and destination of an exercise always differ: both are always concerned, so
    // neither box can stay ticked.
    if (ticked && t == Tick::emetteur) {
        reportError(out, msg::SenderMustEmit);
        tick(t) = false;
    } else if (ticked && t == Tick::destinataire) {
        reportError(out, msg::CheckDestinationAndSender);
        tick(t) = false;
    }
    return out;
}

Effects Game::finTraitement()
{
    Effects out;
    if (!accepts(Window::Avance) || !m_view.avance.finEnabled)
        return out;
    const auto exactlyOne = [this](Tick a, Tick b) { return m_view.ticked(a) != m_view.ticked(b); };
    if (!exactlyOne(Tick::Hub1, Tick::_hub1) || !exactlyOne(Tick::Hub2, Tick::_hub2) ||
        !exactlyOne(Tick::destinataire, Tick::_destinataire)) {
        reportError(out, msg::OneTickPerLine);
        return out;
    }
    box(out, BoxKind::Information, msg::FrameCompleted);
    m_view.principale.nouveauEnabled = true;
    if (SeriesEnded(m_state)) {
        m_view.principale.result = SeriesEndText(m_state, m_options.now());
        m_view.principale.resultShown = true;
        m_view.principale.nouveauEnabled = false;
    }
    return out;
}

// ---- Main menu ----

Effects Game::nouveau()
{
    Effects out;
    if (accepts(Window::Principale) && m_view.principale.nouveauEnabled)
        newExercise(out);
    return out;
}

Effects Game::about()
{
    Effects out;
    if (accepts(Window::Principale))
        openModal(out, {Window::APropos, After::Nothing});
    return out;
}

Effects Game::quit()
{
    Effects out;
    if (!accepts(Window::Principale))
        return out;
    m_question = Question::Quit;
    box(out, BoxKind::Confirmation, msg::EndQuestion, true);
    return out;
}

Effects Game::answer(bool ok)
{
    Effects out;
    if (m_question == Question::None)
        return out;
    m_question = Question::None;
    if (ok) {
        m_ended = true;
        out.push_back(Effect::makeQuit(0));
    }
    return out;
}

// ---- Close boxes and activation ----

Effects Game::closeWindow(Window window)
{
    Effects out;
    if (!accepts(window))
        return out;
    switch (window) {
    case Window::Principale:
        return quit();
    case Window::Avance:
    case Window::AdressesMAC:
        // The two reference windows stay for the whole run.
        break;
    default:
        if (m_view.of(window) == Showing::Modal)
            closeModal(out, false);
        else
            closeIfShown(out, window);
        break;
    }
    return out;
}

Effects Game::activate(Window window)
{
    Effects out;
    // A window open for work has run its activation when it opened; while one is open, no
    // other window can be switched to.
    if (accepts(window) && m_modals.empty() && m_view.of(window) == Showing::Modeless)
        runActivation(out, window);
    return out;
}

} // namespace kw
