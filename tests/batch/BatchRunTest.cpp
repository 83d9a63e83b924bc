// Running a batch: each station on a sheet of its own, a failure that stops
// one station and no other, a folder of jobs, and a table of results that
// is written whole or not at all, never over what the batch was read from.

#include "CheckColumns.h"
#include "Errors.h"
#include "FieldTable.h"
#include "JobFile.h"
#include "Results.h"
#include "RunStation.h"
#include "Stations.h"

#include "BatchTempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace snesenie;
using namespace snesenie::batch;

namespace {

Station Example(const std::string& name)
{
    Station station;
    station.name = name;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            station.texts.Set(f.name, f.example);
    return station;
}

// The example sheet's results, as the window prints them.
const std::array<std::string, 6> kExamplePoint{"6234,85", "12335,23", "6234,85", "12335,23", "6234,85", "12335,23"};

[[maybe_unused]] std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Split(const std::string& line, char sep)
{
    std::vector<std::string> cells(1);
    for (const char c : line) {
        if (c == sep)
            cells.emplace_back();
        else
            cells.back() += c;
    }
    return cells;
}

using BatchFiles = BatchTempDir;

} // namespace

TEST(RunStation, ExampleComputedWithItsControl)
{
    const StationResult result = RunStation(Example("1"), Tolerances{}, Precision{});
    ASSERT_TRUE(result.computed) << result.error;
    EXPECT_EQ(result.point, kExamplePoint);
    ASSERT_TRUE(result.control);
    // the results table has columns for every check the control gives, in its order
    std::size_t column = 0;
    for (const Check& check : result.control->checks) {
        while (column < kCheckColumns.size() && check.name != kCheckColumns[column].check)
            ++column;
        EXPECT_LT(column, kCheckColumns.size()) << check.name;
    }
    // the tolerances given are the ones judged by
    Tolerances strict;
    strict.gammaMin = 10;
    strict.directionSeconds = 0.1;
    const StationResult judged = RunStation(Example("1"), strict, Precision{});
    EXPECT_EQ(judged.control->checks[1].verdict, Verdict::Exceeded);
}

