#include "series.h"

#include "clock.h"
#include "exercises.h"
#include "profile.h"
#include "random.h"
#include "textfile.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

namespace kw {

namespace {

struct StationDefault {
    const char* name;
    const char* key;
    const char* mac;
};

// Stations 1..8: display name, key in section "adresses MAC" and default MAC text.
constexpr std::array<StationDefault, StationCount> StationDefaults{{
    {"Machine 1", "Machine1", "00-C0-B0-69-16-25"},
    {"Machine 2", "Machine2", "00-C0-B0-08-31-A4"},
    {"Machine 3", "Machine3", "00-10-2B-88-00-34"},
    {"Machine 4", "Machine4", "00-00-48-24-E5-9A"},
    {"Machine 5", "Machine5", "00-AA-00-95-A0-5D"},
    {"Machine 6", "Machine6", "00-F0-00-6A-11-74"},
    {"ServeurA", "ServeurA", "00-35-8A-96-01-42"},
    {"ServeurB", "ServeurB", "00-35-8A-96-01-43"},
}};

constexpr const char* MacSection = "adresses MAC";
constexpr const char* ParameterSection = "parametres";

// Reads the keys for the start, telling a reading, when there is one, how each was read.
class KeyReader {
public:
    KeyReader(const ProfileFile& profile, SeriesReading* reading)
        : profile_(profile), reading_(reading)
    {
    }

    std::string text(const char* section, const char* key, const char* defaultValue,
                     int station = 0)
    {
        std::string value = profile_.readString(section, key, defaultValue);
        if (reading_) {
            reading_->keys.push_back(noted(section, key, defaultValue, value));
            reading_->keys.back().station = station;
        }
        return value;
    }

    // A number brought into low..high.
    int integer(const char* section, const char* key, int defaultValue, int low, int high)
    {
        const int read = profile_.readInt(section, key, defaultValue);
        const int used = std::clamp(read, low, high);
        if (reading_) {
            KeyReading k = noted(section, key, std::to_string(defaultValue), std::to_string(used));
            k.integer = true;
            k.low = low;
            k.high = high;
            k.notANumber = k.entry && !parseProfileInt(k.entry->value);
            k.clamped = used != read;
            reading_->keys.push_back(std::move(k));
        }
        return used;
    }

private:
    KeyReading noted(const char* section, const char* key, std::string defaultValue,
                     std::string used) const
    {
        KeyReading k;
        k.section = section;
        k.key = key;
        k.defaultValue = std::move(defaultValue);
        if (const ProfileEntry* entry = profile_.find(section, key))
            k.entry = *entry;
        k.used = std::move(used);
        return k;
    }

    const ProfileFile& profile_;
    SeriesReading* reading_;
};

void fillStationTable(SharedState& state, KeyReader& keys)
{
    state.StationTable[0] = {"", "adresses MAC"};
    for (int i = 1; i <= StationCount; ++i) {
        const StationDefault& d = StationDefaults[i - 1];
        state.StationTable[i] = {d.name, keys.text(MacSection, d.key, d.mac, i)};
    }
    state.StationTable[BroadcastIndex] = {"Broadcast", BroadcastMac};
}

std::string quoted(const std::filesystem::path& path)
{
    return "« " + path.string() + " »";
}

} // namespace

StartFolderChoice ChooseStartFolder(const std::string& currentFolder,
                                    const std::optional<std::string>& argument)
{
    namespace fs = std::filesystem;
    if (!argument)
        return {currentFolder, {}};
    fs::path path = fs::path(currentFolder) / fs::path(*argument); // an absolute one replaces
    path = path.lexically_normal();
    if (path.filename().empty() && path.has_relative_path())
        path = path.parent_path(); // "serie/" is the folder "serie"

    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::is_directory(status))
        return {path.string(), {}};
    if (status.type() == fs::file_type::not_found) {
        const bool namesConfiguration =
            equalsIgnoringCase(path.filename().string(), ConfigurationFileName);
        return {{},
                (namesConfiguration ? "Le fichier " : "Le dossier ") + quoted(path) +
                    " n'existe pas."};
    }
    if (error)
        return {{}, quoted(path) + " n'est pas accessible."};
    if (fs::is_regular_file(status)) {
        fs::path file = path;
        if (fs::is_symlink(fs::symlink_status(path, error))) {
            const fs::path target = fs::canonical(path, error);
            if (!error)
                file = target;
        }
        if (equalsIgnoringCase(file.filename().string(), ConfigurationFileName))
            return {file.parent_path().string(), {}};
    }
    return {{},
            quoted(path) + " n'est ni un dossier de série ni son fichier de configuration " +
                ConfigurationFileName + "."};
}

