#pragma once

// The start-up of the exercise core, the setting-up of each exercise and the end of a
// series, without any window: these functions change the shared state and give the texts
// the windows show.

#include "exercises.h"
#include "global.h"
#include "profile.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kw {

inline constexpr const char* ConfigurationFileName = "kw_switch.INI";

struct StartupOutcome {
    bool ok = false;                     // false: the program must end
    std::vector<std::string> errorBoxes; // error boxes to show, in this order
};

// Where a series starts, or why it cannot: exactly one of the two is set.
struct StartFolderChoice {
    std::string folder; // absolute, without a trailing separator
    std::string error;  // the error box's text; the program must end
};

// The start folder from the program's argument. Without one: `currentFolder`, as always.
// A folder: that folder. A file named "kw_switch.INI" in any letter case: its folder (through
// a symbolic link, the folder of the file it names, as for a desktop shortcut). A relative
// argument is taken from `currentFolder`. A path that does not exist, or names anything
// else, gives the error text, which names the path.
StartFolderChoice ChooseStartFolder(const std::string& currentFolder,
                                    const std::optional<std::string>& argument);

// The core of the main window's creation: resets the exercise counters, seeds the random
// generator from the clock, then reads the series (ReadSeries).
// The first exercise is not set up here: the caller runs StartExercise once the outcome is ok.
StartupOutcome StartUp(SharedState& state, const std::string& startFolder);

// One key the start reads, as it read it.
struct KeyReading {
    std::string section; // as the program names them
    std::string key;
    std::string defaultValue;          // what an absent key gives
    int station = 0;                   // the station 1..8 whose address it gives, or 0
    std::optional<ProfileEntry> entry; // the file's entry; nothing when the key is absent
    bool integer = false;              // read as a number, then brought into low..high
    int low = 0;
    int high = 0;
    bool notANumber = false; // present but no integer: the default applies
    bool clamped = false;    // out of range: brought into it
    std::string used;        // the value the program goes on with, as text
};

// What reading a series saw besides the values it stores, for a report on the series.
struct SeriesReading {
    std::optional<std::filesystem::path> configurationFile; // found, maybe in another case
    ProfileReading configuration; // its `remark` may be set before the reading
    std::optional<ProfileFile> profile;
    std::vector<KeyReading> keys;   // every key the start reads, in its order
    bool exerciseFileAsked = false; // `questions` names a folder
    ExerciseFileReading exercises;  // its `text.line` may be set before the reading
};

// Reads "kw_switch.INI" in `startFolder` (the name may differ in letter case) into the
// station table and the configuration values, loads the exercise file when `questions`
// names a folder, and checks that some exercise can be played. Out-of-range values are
// clamped: ttl_max and freq_multi to 0..255, hub_auto to 0..16. `reading`, when given, is
// told what was read; the random generator is left alone.
StartupOutcome ReadSeries(SharedState& state, const std::string& startFolder,
                          SeriesReading* reading = nullptr);

// The shared-state part of setting up the next exercise (menu "Nouveau"): counts the
// exercise, sets FlowState to ExerciseReady, draws the exercise and clears BroadcastCopied.
// The first exercise also starts the series clock (SeriesStartTime := nowDays); every later
// one clears LedState. Returns true when the other windows must be reset (every exercise
// but the first).
bool StartExercise(SharedState& state, double nowDays);
bool StartExercise(SharedState& state);

// "Exercice n° = <ExerciseNumber>  (<ImposedCount>)".
std::string ExerciseNumberCaption(const SharedState& state);

// The series is over: no imposed exercise is left and no random one follows.
bool SeriesEnded(const SharedState& state);

// "TOUS LES EXERCICES ONT ETE TRAITES en hh:mm:ss", the time since SeriesStartTime.
std::string SeriesEndText(const SharedState& state, double nowDays);

} // namespace kw