TEST(RunStation, FailingRowInTheMiddleStopsOnlyItself)
{
    // The middle rows stop: at a text that is not a number (its column
    // named), at a division by zero on page 2 (no field to name), at an
    // empty cell; the stations around them come out as alone.
    StationList list;
    list.columns = {{"EXa", 6}, {"Eb1", 21}};
    list.stations = {Example("до"), Example("не число"), Example("деление"), Example("пусто"), Example("после")};
    for (std::size_t i = 0; i < list.stations.size(); ++i)
        list.stations[i].line = static_cast<int>(i) + 2;
    list.stations[1].texts.Set("EXa", "63x7");
    // B right behind a base angle of 151° on page 2: a recorded sheet whose
    // page 2 divides by zero
    const std::map<std::string, std::string> zero{
        {"EXa", "4165,05"},  {"EXb", "2883,85"},   {"EXc", "5144,58"},   {"EYa", "51291,2"},  {"EYb", "61186,42"},
        {"EYc", "53006,26"}, {"Eb1", "58,9"},      {"Eb2", "125,1"},     {"Ebb11g", "68"},    {"Ebb11m", "21"},
        {"Ebb11s", "48,5"},  {"Ebb1g", "29"},      {"Ebb1m", "0"},       {"Ebb1s", "0"},      {"Ebb22g", "95"},
        {"Ebb22m", "53"},    {"Ebb22s", "38,8"},   {"Ebb2g", "151"},     {"Ebb2m", "0"},      {"Ebb2s", "0"},
        {"Edd1g", "54"},     {"Edd1m", "55"},      {"Edd1s", "38,5"},    {"Edd2g", "29"},     {"Edd2m", "52"},
        {"Edd2s", "37,6"},
    };
    for (const auto& [name, text] : zero)
        list.stations[2].texts.Set(name, text);
    list.stations[3].texts.Set("Eb1", " ");

    std::vector<StationResult> results;
    for (const Station& station : list.stations)
        results.push_back(RunStation(station, Tolerances{}, Precision{}));
    EXPECT_TRUE(results[0].computed);
    EXPECT_EQ(results[0].point, kExamplePoint);
    EXPECT_TRUE(results[4].computed);
    EXPECT_EQ(results[4].point, kExamplePoint);
    const std::string failures[] = {
        FailureText(list.stations[1], results[1], list),
        FailureText(list.stations[2], results[2], list),
        FailureText(list.stations[3], results[3], list),
    };
    EXPECT_EQ(failures[0], "строка 3, столбец 6 (EXa): В поле «Xa» не число: «63x7».");
    EXPECT_EQ(failures[1], "строка 4: Не удалось вычислить «d, вариант АВР»: γ = 0 (β1 + β2 = 180°): базисный треугольник не построить. Проверьте углы β1 и β2.");
    EXPECT_TRUE(failures[2].starts_with("строка 5, столбец 21 (Eb1): В поле ")) << failures[2];
    for (int i : {1, 2, 3}) {
        EXPECT_FALSE(results[i].computed);
        EXPECT_FALSE(results[i].control);
        EXPECT_EQ(results[i].point, (std::array<std::string, 6>{}));
    }

    // In the table each failure has its row: the name and the error only.
    list.separator = ';';
    const std::string table = FormatResults(list, results, false);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < table.size();) {
        const std::size_t end = table.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
        lines.push_back(table.substr(start, end - start));
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0],
              "station;EXp1;EYp1;EXp2;EYp2;Xp;Yp;mx_m;my_m;mP_m;D_ratio;D_verdict;AP_sec;AP_verdict;P_m;P_verdict;"
              "GAMMA1_deg;GAMMA1_verdict;GAMMA2_deg;GAMMA2_verdict;RIGOROUS_m;RIGOROUS_verdict;MT_verdict;"
              "INPUT_verdict;verdict;notes;error");
    EXPECT_EQ(lines[2], "не число;;;;;;;;;;;;;;;;;;;;;;;;;;" + failures[0]);
    const std::vector<std::string> first = Split(lines[1], ';');
    ASSERT_EQ(first.size(), 27u);
    EXPECT_EQ(first[0], "до");
    EXPECT_EQ(first[5], "6234,85");
    // Numbers in the unit of their header, the prose in the notes.
    EXPECT_EQ(first[9], "0,0079");     // mP_m of the mean
    EXPECT_EQ(first[10], "");          // the two d agree to the centimetre: no 1:N
    EXPECT_EQ(first[12], "-0,4");      // AP_sec
    EXPECT_EQ(first[13], "ok");        // the two (AP) agree
    EXPECT_EQ(first[14], "0");         // P_m
    EXPECT_EQ(first[18], "26,6244722");  // GAMMA2_deg: 26°37′28,1″
    EXPECT_EQ(first[19], "warning");   // γ of the base through C is below 30°
    EXPECT_EQ(first[22], "");          // no tolerance for m_P: not judged
    EXPECT_EQ(first[23], "ok");        // every input within its usual range
    EXPECT_EQ(first[24], "warning");
    EXPECT_TRUE(first[25].starts_with("D: 0\u00A0м | AP: -0,4`` | P: 0\u00A0м")) << first[25];
    EXPECT_EQ(first[26], "");

    // The number of each check's prose, as the control prints it: N of 1:N
    // without its no-break groups, nothing for what is no number.
    const struct {
        const char* name;
        const char* value;
        const char* number;
    } values[] = {
        {"D", "0,01\u00A0м (1:12\u00A0345)", "12345"},
        {"D", "-0,02\u00A0м (1:4700)", "4700"},
        {"D", "3\u00A0м (больше самого d)", "0"},
        {"AP", "12,5``", "12.5"},
        {"P", "не вычислено: деление на нуль", ""},
    };
    for (const auto& v : values)
        EXPECT_EQ(CheckNumber(Check{v.name, {}, {}, v.value, {}, Verdict::Ok}, '.'), v.number) << v.value;
}

