#include "seriescheck.h"

#include "exercises.h"
#include "random.h"
#include "series.h"
#include "switchtable.h"
#include "textfile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

namespace kw {

namespace {

namespace fs = std::filesystem;

// Lines detailed in one part of the report: a hostile file of a million lines is summed up
// after them, its warnings still counted.
constexpr std::size_t MaxDetailedLines = 200;
// How much of a file's line the report quotes, and of a name or value it shows.
constexpr std::size_t MaxQuotedCharacters = 60;
constexpr std::size_t MaxShownCharacters = 120;
constexpr std::size_t MaxQuotedBytes = 1024;
// A name further than this from every known one is no typing slip of one of them.
constexpr std::size_t MaxSlipDistance = 2;

std::string count(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string lineLabel(std::size_t line)
{
    return "ligne " + std::to_string(line) + " : ";
}

std::string linesLabel(std::size_t first, std::size_t last)
{
    if (first == last)
        return lineLabel(first);
    return "lignes " + std::to_string(first) + " à " + std::to_string(last) + " : ";
}

// A text of the files as the report shows it: control characters (C1 ones too, which the
// Windows-1252 fallback can give) as blanks, so that no file can drive the terminal, and cut.
std::string plain(std::string_view utf8, std::size_t maxCharacters = MaxShownCharacters)
{
    std::string text;
    text.reserve(std::min(utf8.size(), 4 * maxCharacters));
    std::size_t characters = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const bool startsCharacter = (byte & 0xC0) != 0x80;
        if (startsCharacter && characters++ == maxCharacters) {
            text += "…";
            break;
        }
        if (byte < 0x20 || byte == 0x7F) {
            text += ' ';
        } else if (byte == 0xC2 && i + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            text += ' ';
            ++i;
        } else {
            text += static_cast<char>(byte);
        }
    }
    return text;
}

// Bytes of the files (names, values), shown plain.
std::string shown(std::string_view bytes)
{
    return plain(toUtf8(bytes));
}

// A line of a file as the report quotes it, its start in UTF-8.
std::string quotedText(std::string_view bytes)
{
    std::size_t end = std::min(bytes.size(), MaxQuotedBytes);
    // Cut between two characters, so that a UTF-8 line stays UTF-8.
    while (end > 0 && end < bytes.size() && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
        --end;
    std::string text = plain(toUtf8(bytes.substr(0, end)), MaxQuotedCharacters);
    if (end < bytes.size() && !text.ends_with("…"))
        text += "…";
    return "« " + text + " »";
}

std::string quotedCharacter(char c)
{
    if (static_cast<unsigned char>(c) >= 0x80)
        return "un caractère accentué";
    return quotedText(std::string_view(&c, 1));
}

std::string lineEndsText(const LineEndCounts& ends)
{
    const std::array<std::pair<std::size_t, const char*>, 3> kinds{{
        {ends.crlf, "Windows (CRLF)"},
        {ends.lf, "Unix (LF)"},
        {ends.cr, "Mac (CR)"},
    }};
    std::string single;
    std::string mixed;
    int present = 0;
    for (const auto& [n, name] : kinds) {
        if (n == 0)
            continue;
        ++present;
        single = name;
        mixed += (mixed.empty() ? "" : ", ") + std::to_string(n) + " " + name;
    }
    if (present == 0)
        return "aucune (une seule ligne ou fichier vide)";
    if (present == 1)
        return single;
    return "mélangées : " + mixed;
}

std::string decodingText(const TextFileFacts& facts, bool utf8, const LineEndCounts& ends)
{
    std::string encoding;
    switch (facts.encoding) {
    case TextEncoding::Plain:
        encoding = utf8 ? "UTF-8" : "Windows-1252 (repli : le fichier n'est pas de l'UTF-8 valide)";
        break;
    case TextEncoding::Utf8WithBom:
        encoding = utf8 ? "UTF-8 avec BOM"
                        : "UTF-8 avec BOM, mais pas valide : lu en Windows-1252 (repli)";
        break;
    case TextEncoding::Utf16LittleEndian:
        encoding = "UTF-16 petit-boutiste (avec BOM)";
        break;
    case TextEncoding::Utf16BigEndian:
        encoding = "UTF-16 gros-boutiste (avec BOM)";
        break;
    }
    return "lu en " + encoding + ", fins de ligne " + lineEndsText(ends);
}

std::string cutText()
{
    return "fichier de plus de " + std::to_string(MaxTextFileBytes / (1024 * 1024)) +
           " Mio : la suite est ignorée";
}

// The start's message as a line of the report: its words as the box shows them, one line of
// the box a line here (the box's "\n\r" and "\r\n" each break the line once).
std::string messageText(std::string_view message)
{
    std::string text;
    LineReader lines(message);
    while (const auto next = lines.next()) {
        std::string_view line = *next;
        while (line.starts_with(' '))
            line.remove_prefix(1);
        while (line.ends_with(' '))
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

// A folder or file as the report names it: "serie/." is the folder "serie".
std::string shownPath(const fs::path& path)
{
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.ends_with('/'))
        text.pop_back();
    return plain(toUtf8(text), std::string::npos);
}

// ---- Typing slips ------------------------------------------------------------------------

// Names compared as a teacher would confuse them: case, '-', '_' and blanks alike.
std::string slipFolded(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == '-' || c == ' ')
            c = '_';
    }
    return folded;
}

std::size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The one known name closest to `name`, when it is near enough to be what was meant.
std::optional<std::string> likelyMeant(std::string_view name, const std::vector<std::string>& known)
{
    const std::string folded = slipFolded(name);
    std::optional<std::string> best;
    std::size_t bestDistance = MaxSlipDistance + 1;
    bool tie = false;
    for (const std::string& candidate : known) {
        const std::string other = slipFolded(candidate);
        const std::size_t apart =
            std::max(folded.size(), other.size()) - std::min(folded.size(), other.size());
        if (apart > MaxSlipDistance)
            continue;
        const std::size_t distance = editDistance(folded, other);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
            tie = false;
        } else if (distance == bestDistance) {
            tie = true;
        }
    }
    if (tie)
        return std::nullopt;
    return best;
}

// ---- Parts of the report -----------------------------------------------------------------

// The lines past MaxDetailedLines of one part: counted, and said in one line at the level of
// the worst of them.
struct LeftOut {
    std::size_t lines = 0;
    std::size_t warnings = 0;
    ReportLevel worst = ReportLevel::Info;

