// The open job without a window: what an open or a save changes, what a
// failed one leaves alone, and the recent list.

#include "JobDocument.h"

#include "ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace snesenie::job;

namespace {

class Document : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = MakeScratchDir("snesenie-document");
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
};

Job Changed(const std::string& xa)
{
    Job job = ExampleJob();
    job.texts["EXa"] = xa;
    return job;
}

TEST_F(Document, OpenAndSaveMakeTheFileTheJobs)
{
    JobDocument document;
    EXPECT_TRUE(document.Path().empty());
    EXPECT_FALSE(document.IsChanged(ExampleJob()));
    EXPECT_TRUE(document.IsChanged(Changed("1")));

    const fs::path path = dir_ / "a.snesenie";
    document.Save(Changed("1"), path);
    EXPECT_EQ(document.Path(), path);
    EXPECT_FALSE(document.IsChanged(Changed("1")));
    EXPECT_TRUE(document.IsChanged(ExampleJob()));

    JobDocument other;
    EXPECT_EQ(other.Open(path).texts, Changed("1").texts);
    EXPECT_EQ(other.Path(), path);
    EXPECT_EQ(other.Recent(), std::vector<std::string>{U8Text(path)});

    document.New();
    EXPECT_TRUE(document.Path().empty());
    EXPECT_FALSE(document.IsChanged(ExampleJob()));
}

// A refused open or a failed save leaves the open job as it was.
TEST_F(Document, FailureChangesNothing)
{
    JobDocument document;
    const fs::path good = dir_ / "good.snesenie";
    document.Save(Changed("1"), good);
    const std::vector<std::string> recent = document.Recent();

    fs::create_directory(dir_ / "folder.snesenie");
    EXPECT_THROW(document.Open(dir_ / "missing.snesenie"), JobError);
    EXPECT_THROW(document.Open(dir_ / "folder.snesenie"), JobError);
    EXPECT_THROW(document.Save(Changed("2"), dir_ / "folder.snesenie"), JobError);
    EXPECT_THROW(document.Save(Changed("2"), dir_ / "no" / "such.snesenie"), JobError);
    EXPECT_EQ(document.Path(), good);
    EXPECT_FALSE(document.IsChanged(Changed("1")));
    EXPECT_EQ(document.Recent(), recent);
}

TEST_F(Document, RecentListLatestFirstWithoutRepeats)
{
    JobDocument document;
    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i) {
        const fs::path path = dir_ / ("job" + std::to_string(i) + ".snesenie");
        document.Save(ExampleJob(), path);
        expected.insert(expected.begin(), U8Text(path));
    }
    expected.resize(JobDocument::kMaxRecent);
    EXPECT_EQ(document.Recent(), expected);

    // Opened again, a job moves to the top, once.
    document.Open(expected[3]);
    EXPECT_EQ(document.Recent().front(), expected[3]);
    EXPECT_EQ(document.Recent().size(), JobDocument::kMaxRecent);

    document.Forget(expected[3]);
    EXPECT_EQ(document.Recent().size(), JobDocument::kMaxRecent - 1);
}

// A settings file edited by hand, or by an attacker, must not put a control
// or bidirectional character into the menu.
TEST(RecentList, OnlyPlausiblePathsKept)
{
    // An absolute path has a drive on Windows.
#ifdef _WIN32
    const std::string kRoot = "C:";
#else
    const std::string kRoot;
#endif
    JobDocument document;
    document.SetRecent({
        kRoot + "/home/геодезист/пункт 17.snesenie",
        "",
        "relative.snesenie",
        kRoot + "/tmp/line\nbreak.snesenie",
        kRoot + "/tmp/\x1B[31mred.snesenie",
        kRoot + "/tmp/\u202Eenisens.exe",
        kRoot + "/tmp/\xFF.snesenie",
        kRoot + "/" + std::string(4096, 'a'),
        kRoot + "/home/геодезист/пункт 17.snesenie",
        kRoot + "/tmp/b.snesenie",
    });
    // A bidirectional mark may be in a real name: kept, and shown escaped.
    EXPECT_EQ(document.Recent(), (std::vector<std::string>{kRoot + "/home/геодезист/пункт 17.snesenie",
                                                           kRoot + "/tmp/\u202Eenisens.exe", kRoot + "/tmp/b.snesenie"}));
}

TEST(RecentList, ShownNameEscapedAndShortened)
{
    EXPECT_EQ(JobDocument::ShownName("/tmp/a.snesenie"), "/tmp/a.snesenie");
    const std::string longPath = "/home/" + std::string(100, 'x') + "/станция7.snesenie";
    const std::string shown = JobDocument::ShownName(longPath);
    EXPECT_TRUE(shown.starts_with("/home/xxx")) << shown;
    EXPECT_TRUE(shown.ends_with("/станция7.snesenie")) << shown;
    EXPECT_NE(shown.find("…"), std::string::npos) << shown;
    EXPECT_LT(shown.size(), longPath.size());
    EXPECT_EQ(JobDocument::ShownName("/tmp/\u202Ea"), "/tmp/\\u202Ea");
}

} // namespace
