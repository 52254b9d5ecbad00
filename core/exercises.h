#pragma once

// The exercise file "switchexos.kw" and the choice of each exercise's source and destination.

#include "global.h"

#include <filesystem>
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

struct ExerciseLine {
    ExerciseLineKind kind = ExerciseLineKind::Ignored;
    ExercisePair pair;
};

// One line of the exercise file. Characters whose code is below that of '0' (blanks, tabs,
// punctuation) are skipped before the source digit and between the two digits; whatever
// follows the destination digit is a free comment. A line whose source or destination is 0
// names no station and is ignored.
ExerciseLine parseExerciseLine(std::string_view line);

// Reads the lines of an exercise file into ImposedExercises and ImposedCount, from nothing.
// RandomAfterImposed becomes true, and false again when a "FIN" line ends the series.
// Only the first MaxImposed exercises are kept; reading goes on after them so that a later
// "FIN" still counts. The text is the file's content as readTextFile gives it.
void readExercises(SharedState& state, std::string_view text);

// Where the exercise file is looked for: QuestionsFolder with "\" read as "/", relative to
// `startFolder` unless absolute.
std::filesystem::path questionsFolderPath(std::string_view questionsFolder,
                                          const std::filesystem::path& startFolder);

// Loads the exercise file of state.QuestionsFolder (the file name may differ in letter case).
// When it cannot be read, gives the text of the error box to show; the series is then random
// (RandomAfterImposed true, ImposedCount 0).
std::optional<std::string> LoadExerciseFile(SharedState& state,
                                            const std::filesystem::path& startFolder);

// "Le fichier <folder>/switchexos.kw \r\n n'est pas accessible", the folder as written in
// the configuration; "\" joins it to the file name when the folder's last separator is one.
std::string exerciseFileErrorText(std::string_view questionsFolder);

// Source and destination of exercise ExerciseNumber: the imposed one while
// 1 <= ExerciseNumber <= ImposedCount, otherwise a random draw in which each destination
// above 8 stands for Broadcast (FreqMulti 0: never Broadcast). Source and destination differ.
void DrawExercise(SharedState& state);

} // namespace kw