    void add(ReportLevel level)
    {
        ++lines;
        if (level != ReportLevel::Info)
            ++warnings;
        worst = std::max(worst, level);
    }

    LeftOut& operator+=(const LeftOut& other)
    {
        lines += other.lines;
        warnings += other.warnings;
        worst = std::max(worst, other.worst);
        return *this;
    }

    void appendTo(std::vector<ReportLine>& out) const
    {
        if (lines == 0)
            return;
        std::string text =
            "… et " + count(lines, "autre ligne non détaillée", "autres lignes non détaillées");
        if (warnings > 0)
            text += ", dont " + std::to_string(warnings) + " à vérifier";
        out.push_back({worst, std::move(text)});
    }
};

// Lines of one part, the first MaxDetailedLines in full and the others counted.
class DetailedLines {
public:
    explicit DetailedLines(std::vector<ReportLine>& out) : out_(out) {}

    template <typename MakeText> void add(ReportLevel level, MakeText&& makeText)
    {
        if (detailed_ < MaxDetailedLines) {
            out_.push_back({level, makeText()});
            ++detailed_;
        } else {
            leftOut_.add(level);
        }
    }

    void finish()
    {
        leftOut_.appendTo(out_);
        leftOut_ = {};
    }

private:
    std::vector<ReportLine>& out_;
    std::size_t detailed_ = 0;
    LeftOut leftOut_;
};

// Lines of the configuration that the reading left out, with their line numbers so that two
// lists of them can be merged in the file's order.
struct NumberedLine {
    std::size_t line;
    ReportLine text;
};

struct NumberedLines {
    std::vector<NumberedLine> lines;
    LeftOut leftOut;

