// snesenie-cli end to end: every case runs the built program as a script would
// and looks at its stdout, stderr and exit status separately.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The printed sheet as field name -> text.
std::map<std::string, std::string> Sheet(const std::string& out)
{
    std::map<std::string, std::string> sheet;
    for (const std::string& line : Lines(out))
        sheet[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    return sheet;
}

// The fields of the window in the order of the sheet: page 1, 2, 3.
const std::vector<std::string> kFieldOrder{
    "EXc", "EYc", "EXb", "EYb", "EXa", "EYa", "EXbXa", "EYbYa", "EtgAB", "EAB", "EcosAB", "EsinAB",
    "ES1", "ES2", "EXcXa", "EYcYa", "EtgAC", "EAC", "EcosAC", "EsinAC", "ES11", "ES22",
    "Ebb1g", "Ebb1m", "Ebb1s", "Ebb11g", "Ebb11m", "Ebb11s", "Ebb2g", "Ebb2m", "Ebb2s",
    "Ebb22g", "Ebb22m", "Ebb22s", "Ey1", "Ey2", "Eb1", "Eb2", "Esinbb2", "Esinbb22", "Esiny1",
    "Esiny2", "Edd1", "Edd2", "Edd1g", "Edd1m", "Edd1s", "Edd2g", "Edd2m", "Edd2s", "Esind1",
    "Esind2", "Esinw1", "Esinw2", "Ew1", "Ew2", "Edw1", "Edw2", "Eu1", "Eu2", "EAP1", "EAP2", "d",
    "EcosAP1", "EcosAP2", "EsinAP1", "EsinAP2", "EdXap1", "EdXap2", "EdYap1", "EdYap2",
    "EXp1", "EXp2", "EYp1", "EYp2", "Xp", "Yp",
};

const std::string kRefusal2 = "ok2: Извините, но еще не подсчитаны (AB) и AB=S(первая страница)\n";
const std::string kRefusal3 = "ok3: Извините, но еще не подсчитаны две первые страницы\n";

struct Result {
    std::string out, err;
    int status = -1;  // exit status; -1 if the program did not exit on its own
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "snesenie-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string WriteFile(const std::string& content, const std::string& name = "sheet.txt")
    {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    // Runs the program with `args` and `input` on stdin, in this test's
    // environment stripped of every locale setting and extended by `env`.
    Result RunCli(const std::vector<std::string>& args, const std::string& input = {},
                  const std::vector<std::string>& env = {}, std::string out = {})
    {
        std::vector<std::string> vars;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string var(*e);
            if (!var.starts_with("LANG=") && !var.starts_with("LANGUAGE=") && !var.starts_with("LC_"))
                vars.push_back(var);
        }
        vars.insert(vars.end(), env.begin(), env.end());
        std::vector<std::string> words{SNESENIE_CLI};
        words.insert(words.end(), args.begin(), args.end());
        auto pointers = [](std::vector<std::string>& strings) {
            std::vector<char*> p;
            for (std::string& s : strings)
                p.push_back(s.data());
            p.push_back(nullptr);
            return p;
        };
        std::vector<char*> argv = pointers(words), envp = pointers(vars);

        const std::string in = WriteFile(input, "stdin"), err = dir_ + "/stderr";
        // Output sent elsewhere (a device) is not read back.
        const bool own = out.empty();
        if (own)
            out = dir_ + "/stdout";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, SNESENIE_CLI, &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            throw std::runtime_error("cannot start " SNESENIE_CLI);
        int status = 0;
        waitpid(pid, &status, 0);
        auto read = [](const std::string& path) {
            std::ifstream file(path, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(file), {});
        };
        return {own ? read(out) : std::string(), read(err), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    }

    std::string dir_;
};

TEST_F(Cli, ExampleSheetByDefault)
{
    const Result r = RunCli({});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    std::vector<std::string> names;
    for (const std::string& line : Lines(r.out))
        names.push_back(line.substr(0, line.find('=')));
    EXPECT_EQ(names, kFieldOrder);

    const auto sheet = Sheet(r.out);
    const std::map<std::string, std::string> worked{
        {"EXc", "3700,05"},  {"Ebb1s", "45,1"},           {"EXbXa", "722,28"},
        {"EAB", "82°7`51``"}, {"ES1", "5275,47"},          {"EAC", "148°53`49``"},
        {"d", "94,019"},     {"EAP1", "189°57`8,6``"},    {"Xp", "6234,85"},
        {"Yp", "12335,23"},
    };
    for (const auto& [name, text] : worked)
        EXPECT_EQ(sheet.at(name), text) << name;

    EXPECT_EQ(RunCli({"--press", "ok1,ok2,ok3"}).out, r.out);
}

TEST_F(Cli, StateFollowsTheFields)
{
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string state;
    } rows[] = {
        {"example", {"--state"}, 0,
         "Xa=6327.46\nYa=12351.48\nDirAB=82.130763507996264\nDirAC=148.89704286370178\n"
         "DistAB=5275.4700000000003\nDistAC=3068.54\nD1=94.019999999999996\nD2=94.019999999999996\n"
         "DirAP1=189.95238427663475\nDirAP2=189.95250787775851\nPage1Done=true\nPage2Done=true\n"},
        {"refusedOnFreshStart", {"--state", "--press=ok2"}, 1,
         "Xa=0\nYa=0\nDirAB=0\nDirAC=0\nDistAB=0\nDistAC=0\nD1=0\nD2=0\nDirAP1=0\nDirAP2=0\n"
         "Page1Done=false\nPage2Done=false\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Result r = RunCli(row.args);
        EXPECT_EQ(r.status, row.status);
        const std::vector<std::string> lines = Lines(r.out);
        ASSERT_EQ(lines.size(), kFieldOrder.size() + 12);
        std::string state;
        for (std::size_t i = kFieldOrder.size(); i < lines.size(); ++i)
            state += lines[i] + '\n';
        EXPECT_EQ(state, row.state);
    }
}

TEST_F(Cli, PressSequences)
{
    const std::string badEXc = "ok1: поле EXc: «» не является допустимым числом.\n";
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string err;
        std::map<std::string, std::string> fields;
    } rows[] = {
        {"clear1EmptiesPage1Only", {"--press", "ok1,ok2,ok3,clear1"}, 0, "",
         {{"EXc", ""}, {"EAB", ""}, {"ES22", ""}, {"Ebb1g", "45"}, {"d", "94,019"}, {"Xp", "6234,85"}}},
        {"clear2EmptiesBasesAnglesAndMean", {"--press", "ok1,ok2,clear2"}, 0, "",
         {{"Ebb1g", ""}, {"Eb1", ""}, {"Edd2s", ""}, {"d", ""}, {"EAP2", ""}, {"EAB", "82°7`51``"}}},
        {"clearsKeepCarriedValues", {"--press", "ok1,clear1,ok2,clear2,ok3"}, 0, "",
         {{"EXa", ""}, {"d", ""}, {"Xp", "6234,85"}, {"Yp", "12335,23"}}},
        {"page3WithoutPage2Refused", {"--press", "ok1,ok3"}, 1, kRefusal3,
         {{"EAB", "82°7`51``"}, {"EcosAP1", ""}}},
        {"nextPressRunsAfterRefusal", {"--press", "ok2,ok1,ok2,ok3"}, 1, kRefusal2, {{"Xp", "6234,85"}}},
        {"failedPage1RerunStopsPage3", {"--press", "ok1,ok2,clear1,ok1,ok3"}, 1, badEXc + kRefusal3,
         {{"d", "94,019"}, {"Xp", ""}}},
        {"page1RerunNeedsPage2Again", {"--press", "ok1,ok2,ok1,ok3"}, 1, kRefusal3, {{"Xp", ""}}},
        {"emptyInput", {"EXc="}, 1, badEXc + kRefusal2 + kRefusal3, {{"EXc", ""}, {"Xp", ""}}},
        {"textAfterFirstEquals", {"Eb1=60,76=1"}, 1,
         "ok2: поле Eb1: «60,76=1» не является допустимым числом.\n" + kRefusal3, {{"Eb1", "60,76=1"}}},
        {"dotIsNoSeparator", {"--press", "ok1", "EXc=3700.05"}, 1,
         "ok1: поле EXc: «3700.05» не является допустимым числом.\n", {}},
        {"divisionByZero", {"EXa=7049,74"}, 1, "ok1: Деление на ноль.\n" + kRefusal2 + kRefusal3,
         {{"EAB", ""}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Result r = RunCli(row.args);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.err, row.err);
        const auto sheet = Sheet(r.out);
        ASSERT_EQ(sheet.size(), kFieldOrder.size());
        for (const auto& [name, text] : row.fields)
            EXPECT_EQ(sheet.at(name), text) << name;
    }
}

TEST_F(Cli, AssignmentsApplyInCommandLineOrder)
{
    const std::string file = WriteFile("Eb1=60,7\nEb2=42,1\n");
    const Result r = RunCli({"Eb1=1", "Eb2=1", "--input", file, "Eb2=42,14", "--input", "-"},
                            "EYc=13936,620\nEXc=3700,050");  // stdin: no final newline
    ASSERT_EQ(r.status, 0);
    const auto sheet = Sheet(r.out);
    EXPECT_EQ(sheet.at("Eb1"), "60,7");
    EXPECT_EQ(sheet.at("Eb2"), "42,14");
    EXPECT_EQ(sheet.at("EXc"), "3700,050");
}

TEST_F(Cli, InputFileSavedOnWindows)
{
    // A byte-order mark, CRLF endings, comments and blank lines.
    const std::string file =
        WriteFile("\xEF\xBB\xBF# базы\r\n\r\n   \r\n\t# Eb1=вычеркнуто\r\nEb1=60,760\r\n  Eb2=42,140\r\n");
    const Result r = RunCli({"--input=" + file});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const auto sheet = Sheet(r.out);
    EXPECT_EQ(sheet.at("Eb1"), "60,760");
    EXPECT_EQ(sheet.at("Eb2"), "42,140");
    EXPECT_EQ(sheet.at("d"), "94,019");
}

TEST_F(Cli, UsageErrorsComputeNothing)
{
    const struct {
        const char* name;
        std::vector<std::string> args;  // "FILE" stands for a file holding `file`
        std::string file;
        std::string says;  // a part of the message
    } rows[] = {
        {"unknownOption", {"--bogus"}, "", "«--bogus»"},
        {"unknownPress", {"--press", "ok1,ok4"}, "", "«ok4»"},
        {"emptyPress", {"--press", "ok1,,ok2"}, "", "«»"},
        {"unknownField", {"Exc=1"}, "", "«Exc»"},
        {"outputField", {"EAB=1"}, "", "«EAB»"},
        {"noEquals", {"EXc"}, "", "«EXc»"},
        {"pressWithoutValue", {"--press"}, "", "--press"},
        {"inputWithoutValue", {"EXc=1", "--input"}, "", "--input"},
        {"unreadableFile", {"--input", "/nonexistent/sheet.txt"}, "", "/nonexistent/sheet.txt"},
        {"newlineInText", {"EXc=1\n2"}, "", "«EXc»"},
        {"notUtf8", {"EXc=\xFF"}, "", "«EXc»"},
        {"badLineInFile", {"--input", "FILE"}, "EXc=1\nEAB=2\n", "sheet.txt:2: поле «EAB»"},
        {"controlCharInFile", {"--input", "FILE"}, "EXc=1\x01\n", "«EXc»"},
        {"afterPresses", {"--press", "ok1", "Nope=1"}, "", "«Nope»"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> args = row.args;
        for (std::string& a : args)
            if (a == "FILE")
                a = WriteFile(row.file);
        const Result r = RunCli(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.starts_with("snesenie-cli: ")) << r.err;
        EXPECT_NE(r.err.find(row.says), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("ok1:"), std::string::npos) << r.err;
    }
}

TEST_F(Cli, SameOutputInAnyLocale)
{
    const std::vector<std::vector<std::string>> locales{
        {"LC_ALL=ru_RU.UTF-8"},
        {"LANG=de_DE.UTF-8", "LC_NUMERIC=de_DE.UTF-8"},
        {"LC_ALL=C.UTF-8"},
    };
    const std::vector<std::vector<std::string>> runs{{"--state"}, {"EXc=3700.05"}};
    for (const auto& args : runs) {
        const Result plain = RunCli(args);
        for (const auto& env : locales) {
            SCOPED_TRACE(env.front() + " " + args.front());
            const Result r = RunCli(args, "", env);
            EXPECT_EQ(r.status, plain.status);
            EXPECT_EQ(r.out, plain.out);
            EXPECT_EQ(r.err, plain.err);
        }
    }
}

// a sheet lost to a full disk used to end with exit status 0
TEST_F(Cli, UnwritableOutputIsAFailure)
{
    const Result r = RunCli({}, {}, {}, "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("не удалось записать результат"), std::string::npos) << r.err;
}

TEST_F(Cli, Help)
{
    const Result r = RunCli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.out.starts_with("Использование: snesenie-cli")) << r.out;
    for (const char* option : {"--press", "--state", "--control", "--input", "CONTROL_"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

TEST_F(Cli, ControlAfterTheFields)
{
    const std::string example =
        "CONTROL_D=0 м;1:2000;ok\n"
        "CONTROL_AP=-0,4``;60``;ok\n"
        "CONTROL_P=0 м (ΔXp = 0 м, ΔYp = 0 м);0,05 м;ok\n"
        "CONTROL_GAMMA1=40°6`20,3``;30°–150°;ok\n"
        "CONTROL_GAMMA2=26°37`28,1`` (слабая засечка);30°–150°;warning\n"
        "CONTROL_RIGOROUS=0,003 м (Xp = 6234,847 м, Yp = 12335,23 м);0,05 м;ok\n";
    const std::string none = "control: Контроль не выполнен: посчитайте все три страницы.\n";
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::size_t before;  // lines ahead of the control: the fields, and the state if asked for
        std::string control, err;
        int status;
    } rows[] = {
        {"example", {"--control"}, 77, example, "", 0},
        {"afterTheState", {"--state", "--control"}, 77 + 12, example, "", 0},
        {"page3NotRun", {"--control", "--press", "ok1,ok2"}, 77, "", none, 0},
        {"page2RunAgain", {"--control", "--press", "ok1,ok2,ok3,ok2"}, 77, "", none, 0},
        {"page2Failed", {"--control", "--press", "ok1,ok2,ok3,clear2,ok2"}, 77, "",
         "ok2: поле Ebb1g: «» не является допустимым числом.\n" + none, 1},
        {"weakAndExceeded", {"--control", "Ebb1g=75", "Ebb1m=30", "Ebb1s=0", "Ebb2g=94", "Ebb2m=30", "Ebb2s=0"}, 77,
         {}, "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Result r = RunCli(row.args);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.err, row.err);
        const std::vector<std::string> lines = Lines(r.out);
        ASSERT_GE(lines.size(), row.before);
        std::string control;
        for (std::size_t i = row.before; i < lines.size(); ++i)
            control += lines[i] + '\n';
        if (std::string(row.name) != "weakAndExceeded") {
            EXPECT_EQ(control, row.control);
            continue;
        }
        // A base triangle of γ 10°: a warning for its shape, and a d that
        // no longer agrees with the other variant's.
        EXPECT_NE(control.find("CONTROL_GAMMA1=10°0`0`` (слабая засечка);30°–150°;warning\n"), std::string::npos)
            << control;
        EXPECT_NE(control.find(";1:2000;exceeded\n"), std::string::npos) << control;
    }
}

} // namespace