// A station's own precision columns over the settings: an empty cell keeps
// the setting, a wrong one fails that station alone, naming its column.
TEST(RunStation, OwnPrecisionOverTheSettings)
{
    const StationList list = ParseStationTable(
        [] {
            std::string table = "station;angleSeconds;baseRatio";
            for (const FieldInfo& f : Fields())
                if (f.kind == FieldKind::Input)
                    table.append(";").append(f.name);
            for (const char* row : {"settings;;", "theodolite 2;2;10000", "slip;0,2;"}) {
                table.append("\n").append(row);
                for (const FieldInfo& f : Fields())
                    if (f.kind == FieldKind::Input)
                        table.append(";").append(f.example);
            }
            return table.append("\n");
        }(),
        "t.csv", ';');
    Precision coarse;
    coarse.angleSeconds = 10;
    const StationResult settings = RunStation(list.stations[0], Tolerances{}, coarse);
    const StationResult own = RunStation(list.stations[1], Tolerances{}, coarse);
    const StationResult slip = RunStation(list.stations[2], Tolerances{}, coarse);
    ASSERT_TRUE(settings.computed && own.computed);
    EXPECT_EQ(settings.control->precision.angleSeconds, 10);
    EXPECT_EQ(own.control->precision.angleSeconds, 2);
    EXPECT_EQ(own.control->precision.baseRatio, 10000);
    EXPECT_LT(own.control->accuracy.mean.mP, settings.control->accuracy.mean.mP);
    EXPECT_FALSE(slip.computed);
    EXPECT_TRUE(FailureText(list.stations[2], slip, list).starts_with("строка 4, столбец 2 (angleSeconds): «"))
        << FailureText(list.stations[2], slip, list);
}

