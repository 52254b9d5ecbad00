#include "exercises.h"

#include "random.h"
#include "textfile.h"

namespace kw {

namespace {

bool belowZero(char c)
{
    return static_cast<unsigned char>(c) < static_cast<unsigned char>('0');
}

std::string_view skipBelowZero(std::string_view text)
{
    while (!text.empty() && belowZero(text.front()))
        text.remove_prefix(1);
    return text;
}

} // namespace

ExerciseLine parseExerciseLine(std::string_view line)
{
    if (line.starts_with("FIN"))
        return {ExerciseLineKind::End, {}};
    line = skipBelowZero(line);
    if (line.empty() || static_cast<unsigned char>(line.front()) > '8')
        return {};
    const int source = line.front() - '0';
    line = skipBelowZero(line.substr(1));
    if (line.empty() || static_cast<unsigned char>(line.front()) > '9')
        return {};
    const int destination = line.front() - '0';
    if (source == destination || source == 0 || destination == 0)
        return {};
    return {ExerciseLineKind::Exercise,
            {static_cast<std::uint8_t>(source), static_cast<std::uint8_t>(destination)}};
}

void readExercises(SharedState& state, std::string_view text)
{
    state.ImposedCount = 0;
    state.ImposedExercises = {};
    state.RandomAfterImposed = true;
    LineReader reader(text);
    while (const auto line = reader.next()) {
        const ExerciseLine parsed = parseExerciseLine(*line);
        if (parsed.kind == ExerciseLineKind::End) {
            state.RandomAfterImposed = false;
            return;
        }
        if (parsed.kind == ExerciseLineKind::Exercise && state.ImposedCount < MaxImposed)
            state.ImposedExercises[++state.ImposedCount] = parsed.pair;
    }
}

std::filesystem::path questionsFolderPath(std::string_view questionsFolder,
                                          const std::filesystem::path& startFolder)
{
    const std::filesystem::path folder(withForwardSlashes(questionsFolder));
    return folder.is_absolute() ? folder : startFolder / folder;
}

std::optional<std::string> LoadExerciseFile(SharedState& state,
                                            const std::filesystem::path& startFolder)
{
    const auto path = findFileIgnoringCase(questionsFolderPath(state.QuestionsFolder, startFolder),
                                           ExerciseFileName);
    const auto text = path ? readTextFile(*path) : std::nullopt;
    // An unreadable file leaves nothing imposed and the series random.
    readExercises(state, text ? std::string_view(*text) : std::string_view());
    if (!text)
        return exerciseFileErrorText(state.QuestionsFolder);
    return std::nullopt;
}

std::string exerciseFileErrorText(std::string_view questionsFolder)
{
    // The folder as the teacher wrote it, joined to the file name by the separator the
    // teacher used last ("/" when there is none), so that the message reads as written.
    const std::size_t last = questionsFolder.find_last_of("/\\");
    const char separator = last == std::string_view::npos ? '/' : questionsFolder[last];
    return "Le fichier " + std::string(questionsFolder) + separator + ExerciseFileName + " " +
           "\r\n" + " n'est pas accessible";
}

void DrawExercise(SharedState& state)
{
    if (state.ExerciseNumber >= 1 && state.ExerciseNumber <= state.ImposedCount) {
        state.CurrentExercise = state.ImposedExercises[state.ExerciseNumber];
        return;
    }
    std::uint32_t source = 0;
    std::uint32_t destination = 0;
    do {
        source = RandomBelow(StationCount) + 1;
        destination = RandomBelow(state.FreqMulti + StationCount) + 1;
    } while (source == destination);
    if (destination > StationCount)
        destination = BroadcastIndex;
    state.CurrentExercise = {static_cast<std::uint8_t>(source),
                             static_cast<std::uint8_t>(destination)};
}

} // namespace kw