    // Lines come in the file's order: the first ones are the ones kept.
    template <typename MakeText> void add(std::size_t line, ReportLevel level, MakeText&& makeText)
    {
        if (lines.size() < MaxDetailedLines)
            lines.push_back({line, {level, makeText()}});
        else
            leftOut.add(level);
    }
};

void profileRemark(NumberedLines& out, const ProfileRemark& r)
{
    using Kind = ProfileRemark::Kind;
    const std::string at = lineLabel(r.line);
    switch (r.kind) {
    case Kind::KeyOutsideSection:
        out.add(r.line, ReportLevel::Warning,
                [&] { return at + quotedText(r.text) + " ignorée : hors de toute section"; });
        break;
    case Kind::RepeatedSection:
        out.add(r.line, ReportLevel::Warning, [&] {
            return at + "section [" + shown(r.name) +
                   "] répétée : ses clés ne sont pas lues, seule compte celle de la ligne " +
                   std::to_string(r.firstLine);
        });
        break;
    case Kind::KeyOfRepeatedSection:
        break; // said once, with its section
    case Kind::RepeatedKey:
        out.add(r.line, ReportLevel::Warning, [&] {
            return at + quotedText(r.text) +
                   " ignorée : clé répétée, seule compte celle de la ligne " +
                   std::to_string(r.firstLine);
        });
        break;
    case Kind::NotAKeyLine:
        if (r.text.starts_with('#')) {
            out.add(r.line, ReportLevel::Info, [&] {
                return at + quotedText(r.text) +
                       " ignorée (« # » ne commence pas un commentaire, mais la ligne n'a pas "
                       "de « = »)";
            });
        } else {
            out.add(r.line, ReportLevel::Warning, [&] {
                return at + quotedText(r.text) +
                       " ignorée : ni [section], ni clé=valeur, ni commentaire « ; »";
            });
        }
        break;
    case Kind::ValueCut:
        out.add(r.line, ReportLevel::Warning, [&] {
            return at + "la valeur de " + shown(r.name) + " est coupée à ses " +
                   std::to_string(MaxProfileValueLength) + " premiers caractères";
        });
        break;
    }
}

std::vector<std::string> knownSections(const SeriesReading& reading)
{
    std::vector<std::string> sections;
    for (const KeyReading& k : reading.keys) {
        if (std::find(sections.begin(), sections.end(), k.section) == sections.end())
            sections.push_back(k.section);
    }
    return sections;
}

std::vector<std::string> knownKeys(const SeriesReading& reading, std::string_view section)
{
    std::vector<std::string> keys;
    for (const KeyReading& k : reading.keys) {
        if (equalsIgnoringCase(k.section, section))
            keys.push_back(k.key);
    }
    return keys;
}

// The sections and keys of the file that the start does not read.
void unknownNames(NumberedLines& out, const SeriesReading& reading)
{
    const std::vector<std::string> sections = knownSections(reading);
    for (const ProfileSection& section : reading.profile->sections()) {
        const auto known =
            std::find_if(sections.begin(), sections.end(), [&](const std::string& name) {
                return equalsIgnoringCase(name, section.name);
            });
        if (known == sections.end()) {
            out.add(section.line, ReportLevel::Warning, [&] {
                const std::size_t n = section.entries.size();
                std::string text =
                    lineLabel(section.line) + "section [" + shown(section.name) + "] inconnue";
                text += n == 0   ? ", sans clé"
                        : n == 1 ? " : sa clé est ignorée"
                                 : " : ses " + std::to_string(n) + " clés sont ignorées";
                if (const auto meant = likelyMeant(section.name, sections))
                    text += " (faute de frappe pour [" + *meant + "] ?)";
                return text;
            });
            continue;
        }
        const std::vector<std::string> keys = knownKeys(reading, *known);
        for (const ProfileEntry& entry : section.entries) {
            const bool read = std::any_of(keys.begin(), keys.end(), [&](const std::string& key) {
                return equalsIgnoringCase(key, entry.key);
            });
            if (read)
                continue;
            out.add(entry.line, ReportLevel::Warning, [&] {
                std::string text = lineLabel(entry.line) + "clé " + quotedText(entry.key) +
                                   " inconnue dans [" + shown(section.name) + "] : ignorée";
                const auto elsewhere = std::find_if(
                    reading.keys.begin(), reading.keys.end(),
                    [&](const KeyReading& k) { return equalsIgnoringCase(k.key, entry.key); });
                if (elsewhere != reading.keys.end())
                    text += " (" + elsewhere->key + " est une clé de la section [" +
                            elsewhere->section + "])";
                else if (entry.key.starts_with('#'))
                    text += " (« # » ne commence pas un commentaire : écrire « ; »)";
                else if (const auto meant = likelyMeant(entry.key, keys))
                    text += " (faute de frappe pour " + *meant + " ?)";
                return text;
            });
        }
    }
}

std::string keyMeaning(const KeyReading& k, const SharedState& state, const SeriesReading& reading)
{
    if (k.station > 0)
        return "adresse MAC de " + state.StationTable[static_cast<std::size_t>(k.station)].name +
               " : " + shown(k.used);
    if (k.key == "entrees_initiales")
        return k.used.empty() ? "table du switch vide au départ"
                              : "table du switch au départ : voir plus bas";
    if (k.key == "ttl_max")
        return "durée de vie des entrées de la table du switch : " + k.used;
    if (k.key == "freq_multi") {
        std::string text = k.used == "0"
                               ? std::string("jamais de Broadcast dans le tirage au hasard")
                               : "poids du Broadcast dans le tirage au hasard : " + k.used +
                                     (k.used == "1" ? " chance" : " chances") +
                                     " contre 1 pour chacune des 7 autres stations";
        if (!state.RandomAfterImposed)
            text += " ; sans effet ici : aucun exercice n'est tiré au hasard";
        return text;
    }
    if (k.key == "questions")
        return k.used.empty()
                   ? std::string("aucun fichier d'exercices")
                   : "dossier du fichier d'exercices : " + shownPath(reading.exercises.folder);
    if (k.key == "hub_auto")
        return k.used == "0"
                   ? std::string("les hubs restent toujours à traiter à la main")
                   : "hubs traités automatiquement après " + k.used + " passages réussis de suite";
    return "valeur utilisée : " + k.used;
}

ReportLine keyLine(const KeyReading& k, const SharedState& state, const SeriesReading& reading)
{
    const std::string meaning = keyMeaning(k, state, reading);
    if (!k.entry)
        return {ReportLevel::Info, k.key + " absente : valeur par défaut → " + meaning};
    std::string text = lineLabel(k.entry->line) + shown(k.entry->key) + "=" + shown(k.entry->value);
    ReportLevel level = ReportLevel::Info;
    if (k.notANumber) {
        text += " : pas un nombre entier, valeur par défaut " + k.defaultValue;
        level = ReportLevel::Warning;
    } else if (k.clamped) {
        text += " : hors de " + std::to_string(k.low) + " à " + std::to_string(k.high) +
                ", ramené à " + k.used;
        level = ReportLevel::Warning;
    }
    return {level, text + " → " + meaning};
}

std::string foundText(const fs::path& file, const char* expectedName)
{
    std::string text = "fichier lu : " + shownPath(file);
    if (file.filename() != expectedName)
        text += std::string(" (nom écrit autrement que ") + expectedName + ")";
    return text;
}

void configurationSections(SeriesReport& report, const SharedState& state,
                           const SeriesReading& reading, NumberedLines& remarks)
{
    ReportSection file{"Configuration", {}};
    if (!reading.configurationFile) {
        file.lines.push_back(
            {ReportLevel::Info, std::string("aucun fichier ") + ConfigurationFileName +
                                    " (quelle que soit la casse) dans ce dossier"});
        report.sections.push_back(std::move(file));
        return;
    }
    file.lines.push_back(
        {ReportLevel::Info, foundText(*reading.configurationFile, ConfigurationFileName)});
    if (!reading.profile) {
        file.lines.push_back({ReportLevel::Info, "fichier illisible"});
        report.sections.push_back(std::move(file));
        return;
    }
    const ProfileReading& read = reading.configuration;
    file.lines.push_back({ReportLevel::Info, decodingText(read.file, read.utf8, read.lineEnds)});
    if (read.file.cut)
        file.lines.push_back({ReportLevel::Warning, cutText()});
    report.sections.push_back(std::move(file));

    for (const std::string& section : knownSections(reading)) {
        ReportSection keys{"Configuration, section [" + section + "]", {}};
        for (const KeyReading& k : reading.keys) {
            if (k.section == section)
                keys.lines.push_back(keyLine(k, state, reading));
        }
        report.sections.push_back(std::move(keys));
    }

    NumberedLines unknown;
    unknownNames(unknown, reading);
    std::vector<NumberedLine> lines = std::move(remarks.lines);
    lines.insert(lines.end(), std::make_move_iterator(unknown.lines.begin()),
                 std::make_move_iterator(unknown.lines.end()));
    if (lines.empty())
        return;
    std::stable_sort(lines.begin(), lines.end(),
                     [](const NumberedLine& a, const NumberedLine& b) { return a.line < b.line; });
    ReportSection ignored{"Configuration, lignes ignorées ou corrigées", {}};
    LeftOut leftOut = remarks.leftOut;
    leftOut += unknown.leftOut;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i < MaxDetailedLines)
            ignored.lines.push_back(std::move(lines[i].text));
        else
            leftOut.add(lines[i].text.level);
    }
    leftOut.appendTo(ignored.lines);
    report.sections.push_back(std::move(ignored));
}

