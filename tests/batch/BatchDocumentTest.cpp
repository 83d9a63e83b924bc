// The batch a window lists: judged again by new tolerances, and the name its
// stations are offered to be saved under.

#include "BatchDocument.h"
#include "FieldTable.h"

#include "BatchTempDir.h"
#include "ScratchDir.h"

#include <gtest/gtest.h>

using namespace snesenie;
using namespace snesenie::batch;

namespace {

// Two stations: the example, and the example with its first base ten metres off.
std::string Table()
{
    std::string header = "station", good = "Пункт 1", bad = "Пункт/2";
    for (const FieldInfo& f : Fields()) {
        if (f.kind != FieldKind::Input)
            continue;
        header.append(";").append(f.name);
        good.append(";").append(f.example);
        bad.append(";").append(f.name == "Eb1" ? std::string_view("70,76") : f.example);
    }
    return header + "\n" + good + "\n" + bad + "\n";
}

} // namespace

using BatchDocumentTest = BatchTempDir;

TEST_F(BatchDocumentTest, JudgedAgainByNewTolerances)
{
    BatchDocument batch(Write("stations.csv", Table()), Tolerances{}, Precision{});
    ASSERT_EQ(batch.Size(), 2u);
    ASSERT_TRUE(batch.ResultAt(0).control.has_value());
    EXPECT_EQ(batch.ResultAt(0).control->Overall(), Verdict::Warning);
    // The example's two (AP) differ by 0,4``: beyond the finest tolerance.
    Tolerances strict;
    strict.directionSeconds = 0.1;
    batch.Judge(strict, Precision{});
    EXPECT_EQ(batch.ResultAt(0).control->Overall(), Verdict::Exceeded);
    EXPECT_EQ(batch.ResultAt(0).point, BatchDocument(dir_ / "stations.csv", Tolerances{}, Precision{}).ResultAt(0).point);
}

TEST_F(BatchDocumentTest, StationsOfferedBesideTheBatchNeverInIt)
{
    const BatchDocument table(Write("stations.csv", Table()), Tolerances{}, Precision{});
    EXPECT_EQ(table.ProposedJob(0), dir_ / U8Path("Пункт 1.snesenie"));
    // a name with a slash would have meant a folder that is not there
    EXPECT_EQ(table.ProposedJob(1), dir_ / U8Path("Пункт_2.snesenie"));

    std::filesystem::create_directory(dir_ / U8Path("задания"));
    Write("задания/Пункт 1.snesenie", R"({"format": "snesenie-job", "version": 1, "fields": {}})");
    // "задания/" names the folder as "задания" does.
    const BatchDocument folder(dir_ / U8Path("задания/"), Tolerances{}, Precision{});
    EXPECT_EQ(folder.Name(), "задания");
    EXPECT_EQ(folder.ProposedJob(0), dir_ / U8Path("Пункт 1.snesenie"));
    EXPECT_TRUE(folder.ReadsFrom(dir_ / U8Path("задания") / "." / U8Path("Пункт 1.snesenie")));
    EXPECT_FALSE(folder.ReadsFrom(dir_ / U8Path("Пункт 1.snesenie")));
}

TEST(FileNameFor, KeepsWhatAFileNameMayHold)
{
    const struct {
        std::string station, file;
    } rows[] = {
        {"Пункт 17", "Пункт 17"},
        {"a/b\\c", "a_b_c"},
        {"tab\there", "tab_here"},
        {"rtl\u202Eexe", "rtl_exe"},
        {std::string("bad\xFF"), "bad_"},
        {"", "станция"},
        {"..", "станция"},
        {".скрытый", ".скрытый"},
        {std::string(300, 'x'), std::string(200, 'x')},
        // cut between characters, never inside one
        {std::string(199, 'x') + "ж", std::string(199, 'x')},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FileNameFor(row.station), row.file) << row.station;
}
