#include "switchtable.h"

#include "random.h"

#include <charconv>

namespace kw {

namespace {

constexpr std::uint32_t InitialTableSeed = 123456789u;
constexpr int MaxInitialEntries = 8;

std::string portText(int port)
{
    return std::to_string(port);
}

std::string macOfStation(const SharedState& state, int station)
{
    if (station < 1 || station > BroadcastIndex)
        return "";
    return state.StationTable[static_cast<std::size_t>(station)].mac;
}

} // namespace

int TtlFromText(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return 0;

    long long value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+')
        ++first; // from_chars takes no plus sign
    const auto [end, ec] = std::from_chars(first, last, value);
    if (end != last)
        return 0;
    if (ec == std::errc::result_out_of_range)
        return text.front() == '-' ? 0 : 255;
    if (ec != std::errc{})
        return 0;
    if (value < 0)
        return 0;
    if (value > 255)
        return 255;
    return static_cast<int>(value);
}

SwitchTable InitSwitchTable(const std::string& initialEntries, const std::string& ttlMaxText,
                            const StationMacLookup& stationMac)
{
    SwitchTable table;
    if (initialEntries.empty())
        return table;

    // The first eight characters, not bytes: the text is UTF-8, and an accented letter stands
    // for one (non-station) row as it did in the teacher's file. Each is kept as one byte, a
    // non-ASCII one as a byte that is no station digit.
    std::string kept;
    bool withinCharacter = false;
    for (const char c : initialEntries) {
        const auto byte = static_cast<unsigned char>(c);
        const bool continuation = withinCharacter && (byte & 0xC0) == 0x80;
        withinCharacter = byte >= 0x80;
        if (continuation)
            continue; // the rest of a character already counted
        if (kept.size() == static_cast<std::size_t>(MaxInitialEntries))
            break;
        kept += byte < 0x80 ? c : '?';
    }
    const int n = static_cast<int>(kept.size());

    std::array<bool, StationCount + 1> used{};
    std::array<bool, SwitchLastEntry + 1> validDigit{};
    for (int i = 1; i <= n; ++i) {
        const char c = kept[static_cast<std::size_t>(i - 1)];
        if (c < '1' || c > '8')
            continue;
        validDigit[static_cast<std::size_t>(i)] = true;
        const int station = c - '0';
        if (used[static_cast<std::size_t>(station)])
            continue; // a repeated station keeps only its Ttl
        used[static_cast<std::size_t>(station)] = true;
        SwitchRow& row = table.rows[static_cast<std::size_t>(i)];
        row.address = stationMac ? stationMac(station) : std::string();
        row.port = portText(SwitchPortOf(station));
    }

    SeedRandom(InitialTableSeed);
    const int ttl = TtlFromText(ttlMaxText);
    const auto step = static_cast<std::uint32_t>(ttl / n);
    int cur = ttl;
    for (int r = n; r >= 1; --r) {
        // Every position draws, so that the generator's sequence is the same whatever
        // the characters are.
        cur -= static_cast<int>(RandomBelow(step));
        if (validDigit[static_cast<std::size_t>(r)])
            table.rows[static_cast<std::size_t>(r)].ttl = std::to_string(cur);
    }
    return table;
}

FrameRow MakeFrameRow(const std::string& destinationMac, const std::string& sourceMac)
{
    return FrameRow{destinationMac, sourceMac, "", FrameUpperLayersText, FrameFcsText};
}

FrameRow ShowReceivedFrame(const SharedState& state)
{
    return MakeFrameRow(macOfStation(state, state.CurrentExercise.destination),
                        macOfStation(state, state.CurrentExercise.source));
}

void CopyToEntryRow(SwitchTable& table, const FrameRow& frame, int selectedColumn, int updatePort,
                    const std::string& ttlMaxText)
{
    SwitchRow& entry = table.entryRow();
    const bool columnValid = selectedColumn >= 0 && selectedColumn < static_cast<int>(frame.size());
    entry.address = columnValid ? frame[static_cast<std::size_t>(selectedColumn)] : std::string();
    entry.ttl = std::to_string(TtlFromText(ttlMaxText));
    if (updatePort >= 1 && updatePort <= 4)
        entry.port = portText(updatePort);
}

bool CheckTableUpdate(const SwitchTable& table, const FrameRow& frame, int source)
{
    const SwitchRow& entry = table.entryRow();
    const int port = SwitchPortOf(source);
    // A source that names no station has no arrival port: nothing can be right.
    if (port == 0)
        return false;
    return entry.address == frame[1] && entry.port == portText(port);
}

std::string LookUpDestination(const SwitchTable& table, const FrameRow& frame)
{
    std::string result = UnknownPortText;
    for (int i = SwitchFirstEntry; i <= SwitchLastEntry; ++i) {
        const SwitchRow& row = table.rows[static_cast<std::size_t>(i)];
        // An empty row holds no address, so it never matches, not even an empty one.
        if (!IsEmptyRow(row) && row.address == frame[0])
            result = row.port;
    }
    return result;
}

bool CheckForwardingChoice(const std::string& lookup, ForwardingChoice choice)
{
    if (lookup == "1")
        return choice == ForwardingChoice::Port1;
    if (lookup == "2")
        return choice == ForwardingChoice::Port2;
    if (lookup == "3")
        return choice == ForwardingChoice::Port3;
    if (lookup == "4")
        return choice == ForwardingChoice::Port4;
    if (lookup == UnknownPortText)
        return choice == ForwardingChoice::Unknown;
    return true;
}

void LearnEntry(SwitchTable& table)
{
    SwitchRow& entry = table.entryRow();
    if (!entry.address.empty()) {
        for (int i = SwitchFirstEntry; i <= SwitchLastEntry; ++i) {
            SwitchRow& row = table.rows[static_cast<std::size_t>(i)];
            if (IsEmptyRow(row) || row.address == entry.address) {
                row = entry;
                break;
            }
        }
    }
    entry = SwitchRow{};
}

std::uint8_t SetSwitchFlowState(const std::string& lookup, bool frameFiltered, int source)
{
    std::uint8_t state = flow::TowardsOneHub;
    if (lookup == UnknownPortText && (source == 7 || source == 8))
        state = flow::TowardsBothHubs;
    if (frameFiltered || lookup == "2" || lookup == "3")
        state = flow::ReachedAll;
    return state;
}

int AgeTable(SwitchTable& table)
{
    const int draw = static_cast<int>(RandomBelow(10)) + 8;
    AgeTable(table, draw);
    return draw;
}

void AgeTable(SwitchTable& table, int draw)
{
    for (int i = SwitchFirstEntry; i <= SwitchLastEntry; ++i) {
        SwitchRow& row = table.rows[static_cast<std::size_t>(i)];
        if (row.ttl.empty())
            continue;
        const int t = TtlFromText(row.ttl);
        if (t > draw)
            row.ttl = std::to_string(t - draw);
        else
            row = SwitchRow{};
    }
}

void CompactTable(SwitchTable& table)
{
    auto& rows = table.rows;
    int i = SwitchFirstEntry;
    while (i < SwitchLastEntry) {
        if (!IsEmptyRow(rows[static_cast<std::size_t>(i)])) {
            ++i;
            continue;
        }
        for (int j = i; j < SwitchLastEntry; ++j)
            rows[static_cast<std::size_t>(j)] = rows[static_cast<std::size_t>(j + 1)];
        // The last entry takes an empty row rather than the entry row, so that an entry
        // being prepared is never copied into the table here.
        rows[SwitchLastEntry] = SwitchRow{};

        bool addressBelow = false;
        for (int j = i; j <= SwitchLastEntry; ++j)
            addressBelow = addressBelow || !IsEmptyRow(rows[static_cast<std::size_t>(j)]);
        if (!addressBelow)
            break;
    }
}

EmitDecision DecideEmit(const SwitchTable& table, const FrameRow& frame, int source,
                        ForwardingChoice choice, bool switchTreated)
{
    if (switchTreated)
        return {EmitAction::ReviewLeds, "", ""};
    if (!CheckTableUpdate(table, frame, source))
        return {EmitAction::Refuse, msg::SwitchTableNotUpdated, ""};
    std::string lookup = LookUpDestination(table, frame);
    if (!CheckForwardingChoice(lookup, choice))
        return {EmitAction::Refuse, msg::SwitchAddressesMisread, ""};
    return {EmitAction::OpenLeds, "", std::move(lookup)};
}

std::uint8_t CommitSwitchStep(SwitchTable& table, const std::string& lookup, bool frameFiltered,
                              int source)
{
    LearnEntry(table);
    const std::uint8_t state = SetSwitchFlowState(lookup, frameFiltered, source);
    AgeTable(table);
    CompactTable(table);
    return state;
}

} // namespace kw
