#include "Settings.h"

#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace snesenie;
namespace fs = std::filesystem;

namespace {

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = MakeScratchDir("snesenie-settings");
        file_ = dir_ / "snesenie" / "snesenie.conf";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const std::string& content) const
    {
        fs::create_directories(file_.parent_path());
        std::ofstream(file_, std::ios::binary) << content;
    }
    std::string Content() const
    {
        std::ifstream in(file_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir_, file_;
};

TEST_F(SettingsStore, EverySettingReadsBackAsSaved)
{
    Settings store(file_);
    EXPECT_TRUE(store.Problems().empty());
    Tolerances mine;
    mine.directionSeconds = 0.3;
    mine.positionMetres = 0.01;
    store.SetTolerances(mine);
    Precision precision;
    precision.angleSeconds = 2.5;
    precision.baseRatio = 10000;
    store.SetPrecision(precision);
    // A control character before a hex digit used to come back as another
    // character: "\x0a" + "b" was read as one escape, «.
    store.SetRecentJobs({"/a/b.snesenie", "/с запятой, и \"кавычкой\"\\.snesenie", "/a/b.snesenie", "/x\nb\x01" "f"});
    store.SetJobFolder("/дом/задания");
    ASSERT_EQ(store.Save(), "");
    const Settings again(file_);
    EXPECT_TRUE(again.Problems().empty());
    EXPECT_EQ(again.GetTolerances().directionSeconds, 0.3);
    EXPECT_EQ(again.GetTolerances().positionMetres, 0.01);
    EXPECT_EQ(again.GetPrecision().angleSeconds, 2.5);
    EXPECT_EQ(again.GetPrecision().baseRatio, 10000);
    EXPECT_TRUE(again.StoresPrecision());
    EXPECT_EQ(again.RecentJobs(),
              (std::vector<std::string>{"/a/b.snesenie", "/с запятой, и \"кавычкой\"\\.snesenie", "/x\nb\x01" "f"}));
    EXPECT_EQ(again.JobFolder(), "/дом/задания");
}

// The file as it was always written, and as a user edits it by hand.
TEST_F(SettingsStore, ReadsTheFileAsWrittenBeforeAndByHand)
{
    Write("[General]\nother=kept\n\n[control]\ndirectionSeconds=\"20\"\npositionMetres=0,01\n"
          "[jobs]\nfolder=/home/x\nrecent=/a/1.snesenie, \"/b,2.snesenie\"\n");
    Settings store(file_);
    EXPECT_TRUE(store.Problems().empty());
    EXPECT_EQ(store.GetTolerances().directionSeconds, 20);
    // a hand-written 0,01 used to read as a list of two and be ignored
    EXPECT_EQ(store.GetTolerances().positionMetres, 0.01);
    EXPECT_EQ(store.RecentJobs(), (std::vector<std::string>{"/a/1.snesenie", "/b,2.snesenie"}));
    EXPECT_EQ(store.JobFolder(), "/home/x");
    store.NoteRecentJob("/b,2.snesenie");
    ASSERT_EQ(store.Save(), "");
    EXPECT_NE(Content().find("other=kept"), std::string::npos) << Content();
    EXPECT_EQ(Settings(file_).RecentJobs(), (std::vector<std::string>{"/b,2.snesenie", "/a/1.snesenie"}));
}

// One out-of-range value used to replace every tolerance by its default.
TEST_F(SettingsStore, EachToleranceFallsBackAlone)
{
    Write("[control]\ndirectionSeconds=20\ngammaMax=200\npositionMetres=1e308\ngammaMin=много\n"
          "[precision]\nangleSeconds=0\nbaseRatio=0\ngivenMetres=0,02\n");
    const Settings store(file_);
    EXPECT_EQ(store.GetTolerances().directionSeconds, 20);
    EXPECT_EQ(store.GetTolerances().gammaMax, 150);
    EXPECT_EQ(store.GetTolerances().positionMetres, 0.05);
    EXPECT_EQ(store.GetTolerances().gammaMin, 30);
    EXPECT_EQ(store.GetPrecision().angleSeconds, 5);
    EXPECT_EQ(store.GetPrecision().givenMetres, 0.02);
    ASSERT_EQ(store.Problems().size(), 4u);
    EXPECT_NE(store.Problems()[3].find("«angleSeconds» = «0» вне пределов (нужно число от 0,5 до 120); "
                                       "действует значение по умолчанию 5;"),
              std::string::npos)
        << store.Problems()[3];
    EXPECT_NE(store.Problems()[0].find("«positionMetres» = «1e308» вне пределов (нужно число от 0,001 до 1); "
                                       "действует значение по умолчанию 0,05;"),
              std::string::npos)
        << store.Problems()[0];
    EXPECT_NE(store.Problems()[2].find("«gammaMax» = «200»"), std::string::npos) << store.Problems()[2];
}

// A FIFO as the settings file used to block the window before it painted,
// and snesenie --pdf for ever.
TEST_F(SettingsStore, FifoRefusedAtOnceAndLeftAlone)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no FIFO in its file system";
#else
    fs::create_directories(file_.parent_path());
    ASSERT_EQ(mkfifo(file_.c_str(), 0600), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Settings store(file_);
        const bool said = store.Problems().size() == 1 &&
                          store.Problems()[0].find("именованный канал (FIFO)") != std::string::npos;
        store.NoteRecentJob("/a.snesenie");
        const bool refused = !store.Save().empty();
        std::_Exit(said && refused ? 0 : 1);
    }
    int status = 0;
    bool exited = false;
    for (int tick = 0; tick < 500 && !exited; ++tick) {
        exited = waitpid(child, &status, WNOHANG) == child;
        if (!exited)
            usleep(10000);
    }
    if (!exited) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    ASSERT_TRUE(exited) << "reading a FIFO as the settings file blocked";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(fs::is_fifo(file_));
#endif
}