// ---- Exercise lines ----------------------------------------------------------------------

bool hasDigit(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
}

// The lines of the exercise file, runs of comments and blank lines each said once.
class ExerciseLines {
public:
    ExerciseLines(std::vector<ReportLine>& out, const SharedState& state)
        : lines_(out), state_(state)
    {
    }

    void seen(const ExerciseLineSeen& seen)
    {
        const ExerciseLine& p = seen.parsed;
        const bool silent = p.why == IgnoredBecause::Blank || p.why == IgnoredBecause::Comment ||
                            (p.why == IgnoredBecause::NotASourceDigit && !hasDigit(seen.text));
        if (silent) {
            if (!run_ || run_->last + 1 != seen.number)
                flush();
            if (!run_)
                run_ = Run{seen.number, seen.number, false, false};
            run_->last = seen.number;
            (p.why == IgnoredBecause::Blank ? run_->blanks : run_->comments) = true;
            return;
        }
        flush();
        const std::string at = lineLabel(seen.number);
        switch (p.kind) {
        case ExerciseLineKind::End:
            lines_.add(ReportLevel::Info, [&] { return at + "FIN : fin de la série"; });
            return;
        case ExerciseLineKind::Exercise:
            exercise(seen, at);
            return;
        case ExerciseLineKind::Ignored:
            lines_.add(ReportLevel::Warning, [&] { return at + ignoredText(seen); });
            return;
        }
    }

