// Every scenario file of tests/scenarios replayed against the game alone; the same files are
// replayed through the windows and through the web page.

#include "game_replay.h"
#include "scenario.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace kw::scenario;

std::vector<fs::path> scenarioFiles()
{
    return listScenarios(KW_SCENARIOS);
}

std::string testName(const testing::TestParamInfo<fs::path>& info)
{
    std::string name = info.param.stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class Replay : public testing::TestWithParam<fs::path> {};

TEST_P(Replay, OnTheGame)
{
    Scenario scenario;
    try {
        scenario = load(GetParam());
    } catch (const SyntaxError& error) {
        FAIL() << error.what();
    }
    const ReplayResult result = replayOnGame(scenario);
    for (const std::string& failure : result.failures)
        ADD_FAILURE() << failure;
}

INSTANTIATE_TEST_SUITE_P(scenario, Replay, testing::ValuesIn(scenarioFiles()), testName);

// The lines of a text, whatever their ends, blank lines at the end left out.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    while (!lines.empty() && lines.back().find_first_not_of(" \t") == std::string::npos)
        lines.pop_back();
    return lines;
}

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The scenarios of the two example series play the ready folders of examples/, line for line:
// what they show of the examples holds for the folders the teachers get.
TEST(ScenarioFormat, ExampleSeriesAreTheExampleFolders)
{
    const fs::path examples = fs::path(KW_SCENARIOS) / ".." / ".." / "examples";
    for (const char* name : {"serie_imposee", "serie_aleatoire"}) {
        const Scenario scenario = load(fs::path(KW_SCENARIOS) / (std::string(name) + ".scenario"));
        ASSERT_TRUE(scenario.ini && scenario.exercises) << name;
        EXPECT_EQ(linesOf(*scenario.ini), linesOf(fileText(examples / name / "kw_switch.INI")))
            << name;
        EXPECT_EQ(scenario.exercises->folder, "") << name;
        EXPECT_EQ(linesOf(scenario.exercises->text),
                  linesOf(fileText(examples / name / "switchexos.kw")))
            << name;
    }
}

// A line the format does not know must stop the file, never pass unseen: a misspelt
// expectation would otherwise check nothing.
TEST(ScenarioFormat, RefusesWhatItDoesNotKnow)
{
    const char* const plays[] = {
        "flwo 10",                      // no such word
        "flow ten",                     // not a number
        "box Warning \"x\"",            // the caption is the French one
        "box Avertissement x",          // the text is quoted
        "box Avertissement \"x",        // unclosed
        "box Avertissement \"\\q\"",    // unknown escape
        "click Machine 9",              // no such element
        "click 10",                     // no point
        "copy 2 0",                     // the arrow
        "copy 10 -> 0",                 // no cache row 10
        "led source 1",                 // no LED picture
        "led hub1 9",                   // no LED 9
        "done principale",              // no "Terminé"
        "learn 1 1",                    // port keyword
        "via 5",                        // no port 5
        "menu fichier",                 // no such item
        "answer oui",                   // ok or annuler
        "wait 7:42",                    // hh:mm:ss
        "ticks Hub3",                   // no such box
        "cables blue:1",                // no such colour
        "cables white:11",              // no cable 11
        "windows source",               // how it is open
        "windows source:open",          // modal or modeless
        "exercise Machine 1 Machine 2", // the arrow
        "table 10 empty",               // no row 10
        "table 1 a b",                  // three fields
        "cells source none",            // only the main window shows no frame
        "lit hub1 0",                   // LEDs 1..8
        "program stopped",              // running, refused or ended
    };
    for (const char* play : plays) {
        const std::string text = std::string("@play\n") + play + "\n";
        EXPECT_THROW(parse(text, "bad.scenario"), SyntaxError) << play;
    }
    EXPECT_THROW(parse("@ini\n@play\n@ini\n", "bad.scenario"), SyntaxError);
    EXPECT_THROW(parse("@play\n@options\n", "bad.scenario"), SyntaxError);
    EXPECT_THROW(parse("@ini\n[parametres]\n", "bad.scenario"), SyntaxError); // no @play
    EXPECT_THROW(parse("@options\nrandom 3\n@play\n", "bad.scenario"), SyntaxError);
}

} // namespace