// A file that could not be read may hold what the user wants: saving must not
// replace it with the defaults.
TEST_F(SettingsStore, FileNotReadIsNotOverwritten)
{
    const std::string big(Settings::kMaxFileBytes + 1, '#');
    Write(big);
    Settings store(file_);
    ASSERT_EQ(store.Problems().size(), 1u);
    store.NoteRecentJob("/a.snesenie");
    EXPECT_NE(store.Save(), "");
    EXPECT_EQ(Content(), big);
    // a file of exactly the largest size is read
    std::string exact = "[control]\ndirectionSeconds=20\n";
    exact.resize(Settings::kMaxFileBytes, '#');
    Write(exact);
    EXPECT_EQ(Settings(file_).Problems(), std::vector<std::string>{});
    EXPECT_EQ(Settings(file_).GetTolerances().directionSeconds, 20);
}

// Opening a job used to rewrite the whole file: a value written by hand was
// replaced and every default written out; and of windows saving at about the
// same time, the last one's list was all that stayed.
TEST_F(SettingsStore, OnlyChangesWrittenOverWhatTheFileHoldsNow)
{
    Write("[control]\ndistanceRatio=2ooo\n");
    Settings store(file_);
    ASSERT_EQ(store.Problems().size(), 1u);
    EXPECT_EQ(store.Save(), "");
    store.NoteRecentJob("/a.snesenie");
    store.SetJobFolder("/");
    ASSERT_EQ(store.Save(), "");
    EXPECT_EQ(Content(), "[control]\ndistanceRatio=2ooo\n\n[jobs]\nfolder=\"/\"\nrecent=\"/a.snesenie\"\n");
    // The tolerances chosen in the dialog replace what could not be used.
    store.SetTolerances(store.GetTolerances());
    ASSERT_EQ(store.Save(), "");
    EXPECT_EQ(Content(), "[control]\ndistanceRatio=\"2000\"\n\n[jobs]\nfolder=\"/\"\nrecent=\"/a.snesenie\"\n");

    // Two windows that read the file before either saved.
    Write("[jobs]\nrecent=\"/old.snesenie\", \"/gone.snesenie\"\n");
    Settings first(file_), second(file_);
    first.NoteRecentJob("/first.snesenie");
    Tolerances mine = first.GetTolerances();
    mine.directionSeconds = 30;
    first.SetTolerances(mine);
    ASSERT_EQ(first.Save(), "");
    second.NoteRecentJob("/second.snesenie");
    second.ForgetRecentJob("/gone.snesenie");
    second.SetJobFolder("/second");
    ASSERT_EQ(second.Save(), "");
    const Settings after(file_);
    EXPECT_EQ(after.RecentJobs(), (std::vector<std::string>{"/second.snesenie", "/first.snesenie", "/old.snesenie"}));
    EXPECT_EQ(after.GetTolerances().directionSeconds, 30);
    EXPECT_EQ(after.JobFolder(), "/second");
    EXPECT_EQ(second.RecentJobs(), after.RecentJobs()) << "the store holds what it saved";

#ifndef _WIN32
    // Windows that open a job each at the same moment, in processes of
    // their own: every job is kept.
    fs::remove(file_);
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> children;
    for (std::size_t i = 0; i < Settings::kMaxRecentJobs; ++i) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Settings window(file_);
            char byte = 0;
            if (read(go[0], &byte, 1) != 1)
                std::_Exit(2);
            window.NoteRecentJob("/job" + std::to_string(i) + ".snesenie");
            std::_Exit(window.Save().empty() ? 0 : 1);
        }
        children.push_back(child);
    }
    ASSERT_EQ(write(go[1], std::string(children.size(), 'x').data(), children.size()),
              static_cast<ssize_t>(children.size()));
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    close(go[0]);
    close(go[1]);
    EXPECT_EQ(Settings(file_).RecentJobs().size(), Settings::kMaxRecentJobs);
