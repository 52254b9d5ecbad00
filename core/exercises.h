#pragma once

// The exercise file "switchexos.kw" and the choice of each exercise's source and destination.

#include "global.h"
#include "textfile.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kw {

inline constexpr const char* ExerciseFileName = "switchexos.kw";

enum class ExerciseLineKind {
    End,      // "FIN" at the very first character: the series ends here
    Exercise, // a source digit 1..8 and a different destination digit 1..9
    Ignored,
};

// Why a line is ignored, at the step of the reading that leaves it.
enum class IgnoredBecause {
    Nothing,              // not ignored
    Blank,                // nothing but characters below '0'
    Comment,              // begins with a letter (any non-ASCII byte too) or ';'
    MisplacedEnd,         // "FIN" after blanks, or "fin" in another case: does not end
    SourceNine,           // 9 is Broadcast, a destination only
    NotASourceDigit,      // another character above '8' (`found`)
    NoDestination,        // nothing after the source
    NotADestinationDigit, // a character above '9' after the source (`found`)
    ZeroDigit,            // a 0 names no station
    SameStation,          // source and destination are the same digit
};

struct ExerciseLine {
    ExerciseLineKind kind = ExerciseLineKind::Ignored;
    ExercisePair pair; // also the digits read of an ignored line
    IgnoredBecause why = IgnoredBecause::Nothing;
    char found = 0; // the character that stood where a digit was expected
};

// One line of the exercise file. Characters whose code is below that of '0' (blanks, tabs,
// punctuation) are skipped before the source digit and between the two digits; whatever
// follows the destination digit is a free comment. A line whose source or destination is 0
// names no station and is ignored.
ExerciseLine parseExerciseLine(std::string_view line);

// One line as the reading met it, for a report on the file.
struct ExerciseLineSeen {
    std::size_t number = 0; // 1 for the file's first line
    std::string_view text;  // the line's bytes (valid during the call only)
    ExerciseLine parsed;
    int imposedNumber = 0; // the exercise's number when stored; 0 past the MaxImposed kept
};

// What a report wants to know about reading an exercise text besides the series.
struct ExerciseTextReading {
    std::function<void(const ExerciseLineSeen&)> line; // every line read; may be left empty
    std::size_t endLine = 0;                           // the "FIN" line, 0 without one
    std::size_t linesAfterEnd = 0;                     // left unread after it
    LineEndCounts lineEnds;
    bool utf8 = true; // false: not valid UTF-8 (only comments can hold such bytes)
};

// Reads the lines of an exercise file into ImposedExercises and ImposedCount, from nothing.
// RandomAfterImposed becomes true, and false again when a "FIN" line ends the series.
// Only the first MaxImposed exercises are kept; reading goes on after them so that a later
// "FIN" still counts. The text is the file's content as readTextFile gives it.
void readExercises(SharedState& state, std::string_view text,
                   ExerciseTextReading* reading = nullptr);

// Where LoadExerciseFile looked and what it found, for a report.
struct ExerciseFileReading {
    std::filesystem::path folder;              // where the file is looked for
    std::optional<std::filesystem::path> file; // the file found, maybe in another letter case
    bool read = false;                         // found and read
    TextFileFacts facts;
    ExerciseTextReading text;
};

// Where the exercise file is looked for: QuestionsFolder with "\" read as "/", relative to
// `startFolder` unless absolute.
std::filesystem::path questionsFolderPath(std::string_view questionsFolder,
                                          const std::filesystem::path& startFolder);

// Loads the exercise file of state.QuestionsFolder (the file name may differ in letter case).
// When it cannot be read, gives the text of the error box to show; the series is then random
// (RandomAfterImposed true, ImposedCount 0).
std::optional<std::string> LoadExerciseFile(SharedState& state,
                                            const std::filesystem::path& startFolder,
                                            ExerciseFileReading* reading = nullptr);

// "Le fichier <folder>/switchexos.kw \r\n n'est pas accessible", the folder as written in
// the configuration; "\" joins it to the file name when the folder's last separator is one.
std::string exerciseFileErrorText(std::string_view questionsFolder);

// Source and destination of exercise ExerciseNumber: the imposed one while
// 1 <= ExerciseNumber <= ImposedCount, otherwise a random draw in which each destination
// above 8 stands for Broadcast (FreqMulti 0: never Broadcast). Source and destination differ.
void DrawExercise(SharedState& state);

} // namespace kw