    void finish()
    {
        flush();
        lines_.finish();
    }

private:
    struct Run {
        std::size_t first;
        std::size_t last;
        bool comments;
        bool blanks;
    };

    std::string name(int station) const
    {
        return state_.StationTable[static_cast<std::size_t>(station)].name;
    }

    std::string pairText(const ExercisePair& pair) const
    {
        return name(pair.source) + " → " + name(pair.destination);
    }

    void exercise(const ExerciseLineSeen& seen, const std::string& at)
    {
        const ExerciseLine& p = seen.parsed;
        if (seen.imposedNumber == 0) {
            lines_.add(ReportLevel::Warning, [&] {
                return at + "ignorée (au-delà des " + std::to_string(MaxImposed) +
                       " exercices retenus) : " + pairText(p.pair);
            });
            return;
        }
        const std::string_view text = seen.text;
        const auto first = text.find_first_not_of(" \t");
        // "#" reads as a comment to many, but it is skipped as punctuation here.
        const bool hash = first != std::string_view::npos && text[first] == '#';
        lines_.add(hash ? ReportLevel::Warning : ReportLevel::Info, [&] {
            std::string line =
                at + pairText(p.pair) + " (exercice " + std::to_string(seen.imposedNumber) + ")";
            if (hash)
                line += " : « # » ne commence pas un commentaire, la ligne est lue comme un "
                        "exercice";
            return line;
        });
    }