StartupOutcome StartUp(SharedState& state, const std::string& startFolder)
{
    state.FlowState = flow::Start;
    SeedRandomFromClock();
    state.FirstExercise = true;
    state.ExerciseNumber = 0;
    state.ErrorTotal = 0;
    return ReadSeries(state, startFolder);
}

StartupOutcome ReadSeries(SharedState& state, const std::string& startFolder,
                          SeriesReading* reading)
{
    StartupOutcome outcome;
    state.TtlMaxText = "99";
    state.ImposedCount = 0;

    state.StartFolder = startFolder;
    const auto path = findFileIgnoringCase(startFolder, ConfigurationFileName);
    auto profile =
        path ? ProfileFile::load(*path, reading ? &reading->configuration : nullptr) : std::nullopt;
    if (reading)
        reading->configurationFile = path;
    if (!profile) {
        outcome.errorBoxes.push_back("KW_switch.ini non trouvé sur " + startFolder);
        return outcome;
    }

    KeyReader keys(*profile, reading);
    fillStationTable(state, keys);

    state.InitialEntries = keys.text(ParameterSection, "entrees_initiales", "00000000");
    // A TTL and a weight are bytes: larger or negative values are brought into range.
    state.TtlMaxText = std::to_string(keys.integer(ParameterSection, "ttl_max", 99, 0, 255));
    state.FreqMulti =
        static_cast<std::uint8_t>(keys.integer(ParameterSection, "freq_multi", 1, 0, 255));
    state.QuestionsFolder = keys.text(ParameterSection, "questions", "");
    if (!state.QuestionsFolder.empty()) {
        if (reading)
            reading->exerciseFileAsked = true;
        if (auto error =
                LoadExerciseFile(state, startFolder, reading ? &reading->exercises : nullptr))
            outcome.errorBoxes.push_back(std::move(*error));
    }

    state.HubAuto = keys.integer(ParameterSection, "hub_auto", 0, 0, MaxHubAuto);
    for (int slot = 1; slot <= MaxHubAuto; ++slot)
        state.HubAutoSlots[slot] = slot <= state.HubAuto;
    state.HubStepCount = 0;
    if (reading)
        reading->profile = std::move(profile);

    if (state.ImposedCount == 0 && !state.RandomAfterImposed) {
        outcome.errorBoxes.push_back(std::string("Ni exercice imposé ni exercice aléatoire") +
                                     "\n\r" + "Fichier d'exercices incorrect");
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

bool StartExercise(SharedState& state, double nowDays)
{
    if (state.ExerciseNumber < UINT16_MAX)
        ++state.ExerciseNumber;
    state.FlowState = flow::ExerciseReady;
    DrawExercise(state);
    state.BroadcastCopied = {};
    const bool first = state.FirstExercise;
    if (first)
        state.SeriesStartTime = nowDays;
    else
        state.LedState = {};
    state.FirstExercise = false;
    return !first;
}

bool StartExercise(SharedState& state)
{
    return StartExercise(state, NowDays());
}

std::string ExerciseNumberCaption(const SharedState& state)
{
    return "Exercice n° = " + std::to_string(state.ExerciseNumber) + "  (" +
           std::to_string(state.ImposedCount) + ")";
}

bool SeriesEnded(const SharedState& state)
{
    return state.ImposedCount <= state.ExerciseNumber && !state.RandomAfterImposed;
}

std::string SeriesEndText(const SharedState& state, double nowDays)
{
    return "TOUS LES EXERCICES ONT ETE TRAITES en " +
           formatElapsed(nowDays - state.SeriesStartTime);
}

} // namespace kw