#endif
}

} // namespace

// Where the settings live: by the XDG rules on Linux, under the roaming
// application data on Windows, whose UTF-16 name may be Cyrillic (the user's).
TEST(UserSettings, FileWhereTheSystemKeepsSettings)
{
#ifdef _WIN32
    const std::wstring folder = L"C:\\Users\\\u041F\u0451\u0442\u0440\\AppData\\Roaming";
    ASSERT_EQ(_wputenv_s(L"APPDATA", folder.c_str()), 0);
    EXPECT_EQ(UserSettingsFile().native(), folder + L"\\snesenie\\snesenie.conf");
    ASSERT_EQ(_wputenv_s(L"APPDATA", L""), 0);
    EXPECT_EQ(UserSettingsFile(), fs::path());
#else
    const struct {
        const char* name;
        const char* config;
        const char* home;
        const char* file;
    } rows[] = {
        {"xdg", "/etc/xdg-of-пётр", "/home/p", "/etc/xdg-of-пётр/snesenie/snesenie.conf"},
        {"relativeXdgIgnored", "config", "/home/p", "/home/p/.config/snesenie/snesenie.conf"},
        {"homeOnly", nullptr, "/home/p", "/home/p/.config/snesenie/snesenie.conf"},
        {"neither", nullptr, nullptr, ""},
        // a relative HOME would put the settings under whatever folder the program started in
        {"relativeHomeRefused", nullptr, "home/p", ""},
        {"relativeHomeWithRelativeXdg", "config", ".", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.config ? setenv("XDG_CONFIG_HOME", row.config, 1) : unsetenv("XDG_CONFIG_HOME");
        row.home ? setenv("HOME", row.home, 1) : unsetenv("HOME");
        EXPECT_EQ(UserSettingsFile().string(), row.file);
    }
#endif
}
