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

bool isAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Why a line whose first character (not below '0') is above '8' gives no exercise. A
// comment's first letter may be accented, hence any non-ASCII byte.
IgnoredBecause whyNoSource(std::string_view rest)
{
    // "FIN" after blanks, or "Fin" written as a word: the end the teacher meant, not read so.
    if (rest.starts_with("FIN") ||
        (rest.size() >= 3 && equalsIgnoringCase(rest.substr(0, 3), "FIN") &&
         (rest.size() == 3 || !isAsciiLetter(rest[3]))))
        return IgnoredBecause::MisplacedEnd;
    const char c = rest.front();
    if (c == '9')
        return IgnoredBecause::SourceNine;
    if (c == ';' || isAsciiLetter(c) || static_cast<unsigned char>(c) >= 0x80)
        return IgnoredBecause::Comment;
    return IgnoredBecause::NotASourceDigit;
}

} // namespace

ExerciseLine parseExerciseLine(std::string_view line)
{
    if (line.starts_with("FIN"))
        return {ExerciseLineKind::End, {}};
    line = skipBelowZero(line);
    if (line.empty())
        return {ExerciseLineKind::Ignored, {}, IgnoredBecause::Blank};
    if (static_cast<unsigned char>(line.front()) > '8')
        return {ExerciseLineKind::Ignored, {}, whyNoSource(line), line.front()};
    const auto source = static_cast<std::uint8_t>(line.front() - '0');
    line = skipBelowZero(line.substr(1));
    if (line.empty())
        return {ExerciseLineKind::Ignored, {source, 0}, IgnoredBecause::NoDestination};
    if (static_cast<unsigned char>(line.front()) > '9')
        return {ExerciseLineKind::Ignored,
                {source, 0},
                IgnoredBecause::NotADestinationDigit,
                line.front()};
    const auto destination = static_cast<std::uint8_t>(line.front() - '0');
    if (source == 0 || destination == 0)
        return {ExerciseLineKind::Ignored, {source, destination}, IgnoredBecause::ZeroDigit};
    if (source == destination)
        return {ExerciseLineKind::Ignored, {source, destination}, IgnoredBecause::SameStation};
    return {ExerciseLineKind::Exercise, {source, destination}};
}

void readExercises(SharedState& state, std::string_view text, ExerciseTextReading* reading)
{
    state.ImposedCount = 0;
    state.ImposedExercises = {};
    state.RandomAfterImposed = true;
    LineReader reader(text);
    std::size_t number = 0;
    while (const auto line = reader.next()) {
        ++number;
        const ExerciseLine parsed = parseExerciseLine(*line);
        int imposedNumber = 0;
        if (parsed.kind == ExerciseLineKind::Exercise && state.ImposedCount < MaxImposed) {
            state.ImposedExercises[++state.ImposedCount] = parsed.pair;
            imposedNumber = state.ImposedCount;
        }
        if (reading && reading->line)
            reading->line({number, *line, parsed, imposedNumber});
        if (parsed.kind == ExerciseLineKind::End) {
            state.RandomAfterImposed = false;
            if (reading) {
                reading->endLine = number;
                while (reader.next())
                    ++reading->linesAfterEnd;
            }
            break;
        }
    }
    if (reading) {
        reading->lineEnds = reader.lineEnds();
        reading->utf8 = isValidUtf8(text);
    }
}

std::filesystem::path questionsFolderPath(std::string_view questionsFolder,
                                          const std::filesystem::path& startFolder)
{
    const std::filesystem::path folder(withForwardSlashes(questionsFolder));
    return folder.is_absolute() ? folder : startFolder / folder;
}

std::optional<std::string> LoadExerciseFile(SharedState& state,
                                            const std::filesystem::path& startFolder,
                                            ExerciseFileReading* reading)
{
    const auto folder = questionsFolderPath(state.QuestionsFolder, startFolder);
    const auto path = findFileIgnoringCase(folder, ExerciseFileName);
    const auto text =
        path ? readTextFile(*path, reading ? &reading->facts : nullptr) : std::nullopt;
    if (reading) {
        reading->folder = folder;
        reading->file = path;
        reading->read = text.has_value();
    }
    // An unreadable file leaves nothing imposed and the series random.
    readExercises(state, text ? std::string_view(*text) : std::string_view(),
                  reading ? &reading->text : nullptr);
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
