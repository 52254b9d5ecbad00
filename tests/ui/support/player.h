#pragma once

// A scripted student who plays whole exercises through the real windows. It reads what the
// windows show (the exercise's names, the sender's cache, the frame and the switch table),
// works the right answer out from the network's rules, clicks it, and checks after every
// element what the program shows: FlowState, the "Traité" ticks, the error total and every
// cable line of the diagram. It can make one chosen mistake at a chosen step and then put it
// right, as a student would.

#include "student.h"
#include "switchtable.h"

#include "diagram.h"

#include <QList>
#include <QPoint>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class HubDialog;
class QCheckBox;
class QDialog;
class QPushButton;
class QRadioButton;
class Tf_source;
class Tf_switch;
class Tf_switch_gros;

namespace kw::ui {
class ImageView;
}

namespace kw::test {

enum class Mistake {
    None,
    ClickOutOfTurn,   // before the step, a click the program refuses and counts
    EarlyDestination, // before the frame has reached it, a click on the unicast destination
                      // or on a Broadcast receiver: a hint that is not counted
    WrongAddress,     // sending dialog: the two addresses swapped
    WrongHubLed,      // hub dialog: LED 1 set the wrong way
    WrongTableUpdate, // switch: the destination's address copied into the entry row
    WrongTablePort,   // switch: the source learned on a port it did not come in on
    WrongPortChoice,  // switch: a wrong "Destinataire via port"
    WrongSwitchLed,   // switch LEDs: one TX LED the wrong way
    NoCopy,           // receiving dialog: "Terminé" without ticking the copy
    WrongNonConcerne, // end of frame: the hubs' "Non concerné" boxes ticked the other way round
    TickEmetteur,     // end of frame: "émetteur" ticked as not concerned
    TickDestinataire, // end of frame: "destinataire" ticked as not concerned
    CloseFirst,       // the element's dialog closed half done, then opened again: no error
};

// Whether the program counts the mistake in the error total.
bool isCounted(Mistake mistake);
// Whether the program answers the mistake with a message box.
bool isShown(Mistake mistake);

enum class StepKind { Emit, Hub, Switch, Receive, End };

struct StepRecord {
    StepKind kind = StepKind::Emit;
    int target = 0; // hub 1..2 or station 1..8
    std::uint8_t flowBefore = 0;
    std::uint8_t flowAfter = 0;
    bool dialogOpened = false; // the element's working dialog opened (not for End)
    bool mistakeMade = false;
    QStringList boxes; // texts of the message boxes shown during the step
};

struct ExerciseRecord {
    int number = 0; // ExerciseNumber
    int source = 0;
    int destination = 0;
    std::string lookup;          // the student's reading of the switch table: "1".."4" or " "
    kw::SwitchTable tableBefore; // table_ports as the switch dialog opened
    kw::SwitchTable tableAfter;  // table_ports once the switch step was committed
    QList<int> hubsTreated;      // in the order they passed
    QList<int> hubsAutomatic;    // those that passed without their dialog
    QList<int> earlyCopies;      // Broadcast receivers treated before FlowState 50
    std::vector<StepRecord> steps;
    bool completed = false;   // the end-of-frame check passed
    bool seriesEnded = false; // and the series ended with it

    // FlowState after each step, repeats left out: for instance 20, 30, 40, 50, 60.
    QList<int> path() const;
    // FlowState after the first step of the given kind (and target when not 0); -1 if none.
    int flowAfter(StepKind kind, int target = 0) const;
};

// Cables whose given line shows the colour along its whole length (pixels that two lines
// share left out).
QList<int> cablesShowing(const Program& program, kw::CableLine line, QRgb colour);

class Player {
public:
    explicit Player(Program& program);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // The one mistake of the next steps: at step `step` of the exercise (0-based, every
    // element the player treats counts, the end of the frame too), or at the first step where
    // it fits when `step` is -1.
    void makeMistake(Mistake mistake, int step = -1);
    bool mistakeMade() const { return m_mistakeDone; }