TEST(Results, CellsQuotedOnlyWhereTheyMustBe)
{
    const struct {
        const char* text;
        char separator;
        const char* cell;
    } rows[] = {
        {"6234,85", ';', "6234,85"},
        {"6234,85", ',', "\"6234,85\""},
        {"Пункт; север", ';', "\"Пункт; север\""},
        {"Пункт \"Север\"", ';', "\"Пункт \"\"Север\"\"\""},
        {"две\r\nстроки", ',', "\"две\r\nстроки\""},
        {"до\rпосле", ';', "\"до\rпосле\""},
        {"", ';', ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CsvCell(row.text, row.separator), row.cell) << row.text;

    // A file starts with the byte-order mark; the separator is the table's.
    StationList list;
    list.separator = ',';
    list.stations = {Example("Пункт \"1\", север")};
    const std::string table = FormatResults(list, {RunStation(list.stations[0], Tolerances{}, Precision{})}, true);
    EXPECT_TRUE(table.starts_with("\xEF\xBB\xBFstation,EXp1,"));
    EXPECT_NE(table.find("\r\n\"Пункт \"\"1\"\", север\",\"6234,85\",\"12335,23\","), std::string::npos);
    // The numbers of a table parted by ',' take the decimal point, unquoted.
    EXPECT_NE(table.find(",0.0077,0.002,0.0079,,ok,-0.4,ok,0,ok,40.1056389,ok,26.6244722,warning,0.003,ok,,ok,warning,"),
              std::string::npos)
        << table;

    // A name is text as a message shows it: what a spreadsheet would run as
    // a formula starts with an apostrophe, and what would reach a terminal
    // raw, or break the table's UTF-8, is escaped. Numbers keep their sign.
    const struct {
        const char* name;
        const char* cell;
    } names[] = {
        {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
        {"+1", "'+1"},
        {"-2", "'-2"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\t=1+2", "\\u0009=1+2"},
        {"\r=1+2", "\\u000D=1+2"},
        {"\x1B[2J\x1B]2 окно\a", "\\u001B[2J\\u001B]2 окно\\u0007"},
        {"пункт\x7F\f", "пункт\\u007F\\u000C"},
        {"\xFF.csv", "\\xFF.csv"},
        {"Пункт 1 = 2", "Пункт 1 = 2"},
    };
    list.separator = ';';
    Station negative = Example("");
    negative.texts.Set("EXa", "-3672,54");
    negative.texts.Set("EXb", "-2950,26");
    negative.texts.Set("EXc", "-6299,95");
    for (const auto& row : names) {
        negative.name = row.name;
        list.stations = {negative};
        const std::string out = FormatResults(list, {RunStation(negative, Tolerances{}, Precision{})}, false);
        const std::vector<std::string> cells = Split(out.substr(out.find("\r\n") + 2), ';');
        EXPECT_EQ(cells[0], row.cell);
        EXPECT_EQ(cells[1], "-3765,14");
        // a failed station's message is text too, and escaped
        Station failed = Example(row.name);
        failed.readError = row.name;
        list.stations = {failed};
        const std::string message = FormatResults(list, {RunStation(failed, Tolerances{}, Precision{})}, false);
        EXPECT_TRUE(message.ends_with(";" + std::string(row.cell) + "\r\n")) << message;
    }
}

TEST_F(BatchFiles, FolderOfJobs)
{
    namespace fs = std::filesystem;
    job::Job bad = job::ExampleJob();
    bad.texts["Eb2"] = "сорок";
    job::WriteJob(job::ExampleJob(), dir_ / U8Path("Б-2.snesenie"));
    job::WriteJob(bad, dir_ / U8Path("А-1.snesenie"));
    Write("В-3.snesenie", "{ не JSON");
    Write("заметки.txt", "не задание");
    // a folder so named is a station that fails, as a FIFO is: neither is
    // passed over without a word
    fs::create_directory(dir_ / U8Path("папка.snesenie"));
#ifdef _WIN32
    const std::size_t jobs = 4;  // no FIFO on Windows
#else
    ASSERT_EQ(mkfifo((dir_ / U8Path("канал.snesenie")).c_str(), 0600), 0);
    fs::create_directory_symlink(dir_ / U8Path("папка.snesenie"), dir_ / U8Path("ссылка.snesenie"));
    const std::size_t jobs = 6;
#endif

    const StationList list = ReadStations(dir_);
    ASSERT_EQ(list.stations.size(), jobs);
    EXPECT_EQ(list.columns.size(), 0u);
    std::vector<StationResult> results;
    for (const Station& station : list.stations)
        results.push_back(RunStation(station, Tolerances{}, Precision{}));

    EXPECT_EQ(list.stations[0].name, "А-1");
    EXPECT_TRUE(FailureText(list.stations[0], results[0], list)
                    .starts_with("задание «" + U8Text(dir_ / U8Path("А-1.snesenie")) + "»: В поле "));
    EXPECT_EQ(list.stations[1].name, "Б-2");
    EXPECT_TRUE(results[1].computed);
    EXPECT_EQ(results[1].point, kExamplePoint);
    EXPECT_EQ(list.stations[2].name, "В-3");
    EXPECT_FALSE(results[2].computed);
    EXPECT_NE(results[2].error.find("это не JSON"), std::string::npos) << results[2].error;
    // a FIFO is not opened, so the batch does not wait on it
    const std::size_t folder = jobs == 6 ? 4 : 3;
    if (jobs == 6) {
        EXPECT_EQ(list.stations[3].name, "канал");
        EXPECT_NE(results[3].error.find("это именованный канал (FIFO), а не обычный файл"), std::string::npos);
        EXPECT_EQ(list.stations[5].name, "ссылка");
        EXPECT_NE(results[5].error.find("это папка"), std::string::npos) << results[5].error;
    }
    EXPECT_EQ(list.stations[folder].name, "папка");
    EXPECT_NE(results[folder].error.find("это папка"), std::string::npos) << results[folder].error;
    EXPECT_EQ(list.inputs.size(), jobs);

    const fs::path empty = dir_ / U8Path("пустая");
    fs::create_directory(empty);
    try {
        ReadStations(empty);
        ADD_FAILURE() << "an empty folder was read";
    } catch (const BatchError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Не удалось прочитать папку заданий «" + U8Text(empty) + "»" +
                      ": в ней нет заданий (файлов .snesenie).");
    }
}

TEST_F(BatchFiles, ResultsNeverReplaceWhatTheBatchReads)
{
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links and FIFOs; the writer refuses by the same code as for jobs, tested there on Windows";
#else
    namespace fs = std::filesystem;
    const fs::path table = Write("станции.csv", "");
    StationList fromTable;
    fromTable.inputs = {table};
    fs::create_symlink(table, dir_ / U8Path("ссылка.csv"));
    fs::create_hard_link(table, dir_ / U8Path("вторая.csv"));
    ASSERT_EQ(mkfifo((dir_ / U8Path("канал.csv")).c_str(), 0600), 0);
    const fs::path jobs = dir_ / U8Path("задания");
    fs::create_directory(jobs);
    StationList fromJobs;
    fromJobs.inputs = {jobs / "a.snesenie", jobs / "b.snesenie"};
    for (const fs::path& job : fromJobs.inputs)
        Write(U8Text(fs::relative(job, dir_)), "{}");

    const std::string isTable = "это таблица станций, из которой вычисляется пакет";
    EXPECT_EQ(ResultsTargetProblem(table, fromTable), isTable);
    EXPECT_EQ(ResultsTargetProblem(dir_ / U8Path("ссылка.csv"), fromTable), isTable);
    EXPECT_EQ(ResultsTargetProblem(dir_ / U8Path("вторая.csv"), fromTable), isTable);
    EXPECT_EQ(ResultsTargetProblem(dir_ / "." / U8Path("станции.csv"), fromTable), isTable);
    EXPECT_EQ(ResultsTargetProblem(dir_ / U8Path("канал.csv"), fromTable), "это именованный канал (FIFO), а не обычный файл");
    EXPECT_EQ(ResultsTargetProblem(dir_ / U8Path("результаты.csv"), fromTable), "");
    EXPECT_EQ(ResultsTargetProblem(jobs / "b.snesenie", fromJobs),
              "это задание пакета «" + U8Text(jobs / "b.snesenie") + "»");
    EXPECT_EQ(ResultsTargetProblem(jobs / U8Path("результаты.csv"), fromJobs), "");
    EXPECT_EQ(ResultsTargetProblem(table, fromJobs), "");
#endif
}

TEST_F(BatchFiles, ResultsWrittenWholeOrNotAtAll)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX permissions, symbolic links and /dev/null; the writer is the one tested for jobs on Windows";
#else
    namespace fs = std::filesystem;
    const fs::path out = dir_ / U8Path("результаты.csv");
    WriteResultsFile(out, "первые");
    EXPECT_EQ(ReadAll(out), "первые");
    fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteResultsFile(out, "вторые");
    EXPECT_EQ(ReadAll(out), "вторые");
    EXPECT_EQ(fs::status(out).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // through a link, which stays a link
    const fs::path link = dir_ / U8Path("ссылка.csv");
    fs::create_symlink(out, link);
    WriteResultsFile(link, "третьи");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(out), "третьи");

    // a device is refused before anything is written
    EXPECT_THROW(WriteResultsFile("/dev/null", "x"), BatchError);

    // a folder that cannot be written to leaves the old file and no stray
    // temporary (root writes anywhere: then only the first half holds)
    const fs::path locked = dir_ / U8Path("закрыта");
    fs::create_directory(locked);
    WriteResultsFile(locked / "r.csv", "старые");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(locked.c_str(), W_OK) != 0) {
        EXPECT_THROW(WriteResultsFile(locked / "r.csv", "новые"), BatchError);
        EXPECT_EQ(ReadAll(locked / "r.csv"), "старые");
    }
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_EQ(std::distance(fs::directory_iterator(locked), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);
#endif
}
