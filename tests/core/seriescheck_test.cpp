#include "random.h"
#include "series.h"
#include "seriescheck.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kw::test::dataPath;
using kw::test::TempFolder;
using namespace std::string_literals;

// The report's lines without their indentation.
std::vector<std::string> trimmedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(begin, end - begin);
        line.erase(0, line.find_first_not_of(' '));
        lines.push_back(line);
        begin = end + 1;
    }
    return lines;
}

std::string utf16LittleEndian(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::string repeated(const std::string& line, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += line;
    return text;
}

// ---- What the report says of small series ------------------------------------------------

struct CheckCase {
    const char* name;
    std::optional<std::string> configuration; // nothing: no configuration file
    std::optional<std::string> exercises;     // nothing: no exercise file
    int status;
    std::vector<std::string> lines; // lines the report holds; "@" is the series' folder
    const char* configurationName = "kw_switch.INI";
    const char* exercisesName = "switchexos.kw";
};

void PrintTo(const CheckCase& c, std::ostream* os)
{
    *os << c.name;
}

class SeriesCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SeriesCheck, SaysHowTheStartReadsTheSeries)
{
    const CheckCase& c = GetParam();
    TempFolder folder;
    if (c.configuration)
        folder.write(c.configurationName, *c.configuration);
    if (c.exercises)
        folder.write(c.exercisesName, *c.exercises);
    const std::string series = folder.path().string();
    const kw::SeriesReport report = kw::CheckSeries("/", series);
    const std::string text = kw::ReportText(report);
    EXPECT_EQ(report.status(), c.status) << text;
    const std::vector<std::string> lines = trimmedLines(text);
    for (std::string expected : c.lines) {
        for (auto at = expected.find('@'); at != std::string::npos; at = expected.find('@'))
            expected.replace(at, 1, series);
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end())
            << "missing: " << expected << "\n"
            << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Series, SeriesCheck,
    ::testing::Values(
        CheckCase{"PlaysAsWritten",
                  "[adresses MAC]\r\nServeurB = 12-34-56-78-9A-BC\r\n[parametres]\r\n"
                  "entrees_initiales=78\r\nttl_max=99\r\nfreq_multi=0\r\nquestions=.\r\n"
                  "hub_auto=0x10\r\n",
                  "; série\r\n1 2\r\n\r\n7,9 le serveur à tous\r\nFIN\r\n3 4\r\n",
                  0,
                  {"fichier lu : @/kw_switch.INI", "lu en UTF-8, fins de ligne Windows (CRLF)",
                   "ligne 2 : ServeurB=12-34-56-78-9A-BC → adresse MAC de ServeurB : "
                   "12-34-56-78-9A-BC",
                   "Machine1 absente : valeur par défaut → adresse MAC de Machine 1 : "
                   "00-C0-B0-69-16-25",
                   "ligne 6 : freq_multi=0 → jamais de Broadcast dans le tirage au hasard ; sans "
                   "effet ici : aucun exercice n'est tiré au hasard",
                   "ligne 8 : hub_auto=0x10 → hubs traités automatiquement après 16 passages "
                   "réussis de suite",
                   "fichier lu : @/switchexos.kw", "ligne 1 : commentaire",
                   "ligne 2 : Machine 1 → Machine 2 (exercice 1)", "ligne 3 : ligne vide",
                   "ligne 4 : ServeurA → Broadcast (exercice 2)", "ligne 5 : FIN : fin de la série",
                   "ligne 6 : après FIN, non lue", "exercices imposés : 2",
                   "FIN : la série s'arrête après l'exercice 2 et affiche « TOUS LES EXERCICES "
                   "ONT ETE TRAITES en » suivi du temps passé (hh:mm:ss)",
                   // The draws of the fixed seed for two entries under 99.
                   "entrée 1 : ServeurA, 00-35-8A-96-01-42, port 2, TTL 54",
                   "entrée 2 : ServeurB, 12-34-56-78-9A-BC, port 3, TTL 73",
                   "entrées 3 à 8 : vides",
                   "aucun message d'erreur : le premier exercice s'affiche"}},
        CheckCase{"DefaultsCommentsOtherEncodingsAndNames",
                  "; S\xe9rie\r[Parametres]\rQUESTIONS=.\r# pas un commentaire\r"s,
                  utf16LittleEndian("Machine 1 vers 2\r\n3-9\r\n"),
                  0,
                  {"fichier lu : @/Kw_Switch.ini (nom écrit autrement que kw_switch.INI)",
                   "lu en Windows-1252 (repli : le fichier n'est pas de l'UTF-8 valide), fins de "
                   "ligne Mac (CR)",
                   "ttl_max absente : valeur par défaut → durée de vie des entrées de la table "
                   "du switch : 99",
                   "ligne 3 : QUESTIONS=. → dossier du fichier d'exercices : @",
                   "ligne 4 : « # pas un commentaire » ignorée (« # » ne commence pas un "
                   "commentaire, mais la ligne n'a pas de « = »)",
                   "fichier lu : @/SWITCHEXOS.KW (nom écrit autrement que switchexos.kw)",
                   "lu en UTF-16 petit-boutiste (avec BOM), fins de ligne Windows (CRLF)",
                   "ligne 1 : commentaire", "ligne 2 : Machine 3 → Broadcast (exercice 1)",
                   "pas de FIN : après 1 exercice imposé, des exercices tirés au hasard, sans fin",
                   "entrées 1 à 8 : vides"},
                  "Kw_Switch.ini",
                  "SWITCHEXOS.KW"},
        CheckCase{"ValuesCorrected",
                  "[adresses MAC]\r\nMachine1=" + std::string(2100, 'A') +
                      "\r\n[parametres]\r\nttl_max=300\r\nfreq_multi=99 ; commentaire\r\n"
                      "hub_auto=-3\r\nquestions=.\r\n",
                  "1 2\r\nFIN\r\n",
                  1,
                  {"attention : ligne 2 : la valeur de Machine1 est coupée à ses 2047 premiers "
                   "caractères",
                   "attention : ligne 4 : ttl_max=300 : hors de 0 à 255, ramené à 255 → durée de "
                   "vie des entrées de la table du switch : 255",
                   "attention : ligne 5 : freq_multi=99 ; commentaire : pas un nombre entier, "
                   "valeur par défaut 1 → poids du Broadcast dans le tirage au hasard : 1 chance "
                   "contre 1 pour chacune des 7 autres stations ; sans effet ici : aucun exercice "
                   "n'est tiré au hasard",
                   "attention : ligne 6 : hub_auto=-3 : hors de 0 à 16, ramené à 0 → les hubs "
                   "restent toujours à traiter à la main"}},
        CheckCase{"NamesTheStartDoesNotRead",
                  "questions=avant\r\n[parametres]\r\nttl-max=50\r\nttl_max=40\r\nTTL_MAX=30\r\n"
                  "hub_auto 4\r\n#x=1\r\nquestions=.\r\n[paramètres]\r\nhub_auto=2\r\n"
                  "[adresses MAC]\r\nttl_max=4\r\nMachine7=00-00-00-00-00-07\r\n[PARAMETRES]\r\n"
                  "freq_multi=3\r\n",
                  "1 2\r\nFIN\r\n",
                  1,
                  {"attention : ligne 1 : « questions=avant » ignorée : hors de toute section",
                   "attention : ligne 3 : clé « ttl-max » inconnue dans [parametres] : ignorée "
                   "(faute de frappe pour ttl_max ?)",
                   "ligne 4 : ttl_max=40 → durée de vie des entrées de la table du switch : 40",
                   "attention : ligne 5 : « TTL_MAX=30 » ignorée : clé répétée, seule compte "
                   "celle de la ligne 4",
                   "attention : ligne 6 : « hub_auto 4 » ignorée : ni [section], ni clé=valeur, "
                   "ni commentaire « ; »",
                   "attention : ligne 7 : clé « #x » inconnue dans [parametres] : ignorée (« # » "
                   "ne commence pas un commentaire : écrire « ; »)",
                   "attention : ligne 9 : section [paramètres] inconnue : sa clé est ignorée "
                   "(faute de frappe pour [parametres] ?)",
                   "attention : ligne 12 : clé « ttl_max » inconnue dans [adresses MAC] : "
                   "ignorée (ttl_max est une clé de la section [parametres])",
                   // As near to Machine1 as to Machine6: no guess.
                   "attention : ligne 13 : clé « Machine7 » inconnue dans [adresses MAC] : "
                   "ignorée",
                   "attention : ligne 14 : section [PARAMETRES] répétée : ses clés ne sont pas "
                   "lues, seule compte celle de la ligne 2"}},
        CheckCase{"ExerciseLinesIgnored",
                  "[parametres]\r\nquestions=.\r\n",
                  "4 4\r\n10\r\n9 1\r\n3;9\r\n3\r\n:1 2\r\n FIN\r\nfin\r\n# 5 6\r\n1 2\r\n",
                  1,
                  {"attention : ligne 1 : ignorée (source et destination identiques : 4 4)",
                   "attention : ligne 2 : ignorée (chiffre 0 : aucune station ne porte ce "
                   "numéro) : « 10 »",
                   "attention : ligne 3 : ignorée (9, le Broadcast, ne peut être que la "
                   "destination) : « 9 1 »",
                   "attention : ligne 4 : ignorée (« ; » après la source 3 n'est pas un chiffre "
                   "de destination) : « 3;9 »",
                   "attention : ligne 5 : ignorée (pas de destination après la source 3) : « 3 »",
                   "attention : ligne 6 : ignorée (« : » n'est pas un chiffre de source 1 à 8) : "
                   "« :1 2 »",
                   "attention : ligne 7 : ignorée (FIN ne termine la série qu'écrit en "
                   "majuscules, dès le premier caractère) : «  FIN »",
                   "attention : ligne 8 : ignorée (FIN ne termine la série qu'écrit en "
                   "majuscules, dès le premier caractère) : « fin »",
                   "attention : ligne 9 : Machine 5 → Machine 6 (exercice 1) : « # » ne commence "
                   "pas un commentaire, la ligne est lue comme un exercice",
                   "ligne 10 : Machine 1 → Machine 2 (exercice 2)",
                   "pas de FIN : après 2 exercices imposés, des exercices tirés au hasard, sans "
                   "fin"}},
        CheckCase{"MoreThanTwentyExercises",
                  "[parametres]\r\nquestions=.\r\n",
                  repeated("1 2\r\n", 21) + "FIN\r\n",
                  1,
                  {"ligne 20 : Machine 1 → Machine 2 (exercice 20)",
                   "attention : ligne 21 : ignorée (au-delà des 20 exercices retenus) : "
                   "Machine 1 → Machine 2",
                   "ligne 22 : FIN : fin de la série", "exercices imposés : 20"}},
        CheckCase{"InitialEntriesOtherThanStations",
                  "[parametres]\r\nentrees_initiales=1x14\r\nquestions=.\r\n",
                  "1 2\r\nFIN\r\n",
                  1,
                  {"ligne 2 : entrees_initiales=1x14 → table du switch au départ : voir plus bas",
                   // The fixed seed's draws for four entries under 99, whatever the characters.
                   "entrée 1 : Machine 1, 00-C0-B0-69-16-25, port 1, TTL 68",
                   "attention : entrée 2 : vide (« x » n'est pas un chiffre de station 1 à 8)",
                   "attention : entrée 3 : vide, TTL 77 seul (« 1 » : Machine 1 est déjà en "
                   "entrée 1)",
                   "entrée 4 : Machine 4, 00-00-48-24-E5-9A, port 4, TTL 86",
                   "entrées 5 à 8 : vides"}},
        CheckCase{"InitialEntriesLongerThanEight",
                  "[parametres]\r\nentrees_initiales=123456789\r\nquestions=.\r\n",
                  "1 2\r\nFIN\r\n",
                  1,
                  {"entrée 8 : ServeurB, 00-35-8A-96-01-43, port 3, TTL 93",
                   "attention : caractères après le huitième ignorés : « 9 »"}},
        CheckCase{"MissingExerciseFile",
                  "[parametres]\r\nquestions=exos\r\n",
                  std::nullopt,
                  1,
                  {"dossier : @/exos (questions=exos)",
                   "attention : aucun fichier switchexos.kw (quelle que soit la casse) dans ce "
                   "dossier",
                   "pas de FIN : tous les exercices sont tirés au hasard, sans fin",
                   // The start's box, a line of the box a line here.
                   "attention : Le fichier exos/switchexos.kw", "n'est pas accessible"}},
        CheckCase{"ManyIgnoredLinesSummedUp",
                  "[parametres]\r\nquestions=.\r\n" + repeated("k=1\r\n", 300),
                  repeated("4 4\r\n", 1000) + "1 2\r\n",
                  1,
                  {"attention : ligne 200 : ignorée (source et destination identiques : 4 4)",
                   "attention : … et 801 autres lignes non détaillées, dont 800 à vérifier",
                   "attention : … et 100 autres lignes non détaillées, dont 100 à vérifier",
                   "exercices imposés : 1"}},
        CheckCase{"NoConfiguration",
                  std::nullopt,
                  "1 2\r\nFIN\r\n",
                  2,
                  {"aucun fichier kw_switch.INI (quelle que soit la casse) dans ce dossier",
                   "refus : KW_switch.ini non trouvé sur @"}},
        CheckCase{"NothingToPlay",
                  "[parametres]\r\nttl_max=10\r\n",
                  "1 2\r\nFIN\r\n",
                  2,
                  {"questions absente : valeur par défaut → aucun fichier d'exercices",
                   "aucun fichier d'exercices : la clé questions est absente ou vide",
                   "refus : Ni exercice imposé ni exercice aléatoire",
                   "Fichier d'exercices incorrect"}},
        CheckCase{"FinBeforeAnyExercise",
                  "[parametres]\r\nquestions=.\r\n",
                  "FIN\r\n1 2\r\n3 4\r\n",
                  2,
                  {"ligne 1 : FIN : fin de la série", "lignes 2 à 3 : après FIN, non lues",
                   "exercices imposés : 0", "refus : Ni exercice imposé ni exercice aléatoire"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The series named on the command line ------------------------------------------------

TEST(SeriesCheck, MissingFolderIsRefusedWithTheStartsMessage)
{
    TempFolder folder;
    const kw::SeriesReport report = kw::CheckSeries(folder.path().string(), "absente");
    EXPECT_EQ(report.status(), 2);
    const std::vector<std::string> lines = trimmedLines(kw::ReportText(report));
    const std::string refusal =
        "refus : Le dossier « " + (folder.path() / "absente").string() + " » n'existe pas.";
    EXPECT_NE(std::find(lines.begin(), lines.end(), refusal), lines.end())
        << kw::ReportText(report);
}

// Given KW_SWITCH.INI beside a kw_switch.INI, the start reads the other one.
TEST(SeriesCheck, FileNamedIsNotTheOneRead)
{
    TempFolder folder;
    folder.write("kw_switch.INI", "[parametres]\r\nquestions=.\r\n");
    folder.write("KW_SWITCH.INI", "[parametres]\r\nquestions=.\r\nttl_max=10\r\n");
    folder.write("switchexos.kw", "1 2\r\nFIN\r\n");
    const kw::SeriesReport report = kw::CheckSeries(folder.path().string(), "KW_SWITCH.INI");
    const std::string text = kw::ReportText(report);
    EXPECT_EQ(report.status(), 1) << text;
    const std::vector<std::string> lines = trimmedLines(text);
    const std::string warning = "attention : le fichier donné, " +
                                (folder.path() / "KW_SWITCH.INI").string() +
                                ", n'est pas celui que le programme lit : dans ce dossier, "
                                "kw_switch.INI passe avant lui";
    EXPECT_NE(std::find(lines.begin(), lines.end(), warning), lines.end()) << text;
}

// ---- The report and the start agree -----------------------------------------------------

// A message's words, whatever breaks its lines: the box's "\n\r" or the report's line ends.
std::string words(const std::string& text)
{
    std::string out;
    bool blank = false;
    for (const char c : text) {
        if (c == ' ' || c == '\r' || c == '\n') {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

// Whatever the series, the report refuses exactly when the start stops, and says the boxes
// the start shows, in their order.
TEST(SeriesCheck, RefusesExactlyWhenTheStartStops)
{
    const fs::path examples = dataPath("../../examples");
    for (const fs::path& folder :
         {dataPath("startup/complete"), dataPath("startup/empty_questions"),
          dataPath("startup/fin_first"), dataPath("startup/ini_is_directory"),
          dataPath("startup/missing_exercise_file"), dataPath("startup/no_ini"),
          dataPath("startup/no_questions"), examples / "serie_aleatoire",
          examples / "serie_imposee"}) {
        SCOPED_TRACE(folder.string());
        kw::SharedState state;
        const kw::StartupOutcome outcome = kw::StartUp(state, folder.string());
        const kw::SeriesReport report = kw::CheckSeries("/", folder.string());
        EXPECT_EQ(report.status() == 2, !outcome.ok);
        ASSERT_FALSE(report.sections.empty());
        const kw::ReportSection& start = report.sections.back();
        std::vector<std::string> shown;
        for (const kw::ReportLine& line : start.lines) {
            if (line.level != kw::ReportLevel::Info)
                shown.push_back(words(line.text));
        }
        std::vector<std::string> boxes;
        for (const std::string& box : outcome.errorBoxes)
            boxes.push_back(words(box));
        EXPECT_EQ(shown, boxes);
    }
}

// A front end in a running program may ask for a report: its exercises go on as before.
TEST(SeriesCheck, LeavesTheRandomGeneratorAlone)
{
    kw::SeedRandom(4242);
    kw::CheckSeries("/", dataPath("../../examples/serie_aleatoire").string());
    EXPECT_EQ(kw::RandomSeed(), 4242u);
}

// Whatever bytes the files hold, the report drives no terminal: no control character but its
// own line breaks.
TEST(SeriesCheck, NoControlCharacterOfTheFilesReachesTheReport)
{
    std::mt19937 bytes(21);
    std::string noise;
    for (int i = 0; i < 20000; ++i)
        noise += static_cast<char>(bytes() % 256);
    TempFolder folder;
    folder.write("kw_switch.INI",
                 "[parametres]\r\nquestions=.\x1b[2J\r\nentrees_initiales=1\x1b" + noise);
    folder.write(".\x1b[2J/switchexos.kw", noise);
    const std::string text = kw::ReportText(kw::CheckSeries("/", folder.path().string()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        ASSERT_FALSE((byte < 0x20 && byte != '\n') || byte == 0x7F) << "byte " << i;
        // C1 controls, U+0080..U+009F.
        ASSERT_FALSE(byte == 0xC2 && i + 1 < text.size() &&
                     static_cast<unsigned char>(text[i + 1]) <= 0x9F)
            << "byte " << i;
    }
}

} // namespace