    // Broadcast: the stations on the sender's side copy the frame before it has reached every
    // segment, before the switch is treated or (earlyCopiesAfterSwitch) just after it.
    bool earlyCopies = true;
    bool earlyCopiesAfterSwitch = false;
    // The hub treated first when the switch floods a server's frame to both hubs.
    int firstFarHub = 1;
    // After each element, look back at every element already treated (its read-only view).
    enum class LookBack { Never, AndClose, AndLeaveOpen };
    LookBack lookBack = LookBack::Never;
    // "Terminé" and "Fin du traitement de la trame" pressed with the Enter key.
    bool pressEnter = false;
    // The sending dialog's addresses copied by a double-click on the cache (the frame cell
    // picked first) rather than on the frame.
    bool copyFromCache = false;
    // Every act through key events only (see keys.h): Tab, the arrow keys, Space, Enter,
    // Escape instead of the close box, Alt+N for "Nouveau". A click between the hubs, which
    // reaches no element, cannot be made.
    bool keyboard = false;

    // One element each, played right (or with the chosen mistake, then put right). True when
    // the program did what the student expected.
    bool emitFrame();
    bool hub(int hub);
    bool switchStep();
    bool receive(int station);
    bool endFrame();
    // The menu item "Nouveau" (it must be enabled).
    bool nouveau();
    // Clicks every element treated so far: each shows what it did, read-only, and nothing
    // changes (FlowState, error total, no message).
    bool reviewTreated();
    // Closes the review windows as by their close boxes.
    void closeReviews();

    // The exercise in play, from the emission to the end-of-frame check.
    bool playExercise();
    // `count` exercises, "Nouveau" between them (not after the last one).
    bool playExercises(int count);

    const ExerciseRecord& current() const { return m_records.back(); }
    const std::vector<ExerciseRecord>& exercises() const { return m_records; }

private:
    using Play = std::function<void(QDialog*)>;

    bool check(bool condition, const char* expression, const char* file, int line);
    void beginIfNewExercise();
    void beginStep(StepKind kind, int target);
    bool endStep(bool dialogOpened);
    bool afterStep(bool played); // the look back, when asked for
    bool mistakeFits(Mistake mistake, StepKind kind) const;
    bool takeMistake(Mistake mistake);
    bool clickOutOfTurn();
    bool clickEarlyDestination();
    bool checkDiagram();
    // The student's hands: the mouse, or the keyboard.
    void press(QPushButton* button);
    void clickElement(const QString& name, const QPoint& point, Qt::Key key);
    void clickStation(int station);
    void clickHub(int hub);
    void clickSwitch();
    void clickBetweenTheHubs();
    void copyInto(Tf_source* dialog, int frameColumn, int cacheRow);
    void setHubLeds(HubDialog* dialog, const kw::LedRow& leds);
    void setSwitchLeds(Tf_switch_gros* dialog, const kw::LedRow& leds);
    void setLedsByKeys(kw::ui::ImageView* picture, const kw::LedRow& leds,
                       const std::function<bool(int)>& looksLit);
    void learn(Tf_switch* dialog, int frameColumn, int port);
    void chooseRadio(QRadioButton* button);
    void clickSwitchPicture(Tf_switch* dialog);
    void toggle(QCheckBox* box);
    void setBox(QCheckBox* box, bool ticked);
    void chooseNouveau();
    // A dialog left half done: closed by Escape (by the mouse, the script's close box).
    void closeHalfDone(QDialog* dialog);
    void arm(Play play);
    bool disarm(); // true when the armed dialog opened

    ExerciseRecord& record() { return m_records.back(); }

    Program& m_program;
    kw::seam::Script m_script;
    kw::seam::Script* m_previous = nullptr;
    Play m_armed;
    QStringList m_unexpected; // modal dialogs that opened while none was expected
    bool m_ok = true;

    std::vector<ExerciseRecord> m_records;
    Mistake m_mistake = Mistake::None;
    int m_mistakeStep = -1;
    bool m_mistakeDone = false;
    bool m_mistakeNow = false; // the mistake is made in the step being played
    bool m_reopened = false;   // the step's dialog opens again after the student closed it
    int m_stepIndex = 0;
    std::uint16_t m_errorsBefore = 0;
    std::size_t m_boxesBefore = 0;

    // What the student knows of the frame in play.
    bool m_emitted = false;
    bool m_switchDone = false;
    QList<int> m_hubsDone;
    QList<int> m_copied;
    kw::LedRow m_switchLeds{};
    std::array<kw::LedRow, 3> m_hubLeds{}; // what hub 1 and 2 had to show
    // Colour each cable line must show: [cable][0 first line, 1 second line].
    std::array<std::array<QRgb, 2>, 11> m_lines{};
};

} // namespace kw::test