    std::string ignoredText(const ExerciseLineSeen& seen) const
    {
        const ExerciseLine& p = seen.parsed;
        const std::string line = " : " + quotedText(seen.text);
        const std::string source = std::to_string(p.pair.source);
        switch (p.why) {
        case IgnoredBecause::MisplacedEnd:
            return "ignorée (FIN ne termine la série qu'écrit en majuscules, dès le premier "
                   "caractère)" +
                   line;
        case IgnoredBecause::SourceNine:
            return "ignorée (9, le Broadcast, ne peut être que la destination)" + line;
        case IgnoredBecause::NotASourceDigit:
            return "ignorée (" + quotedCharacter(p.found) +
                   " n'est pas un chiffre de source 1 à 8)" + line;
        case IgnoredBecause::NoDestination:
            return "ignorée (pas de destination après la source " + source + ")" + line;
        case IgnoredBecause::NotADestinationDigit:
            return "ignorée (" + quotedCharacter(p.found) + " après la source " + source +
                   " n'est pas un chiffre de destination)" + line;
        case IgnoredBecause::ZeroDigit:
            return "ignorée (chiffre 0 : aucune station ne porte ce numéro)" + line;
        case IgnoredBecause::SameStation:
            return "ignorée (source et destination identiques : " + source + " " + source + ")";
        case IgnoredBecause::Nothing:
        case IgnoredBecause::Blank:
        case IgnoredBecause::Comment:
            break;
        }
        return "ignorée" + line;
    }

    void flush()
    {
        if (!run_)
            return;
        const Run run = *run_;
        run_.reset();
        lines_.add(ReportLevel::Info, [&] {
            const bool many = run.first != run.last;
            std::string what;
            if (run.comments && run.blanks)
                what = "commentaires et lignes vides";
            else if (run.comments)
                what = many ? "commentaires" : "commentaire";
            else
                what = many ? "lignes vides" : "ligne vide";
            return linesLabel(run.first, run.last) + what;
        });
    }

    DetailedLines lines_;
    const SharedState& state_;
    std::optional<Run> run_;
};

void seriesSection(SeriesReport& report, const std::string& currentFolder,
                   const std::optional<std::string>& argument, const SeriesReading& reading)
{
    ReportSection section{"Série", {{ReportLevel::Info, "dossier : " + report.series}}};
    if (argument && reading.configurationFile) {
        // A file given in one letter case while the folder holds the exact name too: the
        // start reads the exact one, not the one the teacher named.
        const fs::path given = (fs::path(currentFolder) / fs::path(*argument)).lexically_normal();
        std::error_code error;
        std::error_code other;
        if (fs::is_regular_file(given, error)) {
            const fs::path named = fs::canonical(given, error);
            const fs::path read = fs::canonical(*reading.configurationFile, other);
            if (!error && !other && named != read)
                section.lines.push_back(
                    {ReportLevel::Warning,
                     "le fichier donné, " + shownPath(given) +
                         ", n'est pas celui que le programme lit : dans ce dossier, " +
                         shownPath(read.filename()) + " passe avant lui"});
        }
    }
    report.sections.push_back(std::move(section));
}

void exerciseSection(SeriesReport& report, const SharedState& state, const SeriesReading& reading,
                     std::vector<ReportLine> lines)
{
    ReportSection section{"Exercices", {}};
    auto add = [&](ReportLevel level, std::string text) {
        section.lines.push_back({level, std::move(text)});
    };
    const ExerciseFileReading& file = reading.exercises;
    if (!reading.exerciseFileAsked) {
        add(ReportLevel::Info, "aucun fichier d'exercices : la clé questions est absente ou vide");
    } else {
        add(ReportLevel::Info, "dossier : " + shownPath(file.folder) +
                                   " (questions=" + shown(state.QuestionsFolder) + ")");
        if (!file.read) {
            add(ReportLevel::Warning, file.file
                                          ? "fichier illisible : " + shownPath(*file.file)
                                          : std::string("aucun fichier ") + ExerciseFileName +
                                                " (quelle que soit la casse) dans ce dossier");
        } else {
            add(ReportLevel::Info, foundText(*file.file, ExerciseFileName));
            add(ReportLevel::Info, decodingText(file.facts, file.text.utf8, file.text.lineEnds));
            if (file.facts.cut)
                add(ReportLevel::Warning, cutText());
            section.lines.insert(section.lines.end(), std::make_move_iterator(lines.begin()),
                                 std::make_move_iterator(lines.end()));
            if (file.text.linesAfterEnd > 0)
                add(ReportLevel::Info,
                    linesLabel(file.text.endLine + 1, file.text.endLine + file.text.linesAfterEnd) +
                        (file.text.linesAfterEnd == 1 ? "après FIN, non lue"
                                                      : "après FIN, non lues"));
        }
    }

    const int imposed = state.ImposedCount;
    add(ReportLevel::Info, "exercices imposés : " + std::to_string(imposed));
    if (state.RandomAfterImposed)
        add(ReportLevel::Info,
            imposed == 0
                ? std::string("pas de FIN : tous les exercices sont tirés au hasard, "
                              "sans fin")
                : "pas de FIN : après " + count(imposed, "exercice imposé", "exercices imposés") +
                      ", des exercices tirés au hasard, sans fin");
    else if (imposed > 0)
        add(ReportLevel::Info, "FIN : la série s'arrête après l'exercice " +
                                   std::to_string(imposed) +
                                   " et affiche « TOUS LES EXERCICES ONT ETE TRAITES en » "
                                   "suivi du temps passé (hh:mm:ss)");
    else
        add(ReportLevel::Info, "ni exercice imposé ni exercice tiré au hasard");
    report.sections.push_back(std::move(section));
}

