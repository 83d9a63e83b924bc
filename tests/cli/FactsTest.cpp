// The user's guide and the man pages say what the code does: every option
// the command line accepts is documented, and every default tolerance and
// range they state is the code's. Change a default in the code and this fails
// until the documents follow.

#include "Arguments.h"
#include "Control.h"
#include "Numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>

using namespace snesenie;

namespace {

// Where the README sends a user for everything past installing.
constexpr const char* kGuide = "docs/guide-ru.md";

std::string Read(const std::string& name)
{
    std::ifstream in(std::string(SNESENIE_SOURCE_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A man page writes every '-' of an option as "\-".
std::string Roff(const std::string& option) { return std::regex_replace(option, std::regex("-"), "\\-"); }

// The options as the documents list them: -h and -v stand beside their long
// forms.
bool Documented(const std::string& text, const std::string& option, bool roff)
{
    return text.find(roff ? Roff(option) : option) != std::string::npos;
}

} // namespace

// The option list is the parser's: each is accepted, and nothing else is.
TEST(Facts, OptionListIsWhatTheParserAccepts)
{
    // Each option with a value it takes, and beside what it needs.
    // --input reads a regular file at once (a device is refused): an empty one.
    const std::string input = (std::filesystem::temp_directory_path() / "snesenie-facts-input.txt").string();
    std::ofstream{input};
    const std::map<std::string, std::vector<std::string>> uses = {
        {"--job", {"--job", "x.snesenie"}},
        {"--press", {"--press", "ok1"}},
        {"--tolerances", {"--tolerances", "gammaMin=20"}},
        {"--precision", {"--precision", "angleSeconds=2"}},
        {"--input", {"--input", input}},
        {"--save-job", {"--save-job", "x.snesenie"}},
        {"--batch", {"--batch", "stations.csv"}},
        {"--results", {"--batch", "stations.csv", "--results", "results.csv"}},
        {"--separator", {"--batch", "stations.csv", "--separator", ";"}},
        {"--pdf", {"--batch", "stations.csv", "--pdf", "stations.pdf"}},
    };
    for (const std::string& option : cli::OptionNames()) {
        const auto use = uses.find(option);
        EXPECT_NO_THROW(cli::ParseArguments(use != uses.end() ? use->second : std::vector<std::string>{option}))
            << option;
    }
    EXPECT_THROW(cli::ParseArguments({"--toleranses"}), cli::UsageError);
    // Every option --help names is in the list.
    const std::vector<std::string> names = cli::OptionNames();
    const std::string help = cli::UsageText();
    std::smatch m;
    for (auto it = help.cbegin(); std::regex_search(it, help.cend(), m, std::regex("--[a-z][a-z-]*")); it = m[0].second)
        EXPECT_NE(std::ranges::find(names, m.str()), names.end()) << m.str();
}

TEST(Facts, EveryOptionInTheManPageAndTheGuide)
{
    const std::string man = Read("man/snesenie-cli.1.in");
    const std::string guide = Read(kGuide);
    for (const std::string& option : cli::OptionNames()) {
        EXPECT_TRUE(Documented(man, option, true)) << option << " is not in snesenie-cli.1";
        EXPECT_TRUE(Documented(guide, option, false)) << option << " is not in " << kGuide;
    }
}

// Changing the (AP) default from 60″ to 30″ used to leave the help, both man
// pages and the guide wrong with every test green.
TEST(Facts, DefaultTolerancesAndRangesAsTheDocumentsStateThem)
{
    const std::string guide = Read(kGuide);
    for (const char* page : {"man/snesenie.1.in", "man/snesenie-cli.1.in"}) {
        const std::string man = Read(page);
        for (const ToleranceField& f : ToleranceFields()) {
            // .B key, then its paragraph up to the next .TP or section.
            const std::size_t at = man.find(std::string(".B ") + f.key + "\n");
            ASSERT_NE(at, std::string::npos) << f.key << " is not in " << page;
            const std::string paragraph = man.substr(at, man.find("\n.", at + 1) - at);
            const std::string text = std::regex_replace(paragraph, std::regex("\\s+"), " ");
            EXPECT_NE(text.find("default " + FormatNumber(Tolerances{}.*f.member) + ","), std::string::npos)
                << page << ": " << text;
            EXPECT_NE(text.find("from " + FormatNumber(f.min) + " to " + FormatNumber(f.max)), std::string::npos)
                << page << ": " << text;
        }
    }
    for (const ToleranceField& f : ToleranceFields()) {
        const std::string row = std::string("| ") + f.key + " | " + FormatNumber(Tolerances{}.*f.member) + " | " +
                                (f.zeroIsNone ? "0 или " : "") + FormatNumber(f.min) + "–" + FormatNumber(f.max) + " |";
        EXPECT_NE(guide.find(row), std::string::npos) << row;
    }
    // The sentences that give the defaults in words say the code's figures.
    const std::string words = TolerancesText(Tolerances{});
    EXPECT_NE(cli::UsageText().find(words), std::string::npos) << words;
}

// The precision of the measurements: each key with its default and range in
// --help, in both man pages of each program (English and Russian), and in the
// guide's table and the README's; --precision in every one of them.
TEST(Facts, PrecisionAsTheDocumentsStateIt)
{
    const std::string help = cli::UsageText();
    const std::string guide = Read(kGuide);
    const std::string readme = Read("README.md");
    const std::pair<const char*, bool> pages[] = {{"man/snesenie.1.in", false},
                                                  {"man/snesenie-cli.1.in", false},
                                                  {"man/ru/snesenie.1.in", true},
                                                  {"man/ru/snesenie-cli.1.in", true}};
    for (const auto& [page, russian] : pages) {
        const std::string man = std::regex_replace(Read(page), std::regex("\\s+"), " ");
        EXPECT_TRUE(Documented(man, "--precision", true)) << page;
        for (const PrecisionField& f : PrecisionFields()) {
            const std::size_t at = man.find(std::string(".B ") + f.key + " ");
            ASSERT_NE(at, std::string::npos) << f.key << " is not in " << page;
            const std::string text = man.substr(at, 200);
            const std::string byDefault = (russian ? "по умолчанию " : "default ") + FormatNumber(Precision{}.*f.member);
            const std::string range = (russian ? "от " : "from ") + FormatNumber(f.min) + (russian ? " до " : " to ") +
                                      FormatNumber(f.max);
            EXPECT_NE(text.find(byDefault), std::string::npos) << page << ": " << text;
            EXPECT_NE(text.find(range), std::string::npos) << page << ": " << text;
        }
    }
    for (const PrecisionField& f : PrecisionFields()) {
        EXPECT_NE(help.find(std::string(f.key) + "=" + FormatNumber(Precision{}.*f.member)), std::string::npos)
            << f.key;
        EXPECT_NE(help.find(std::string(f.key) + ": " + PrecisionRange(f)), std::string::npos) << f.key;
        const std::string row = std::string("| ") + f.key + " | " + FormatNumber(Precision{}.*f.member) + " | " +
                                (f.zeroIsNone ? "0 или " : "") + FormatNumber(f.min) + "–" + FormatNumber(f.max) + " |";
        EXPECT_NE(guide.find(row), std::string::npos) << row;
        // The README's short table, in English.
        const std::string readmeRow = std::string("| ") + f.key + " | " + FormatNumber(Precision{}.*f.member) + " | " +
                                      (f.zeroIsNone ? "0 or " : "") + FormatNumber(f.min) + "–" + FormatNumber(f.max) + " |";
        EXPECT_NE(readme.find(readmeRow), std::string::npos) << readmeRow;
    }
}