// The characters of a UTF-8 text, one text each.
std::vector<std::string> charactersOf(std::string_view text)
{
    std::vector<std::string> characters;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 || characters.empty())
            characters.emplace_back();
        characters.back() += c;
    }
    return characters;
}

void switchTableSection(SeriesReport& report, const SharedState& state)
{
    ReportSection section{"Table du switch au départ (entrees_initiales)", {}};
    const std::string& entries = state.InitialEntries;
    if (entries.empty()) {
        section.lines.push_back(
            {ReportLevel::Info, "vide : le switch ne connaît aucune station au départ"});
        report.sections.push_back(std::move(section));
        return;
    }
    const SwitchTable table = InitSwitchTable(entries, state.TtlMaxText, [&](int station) {
        return station >= 1 && station <= StationCount
                   ? state.StationTable[static_cast<std::size_t>(station)].mac
                   : std::string();
    });
    const std::vector<std::string> characters = charactersOf(entries);
    const std::size_t n = std::min<std::size_t>(characters.size(), SwitchLastEntry);

    std::size_t emptyFrom = 0; // a run of rows plainly empty, said once
    auto flush = [&](std::size_t row) {
        if (emptyFrom == 0)
            return;
        const bool many = emptyFrom + 1 < row;
        section.lines.push_back(
            {ReportLevel::Info, (many ? "entrées " + std::to_string(emptyFrom) + " à " +
                                            std::to_string(row - 1) + " : vides"
                                      : "entrée " + std::to_string(emptyFrom) + " : vide")});
        emptyFrom = 0;
    };
    for (std::size_t row = SwitchFirstEntry; row <= static_cast<std::size_t>(SwitchLastEntry);
         ++row) {
        const SwitchRow& r = table.rows[row];
        const std::string at = "entrée " + std::to_string(row) + " : ";
        const std::string character = row <= n ? characters[row - 1] : std::string();
        // No character, or the 0 the default itself is made of: an empty row meant as such.
        if (IsEmptyRow(r) && r.ttl.empty() && (row > n || character == "0")) {
            if (emptyFrom == 0)
                emptyFrom = row;
            continue;
        }
        flush(row);
        if (!IsEmptyRow(r)) {
            const int station = character[0] - '0';
            section.lines.push_back(
                {ReportLevel::Info,
                 at + state.StationTable[static_cast<std::size_t>(station)].name + ", " +
                     shown(r.address) + ", port " + r.port + ", TTL " + r.ttl});
        } else if (!r.ttl.empty()) {
            std::size_t earlier = 1;
            while (earlier < row && characters[earlier - 1] != character)
                ++earlier;
            const int station = character[0] - '0';
            section.lines.push_back(
                {ReportLevel::Warning,
                 at + "vide, TTL " + r.ttl + " seul (« " + character +
                     " » : " + state.StationTable[static_cast<std::size_t>(station)].name +
                     " est déjà en entrée " + std::to_string(earlier) + ")"});
        } else {
            section.lines.push_back(
                {ReportLevel::Warning, at + "vide (" + quotedText(character) +
                                           " n'est pas un chiffre de station 1 à 8)"});
        }
    }
    flush(SwitchLastEntry + 1);
    if (characters.size() > n) {
        std::string rest;
        for (std::size_t i = n; i < characters.size(); ++i)
            rest += characters[i];
        section.lines.push_back(
            {ReportLevel::Warning, "caractères après le huitième ignorés : " + quotedText(rest)});
    }
    section.lines.push_back(
        {ReportLevel::Info,
         "le tirage au hasard repart d'une graine fixe : à partir du deuxième exercice, les "
         "exercices tirés au hasard et le vieillissement de la table sont les mêmes à chaque "
         "lancement"});
    report.sections.push_back(std::move(section));
}

void startSection(SeriesReport& report, const std::vector<std::string>& boxes, bool ok)
{
    ReportSection section{"Au démarrage", {}};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        // Only the last box of a start that stops ends the program.
        const bool refusal = !ok && i + 1 == boxes.size();
        section.lines.push_back(
            {refusal ? ReportLevel::Refusal : ReportLevel::Warning, messageText(boxes[i])});
    }
    if (boxes.empty())
        section.lines.push_back(
            {ReportLevel::Info, "aucun message d'erreur : le premier exercice s'affiche"});
    report.sections.push_back(std::move(section));
}

} // namespace

SeriesReport CheckSeries(const std::string& currentFolder,
                         const std::optional<std::string>& argument)
{
    SeriesReport report;
    const StartFolderChoice choice = ChooseStartFolder(currentFolder, argument);
    if (!choice.error.empty()) {
        report.series = shown(argument.value_or(currentFolder));
        startSection(report, {choice.error}, false);
        return report;
    }
    report.series = shownPath(choice.folder);

    // The switch's table reseeds the generator: whoever calls finds it as it was.
    const std::uint32_t seed = RandomSeed();
    SharedState state;
    SeriesReading reading;
    NumberedLines remarks;
    reading.configuration.remark = [&](const ProfileRemark& r) { profileRemark(remarks, r); };
    std::vector<ReportLine> exerciseLines;
    ExerciseLines lines(exerciseLines, state);
    reading.exercises.text.line = [&](const ExerciseLineSeen& seen) { lines.seen(seen); };
    const StartupOutcome outcome = ReadSeries(state, choice.folder, &reading);
    lines.finish();

    seriesSection(report, currentFolder, argument, reading);
    configurationSections(report, state, reading, remarks);
    if (reading.profile) {
        exerciseSection(report, state, reading, std::move(exerciseLines));
        switchTableSection(report, state);
    }
    startSection(report, outcome.errorBoxes, outcome.ok);
    SeedRandom(seed);
    return report;
}

int SeriesReport::status() const
{
    ReportLevel worst = ReportLevel::Info;
    for (const ReportSection& section : sections) {
        for (const ReportLine& line : section.lines)
            worst = std::max(worst, line.level);
    }
    return static_cast<int>(worst);
}

std::string ReportText(const SeriesReport& report)
{
    std::string text = "Vérification de la série " + report.series + "\n";
    for (const ReportSection& section : report.sections) {
        text += "\n" + section.title + "\n";
        for (const ReportLine& line : section.lines) {
            const std::string prefix = line.level == ReportLevel::Warning   ? "attention : "
                                       : line.level == ReportLevel::Refusal ? "refus : "
                                                                            : "";
            // The lines of a message stay under one another.
            const std::string indent = "  " + std::string(prefix.size(), ' ');
            text += "  " + prefix;
            for (const char c : line.text) {
                text += c;
                if (c == '\n')
                    text += indent;
            }
            text += '\n';
        }
    }
    text += "\n";
    switch (report.status()) {
    case 0:
        text += "Bilan : la série se joue comme elle est écrite (code 0).\n";
        break;
    case 1:
        text += "Bilan : la série démarre, mais ne se joue pas tout à fait comme elle est "
                "écrite : voir les lignes « attention » (code 1).\n";
        break;
    default:
        text += "Bilan : le programme refuserait de démarrer cette série : voir les lignes "
                "« refus » (code 2).\n";
        break;
    }
    return text;
}

} // namespace kw
