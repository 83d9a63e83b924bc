// Job files on their own: what is refused and how it is said, texts that must
// come back byte for byte, and saves that fail without harming the file
// already there.

#include "Errors.h"
#ifndef _WIN32
#include "FailingCalls.h"
#endif
#include "FieldTable.h"
#include "JobFile.h"
#include "Numbers.h"
#include "SystemReason.h"

#include <gtest/gtest.h>

#include "ScratchDir.h"
#include "Utf8Path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <csignal>
#include <ctime>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace snesenie;
using namespace snesenie::job;

namespace {

std::string Slurp(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string JobText(const std::string& fields, const std::string& version = "1")
{
    return R"({"format": "snesenie-job", "version": )" + version + R"(, "program": "1.1.0", "fields": {)" + fields +
           "}}";
}

// Texts a half-finished sheet may hold: none of them has to be a number.
Job OddJob()
{
    const std::vector<std::string> odd{
        "Пункт №17", "  3700,05  ", "45.1", "", "1e999", "-0", "12 345,6", "«кавычки» и \"прямые\"",
        "C:\\обратная\\черта", "📐 угол", "\u00A0неразрывный", "ё", "0,000000000000000000001", "NaN",
    };
    Job job;
    std::size_t i = 0;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            job.texts[std::string(f.name)] = odd[i++ % odd.size()];
    job.texts["Edd2s"] = std::string(kMaxTextLength / 2, 'z') + std::string(kMaxTextLength / 2, 'x') + "y";
    return job;
}

class JobFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = MakeScratchDir("snesenie-job");
    }
    void TearDown() override
    {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }

    fs::path dir_;
};

TEST(JobText, RefusedWithTheProblemNamed)
{
    const std::string longText(kMaxTextLength + 1, '7');
    const std::string padded = JobText(R"("EXc": "1")") + std::string(kMaxFileBytes, ' ');
    const struct {
        const char* name;
        std::string content;
        std::string says;
    } rows[] = {
        {"empty", "", "файл пуст"},
        // the comma after the version is missing: found at line 4, where "fields" starts
        {"missingComma", "{\n  \"format\": \"snesenie-job\",\n  \"version\": 1\n  \"fields\": {}\n}",
         "это не JSON: набор не закрыт скобкой «}» или между его элементами нет запятой (строка 4, столбец 3)"},
        {"columnCountsCharacters", "{\"Поле\": 1 Я: 2}", "(строка 1, столбец 12)"},
        {"notUtf8", "{\"format\": \"\xFF\"}", "строка не в кодировке UTF-8"},
        {"garbageAfter", JobText("") + "x", "лишние символы после конца документа"},
        {"array", "[]", "это не задание программы"},
        {"otherFormat", R"({"format": "other", "version": 1, "fields": {}})", "это не задание программы"},
        {"noVersion", R"({"format": "snesenie-job", "fields": {}})", "неверная версия формата"},
        {"versionText", JobText("", "\"1\""), "неверная версия формата"},
        {"versionZero", JobText("", "0"), "неверная версия формата"},
        {"versionFraction", JobText("", "1.5"), "неверная версия формата"},
        {"newerVersion", JobText("", "2"),
         "задание записано более новой версией программы «1.1.0» в формате версии 2, а эта программа читает "
         "версию 1"},
        {"noFields", R"({"format": "snesenie-job", "version": 1})", "нет набора полей «fields»"},
        {"unknownField", JobText(R"("EXq": "1")"), "неизвестное поле «EXq»"},
        {"hostileFieldName", JobText(R"("\u0007)" + std::string(100, 'A') + R"(": "1")"),
         "неизвестное поле «\\u0007" + std::string(39, 'A') + "…»"},
        {"outputField", JobText(R"("EAB": "82°7`51``")"), "поле «EAB» вычисляется программой"},
        {"number", JobText(R"("EXc": 3700.05)"), "значение поля «EXc» не текст"},
        {"tab", JobText(R"("Eb1": "60,76\t")"), "текст поля «Eb1» содержит управляющие символы"},
        {"nul", JobText(R"("Eb1": "\u0000")"), "текст поля «Eb1» содержит управляющие символы"},
        {"c1Control", JobText(R"("Eb1": "\u0085")"), "текст поля «Eb1» содержит управляющие символы"},
        {"loneSurrogate", JobText(R"("Eb1": "\ud800")"), "в тексте повреждённый знак (половина пары UTF-16)"},
        {"tooLong", JobText(R"("Eb1": ")" + longText + "\""), "текст поля «Eb1» длиннее 32767 символов"},
        {"tooLarge", padded, "файл больше 4\u00A0МиБ"},
        // Not JSON, though a lenient reader took them: stray escapes, a
        // number without its leading digit, and a member named twice (which
        // of the two texts counts would be a guess).
        {"hexEscape", JobText(R"("EXc": "\x41")"), "в тексте недопустимое сочетание с обратной косой чертой (\\) (строка 1, столбец 82)"},
        {"unknownEscape", JobText(R"("EXc": "\q")"), "в тексте недопустимое сочетание с обратной косой чертой (\\) (строка 1, столбец 82)"},
        {"longUnicodeEscape", JobText(R"("EXc": "\U0041")"), "в тексте недопустимое сочетание с обратной косой чертой (\\) (строка 1, столбец 82)"},
        {"bareFraction", JobText("", ".1e1"), "это не JSON: недопустимое значение (строка 1, столбец 39)"},
        {"duplicateField", JobText("\n  \"EXc\": \"1\",\n  \"EXc\": \"2\""), "имя «EXc» задано дважды (строка 3, столбец 3)"},
        {"duplicateTag", R"({"format": "snesenie-job", "format": "x", "version": 1, "fields": {}})", "имя «format» задано дважды (строка 1, столбец 28)"},
        // found by fuzzing: a number too large for a double ended the program
        {"hugeNumber", JobText("", "1e999"), "число слишком велико (строка 1, столбец 39)"},
        {"hugeText", JobText(R"("EXc": 1e999)"), "число слишком велико (строка 1, столбец 80)"},
        {"deep", std::string(100, '[') + std::string(100, ']'), "слишком глубокая вложенность"},
        {"deep33", R"({"pad": )" + std::string(32, '[') + std::string(32, ']') + "}", "слишком глубокая вложенность"},
        {"delete", JobText(R"("Eb1": "1\u007f")"), "текст поля «Eb1» содержит управляющие символы"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            ParseJob(row.content, "/home/геодезист/пункт 17.snesenie");
            ADD_FAILURE() << "accepted";
        } catch (const JobError& e) {
            const std::string message = e.what();
            EXPECT_TRUE(message.starts_with("Не удалось открыть задание «/home/геодезист/пункт 17.snesenie»: "))
                << message;
            EXPECT_NE(message.find(row.says), std::string::npos) << message;
        }
    }
}

// Whatever its shape, a job is read or refused in time linear in its size.
// A member holding many empty objects used to take minutes: the reader went
// back over the whole array at the end of each object in it.
TEST(JobText, AnyShapeDecidedQuickly)
{
    // A quarter of the largest file, so that a reader gone quadratic fails
    // here in seconds instead of stalling for minutes; the benchmark reads
    // the largest.
    constexpr std::size_t kSize = kMaxFileBytes / 4;
    const std::string job = R"("format": "snesenie-job", "version": 1, "fields": {"EXc": "1"})";
    const auto fill = [](const std::string& head, const std::function<std::string(std::size_t)>& unit,
                         const std::string& tail) {
        std::string out = head;
        for (std::size_t i = 0; out.size() + tail.size() < kSize; ++i)
            out += unit(i);
        return out + tail;
    };
    const auto same = [](std::string unit) { return [unit](std::size_t) { return unit; }; };
    const struct {
        const char* name;
        std::string content;
    } rows[] = {
        {"emptyObjects", fill(R"({"pad": [{})", same(",{}"), "], " + job + "}")},
        {"emptyArrays", fill(R"({"pad": [[])", same(",[]"), "], " + job + "}")},
        {"manyMembers", fill(R"({"pad": {"k": {})", [](std::size_t i) { return ",\"k" + std::to_string(i) + "\":{}"; },
                             "}, " + job + "}")},
        {"membersInFields", fill(R"({"format": "snesenie-job", "version": 1, "fields": {"EXc": "1")",
                                 [](std::size_t i) { return ",\"x" + std::to_string(i) + "\":{}"; }, "}}")},
        {"objectsInArray", fill("[{\"k\": {}}", same(",{\"k\": {}}"), "]")},
        {"deepAndDeep", fill(R"({"pad": [0)", same("," + std::string(31, '[') + std::string(31, ']')), "], " + job + "}")},
        {"namedTwiceAtEnd", fill(R"({"pad": [{})", same(",{}"), "], \"pad\": 1}")},
        {"cutShort", fill(R"({"pad": [{})", same(",{}"), "")},
        {"longText", fill(R"({"pad": ")", same("\\u0041\\\""), "\", " + job + "}")},
        {"escapedQuotesUnclosed", fill(R"({"pad": ")", same("\\\""), "")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // Processor time, not the clock on the wall: a busy machine slows
        // every test alike and is no fault of the reader.
        const std::clock_t start = std::clock();
        try {
            ParseJob(row.content, "job");
        } catch (const JobError&) {
        }
        EXPECT_LT(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC, 2.0);
    }
}

TEST(JobText, FieldsLeftOutReadAsEmpty)
{
    const Job job = ParseJob(JobText(R"("EXc": "3700,05", "Eb2": "")"), "job");
    EXPECT_EQ(job.texts.size(), 26u);
    for (const auto& [name, text] : job.texts)
        EXPECT_EQ(text, name == "EXc" ? "3700,05" : "") << name;
}

// As a person writes one by hand: field-table order, two-space indents, a
// byte-order mark, members this version does not know and no program line.
TEST(JobText, HandWrittenJobAccepted)
{
    const std::string content = "\xEF\xBB\xBF{\n  \"format\": \"snesenie-job\",\n  \"version\": 1,\n"
                                "  \"comment\": \"пункт 17\",\n  \"fields\": {\n    \"EXc\": \"3700,05\",\n"
                                "    \"EYc\": \"13936,62\",\n    \"Edd2s\": \"52,8\"\n  }\n}\n";
    const Job job = ParseJob(content, "job");
    EXPECT_EQ(job.texts.at("EXc"), "3700,05");
    // nested as deep as a job may be: the top object and 31 arrays in it
    EXPECT_NO_THROW(ParseJob(R"({"pad": )" + std::string(31, '[') + std::string(31, ']') + "," +
                                 content.substr(content.find('{') + 1),
                             "job"));
    EXPECT_EQ(job.texts.at("EYc"), "13936,62");
    EXPECT_EQ(job.texts.at("Edd2s"), "52,8");
    EXPECT_EQ(job.texts.at("EXa"), "");
}

TEST(JobText, EveryTextComesBackByteForByte)
{
    const Job job = OddJob();
    const std::string bytes = SerializeJob(job);
    EXPECT_EQ(ParseJob(bytes, "job").texts, job.texts);
    EXPECT_NE(bytes.find(R"("format": "snesenie-job")"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find(R"("version": 1)"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find(R"("EXc": "Пункт №17")"), std::string::npos) << bytes;
    EXPECT_EQ(ParseJob(SerializeJob(ExampleJob()), "job").texts, ExampleJob().texts);
}

TEST_F(JobFiles, UnreadableFilesNamed)
{
    const fs::path missing = dir_ / U8Path("нет.snesenie");
    for (const fs::path& path : {missing, dir_}) {
        SCOPED_TRACE(path);
        try {
            ReadJob(path);
            ADD_FAILURE() << "accepted";
        } catch (const JobError& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with("Не удалось открыть задание «" + U8Text(path) + "»: "))
                << e.what();
        }
    }
#ifndef _WIN32
    // Only what fits the limit is ever read, whatever the file is.
    EXPECT_THROW(ReadJob("/dev/zero"), JobError);
#endif
}

// A save that no reader would take back is refused before the disk is touched.
TEST_F(JobFiles, TextsNoJobMayHoldAreNotWritten)
{
    const fs::path path = dir_ / "job.snesenie";
    WriteJob(ExampleJob(), path);
    const std::string before = Slurp(path);
    const struct {
        const char* name;
        std::string field, text, says;
    } rows[] = {
        // named as the window labels the box, and the invisible character said
        {"pastedTab", "Eb1", "60,76\t",
         ": в поле «b, вариант АВР» текст содержит невидимый управляющий символ (табуляция, знак 6)."},
        {"lineBreakInside", "Edd2s", "52\n,8", "в поле «δ, секунды, вариант АСР» текст содержит невидимый "
                                               "управляющий символ (перевод строки, знак 3)"},
        {"escapeAfterALetter", "EXc", "📐\x1B", "в поле «Xc» текст содержит невидимый управляющий символ (U+001B, знак 2)"},
        {"tooLong", "EXc", std::string(kMaxTextLength + 1, '1'), "в поле «Xc» текст длиннее 32767 символов"},
        {"notUtf8", "EYc", "\xD0", "в поле «Yc» текст не в кодировке UTF-8"},
        {"outputField", "EAB", "1", "нет поля ввода «EAB»"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Job job = ExampleJob();
        job.texts[row.field] = row.text;
        try {
            WriteJob(job, path);
            ADD_FAILURE() << "written";
        } catch (const JobError& e) {
            EXPECT_NE(std::string(e.what()).find(row.says), std::string::npos) << e.what();
            EXPECT_EQ(e.Field(), row.field == "EAB" ? "" : row.field);
            if (row.field != "EAB") {  // the internal name means nothing to the user
                EXPECT_EQ(std::string(e.what()).find("«" + row.field + "»"), std::string::npos) << e.what();
            }
        }
        EXPECT_EQ(Slurp(path), before);
    }
}

// a full disk used to replace the job with the first part of the new one
TEST_F(JobFiles, FailedSaveKeepsThePreviousFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "a disk that fills up is made by a file size limit, which Windows does not have";
#else
    const fs::path path = dir_ / "job.snesenie";
    Job changed = ExampleJob();
    changed.texts["EXa"] = "6327,50";
    // Small enough to sit in a write buffer, and larger than any buffer.
    for (const Job& job : {changed, OddJob()}) {
        WriteJob(ExampleJob(), path);
        const std::string before = Slurp(path);

        // A disk that fills up after the first hundred bytes.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit tight = old;
        tight.rlim_cur = 100;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
        std::string message;
        try {
            WriteJob(job, path);
        } catch (const JobError& e) {
            message = e.what();
        }
        setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_EQ(message, "Не удалось сохранить задание «" + U8Text(path) + "»: файл слишком велик.");
        EXPECT_EQ(Slurp(path), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1) << "a temporary file was left behind";
    }

    // The folder gone.
    EXPECT_THROW(WriteJob(OddJob(), dir_ / U8Path("нет") / "job.snesenie"), JobError);
#endif
}

TEST_F(JobFiles, ReadOnlyFolderKeepsThePreviousFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "a read-only folder and an ordinary user to be are POSIX permissions";
#else
    const fs::path path = dir_ / "job.snesenie";
    WriteJob(ExampleJob(), path);
    const std::string before = Slurp(path);
    fs::permissions(dir_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (access(dir_.c_str(), W_OK) != 0) {
        EXPECT_THROW(WriteJob(OddJob(), path), JobError);
    } else {
        // Permissions do not bind root, as whom the tests may run: the save is
        // then tried in a child that has become an ordinary user.
        ASSERT_EQ(geteuid(), 0u) << "a read-only folder that is writable";
        fs::permissions(dir_, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
        constexpr uid_t kNobody = 65534;
        EXPECT_EXIT(
            {
                if (setgid(kNobody) != 0 || setuid(kNobody) != 0)
                    std::_Exit(2);
                try {
                    WriteJob(OddJob(), path);
                } catch (const JobError&) {
                    std::_Exit(0);
                }
                std::_Exit(1);
            },
            testing::ExitedWithCode(0), "");
    }
    EXPECT_EQ(Slurp(path), before);
#endif
}

// A cell pasted from a spreadsheet ("3700,05\r\n") computed but could not be
// saved: the line break the box kept made the job refuse it.
TEST(JobFromSheet, PastedBreaksAroundATextAreDropped)
{
    const struct {
        const char* name;
        std::string typed, saved;
    } rows[] = {
        {"spreadsheetCell", "3700,05\r\n", "3700,05"},
        {"tabBefore", "\t3700,05", "3700,05"},
        {"spacesKept", " 60,76 \r\n", " 60,76 "},
        {"breaksAmongSpaces", "\t 45 \n ", " 45  "},
        {"noBreakSpaceKept", "\xC2\xA0\t1\n\xC2\xA0", "\xC2\xA0" "1\xC2\xA0"},
        {"emptyCell", "\r\n", ""},
        {"notANumber", "Пункт 17\n", "Пункт 17"},
        {"breakInside", "60\t76\n", "60\t76"},
        {"nothingToDrop", "45,1", "45,1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryFields fields;
        fields.SetText("EXc", row.typed);
        const Job job = JobFromFields(fields);
        EXPECT_EQ(job.texts.at("EXc"), row.saved);
        EXPECT_EQ(job.texts.at("EYc"), "13936,62");
        // What was dropped was a blank to the number reader: the same number.
        try {
            const Extended typed = ParseNumber(row.typed);
            EXPECT_EQ(ParseNumber(row.saved), typed);
        } catch (const CalcError&) {
            EXPECT_THROW(ParseNumber(row.saved), CalcError);
        }
    }
}

TEST_F(JobFiles, PastedCellSavedAndReadBack)
{
    MemoryFields fields;
    fields.SetText("EXc", "3700,05\r\n");
    fields.SetText("Eb1", "\t60,76");
    const fs::path path = dir_ / "job.snesenie";
    WriteJob(JobFromFields(fields), path);
    const Job read = ReadJob(path);
    EXPECT_EQ(read.texts.at("EXc"), "3700,05");
    EXPECT_EQ(read.texts.at("Eb1"), "60,76");
    EXPECT_EQ(read.texts, ExampleJob().texts);
}

// A save renames its new file over the name given, so a FIFO, a device node
// or a socket used to be replaced by a job (as root, /dev/null itself).
TEST_F(JobFiles, OnlyARegularFileIsReplaced)
{
#ifdef _WIN32
    GTEST_SKIP() << "FIFOs, sockets and device nodes are POSIX files; Windows has its own rows in WindowsDevicesAndFolders";
#else
    const fs::path fifo = dir_ / U8Path("канал"), folder = dir_ / U8Path("папка"), socketPath = dir_ / U8Path("сокет"),
                   device = dir_ / "null", linkToFifo = dir_ / U8Path("ссылка на канал");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder);
    fs::create_symlink(fifo, linkToFifo);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.native().size(), sizeof address.sun_path);
    socketPath.native().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    // A node with /dev/null's numbers, of our own, in the test's folder: only
    // root may make one.
    const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;

    const struct {
        const char* name;
        fs::path path;
        fs::file_type type;
        std::string says;
    } rows[] = {
        {"fifo", fifo, fs::file_type::fifo, "это именованный канал (FIFO), а не обычный файл."},
        {"folder", folder, fs::file_type::directory, "это папка, а не файл."},
        {"socket", socketPath, fs::file_type::socket, "это сокет, а не обычный файл."},
        {"device", device, fs::file_type::character, "это символьное устройство, а не обычный файл."},
        {"linkToFifo", linkToFifo, fs::file_type::fifo, "это именованный канал (FIFO), а не обычный файл."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.type == fs::file_type::character && !haveDevice)
            continue;  // not root
        try {
            WriteJob(ExampleJob(), row.path);
            ADD_FAILURE() << "written";
        } catch (const JobError& e) {
            EXPECT_EQ(std::string(e.what()), "Не удалось сохранить задание «" + U8Text(row.path) + "»: " + row.says);
        }
        EXPECT_EQ(fs::status(row.path).type(), row.type);
    }
    EXPECT_TRUE(fs::is_symlink(linkToFifo));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), haveDevice ? 5 : 4) << "a temporary file was left";
    close(listener);

    // A link to a job is saved through: the job it points to gets the new
    // texts and the link stays a link. A dangling link is a name not yet
    // taken: the job is made where it points.
    const fs::path job = dir_ / "job.snesenie", link = dir_ / U8Path("ссылка.snesenie");
    WriteJob(ExampleJob(), job);
    fs::create_symlink(job, link);
    WriteJob(OddJob(), link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadJob(job).texts, OddJob().texts);
    fs::remove(job);
    WriteJob(ExampleJob(), link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadJob(job).texts, ExampleJob().texts);
#endif
}

// A save follows a symbolic link only where the system would: root used to
// follow a link another user planted in /tmp and replace a file only root
// may write.
TEST_F(JobFiles, LinksInSharedFoldersFollowedAsTheSystemFollowsThem)
{
#ifdef _WIN32
    GTEST_SKIP() << "sticky folders and owners of links are POSIX";
#else
    if (geteuid() != 0)
        GTEST_SKIP() << "links of another user are made by root";
    constexpr uid_t kNobody = 65534;
    const fs::path shared = dir_ / "shared", guarded = dir_ / "guarded.snesenie";
    const struct {
        const char* name;
        uid_t folderOwner, linkOwner;
        bool followed;
    } rows[] = {
        {"anotherUsersLink", 0, kNobody, false},
        {"ownLink", kNobody, 0, true},
        {"folderOwnersLink", kNobody, kNobody, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(shared);
        fs::create_directory(shared);
        ASSERT_EQ(chown(shared.c_str(), row.folderOwner, row.folderOwner), 0);
        ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
        WriteJob(ExampleJob(), guarded);
        const fs::path link = shared / "job.snesenie";
        fs::create_symlink(guarded, link);
        ASSERT_EQ(lchown(link.c_str(), row.linkOwner, row.linkOwner), 0);
        try {
            WriteJob(OddJob(), link);
            EXPECT_TRUE(row.followed) << "written through";
        } catch (const JobError& e) {
            EXPECT_FALSE(row.followed) << e.what();
            EXPECT_EQ(std::string(e.what()), "Не удалось сохранить задание «" + U8Text(link) +
                                                 "»: это символическая ссылка другого пользователя в общей папке, по "
                                                 "ней не пишут.");
        }
        EXPECT_EQ(ReadJob(guarded).texts, (row.followed ? OddJob() : ExampleJob()).texts);
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(std::distance(fs::directory_iterator(shared), {}), 1) << "a temporary file was left";
    }
#endif
}

// Root saving a user's job used to leave it root's, and the user could no
// longer save it; a job with a second name (a hard link) was split from it
// without a word.
TEST_F(JobFiles, SaveKeepsOwnerAndSaysWhenLinksPartCompany)
{
#ifdef _WIN32
    GTEST_SKIP() << "owners and hard links are POSIX";
#else
    const fs::path path = dir_ / "job.snesenie", other = dir_ / U8Path("второе имя.snesenie");
    WriteJob(ExampleJob(), path);
    if (geteuid() == 0) {
        constexpr uid_t kNobody = 65534;
        ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(chmod(path.c_str(), 0640), 0);
        EXPECT_EQ(WriteJob(OddJob(), path), "");
        struct stat info {};
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, kNobody);
        EXPECT_EQ(info.st_gid, kNobody);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        EXPECT_EQ(ReadJob(path).texts, OddJob().texts);
    }

    fs::create_hard_link(path, other);
    const std::string before = Slurp(other);
    EXPECT_EQ(WriteJob(ExampleJob(), path),
              "Задание «" + U8Text(path) + "» сохранено, но у файла были и другие имена (жёсткие ссылки: 1); "
              "сохранённый файл теперь отдельный, под другими именами осталось прежнее содержимое.");
    EXPECT_EQ(ReadJob(path).texts, ExampleJob().texts);
    EXPECT_EQ(Slurp(other), before);
    EXPECT_EQ(WriteJob(OddJob(), path), "") << "said once";
#endif
}

// Temporaries of saves killed halfway (up to the size of the file each) used
// to stay for ever; only what is plainly a stale one of ours may go.
TEST_F(JobFiles, StaleTemporariesOfTheSameFileRemoved)
{
#ifdef _WIN32
    GTEST_SKIP() << "temporaries are found by their POSIX names and locks";
#else
    const fs::path path = dir_ / "job.snesenie";
    WriteJob(ExampleJob(), path);
    const struct {
        const char* name;
        const char* file;
        bool old, held, removed;
    } rows[] = {
        {"stale", ".job.snesenie.0a1b2c3d.tmp", true, false, true},
        {"fresh", ".job.snesenie.4e5f6g7h.tmp", false, false, false},
        {"stillBeingWritten", ".job.snesenie.8i9j0k1l.tmp", true, true, false},
        {"anotherFilesTemporary", ".other.snesenie.0a1b2c3d.tmp", true, false, false},
        {"notOurPattern", ".job.snesenie.0A1B2C3D.tmp", true, false, false},
        {"notOurPatternLonger", ".job.snesenie.0a1b2c3d4.tmp", true, false, false},
    };
    std::vector<int> held;
    for (const auto& row : rows) {
        const fs::path file = dir_ / row.file;
        std::ofstream(file) << "half a job";
        if (row.old) {
            const timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 120, 0}};
            ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
        }
        if (row.held) {
            held.push_back(open(file.c_str(), O_RDONLY));
            ASSERT_EQ(flock(held.back(), LOCK_EX), 0);
        }
    }
    WriteJob(OddJob(), path);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fs::exists(dir_ / row.file), !row.removed);
    }
    for (const int fd : held)
        close(fd);
#endif
}

} // namespace

// A name typed in Russian, in a folder named in Russian, as the command line
// and the window hand it on: UTF-8 text. On Windows the C library's own
// narrow conversion used to make "Ð—Ð°Ð´Ð°Ð½Ð¸Ñ" of it.
TEST_F(JobFiles, CyrillicNamesSavedReplacedAndReopened)
{
    fs::create_directory(dir_ / U8Path("Задания участка"));
    const std::string folder = U8Text(dir_) + "/Задания участка";
    const fs::path path = PathFromUtf8(folder + "/Пункт №4 — север.snesenie");
    WriteJob(ExampleJob(), path);
    WriteJob(OddJob(), path);  // over the first
    std::vector<fs::path> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_ / U8Path("Задания участка")))
        names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<fs::path>{U8Path("Пункт №4 — север.snesenie")}) << "one file, by its own name";
    EXPECT_EQ(ReadJob(path).texts, OddJob().texts);
    EXPECT_EQ(PathToUtf8(path), folder + "/Пункт №4 — север.snesenie");

    // The folder itself is no job, and says so by its name.
    try {
        WriteJob(ExampleJob(), PathFromUtf8(folder));
        ADD_FAILURE() << "written";
    } catch (const JobError& e) {
        EXPECT_EQ(std::string(e.what()), "Не удалось сохранить задание «" + folder + "»: это папка, а не файл.");
    }
}

// Names Windows keeps for devices in every folder, and files a save must not
// take: one marked read-only, one another program holds open.
TEST_F(JobFiles, WindowsDevicesAndLockedFiles)
{
#ifndef _WIN32
    GTEST_SKIP() << "device names and share modes are Windows's";
#else
    for (const std::string name : {"NUL", "con.snesenie", "Aux .snesenie", "com1.csv", "LPT9"}) {
        SCOPED_TRACE(name);
        try {
            WriteJob(ExampleJob(), dir_ / name);
            ADD_FAILURE() << "written";
        } catch (const JobError& e) {
            EXPECT_NE(std::string(e.what()).find(": это устройство, а не обычный файл."), std::string::npos) << e.what();
        }
        EXPECT_THROW(ReadJob(dir_ / name), JobError);
    }
    EXPECT_THROW(WriteJob(ExampleJob(), R"(\\.\pipe\snesenie)"), JobError);
    EXPECT_TRUE(fs::is_empty(dir_));

    const fs::path path = dir_ / U8Path("задание.snesenie");
    WriteJob(ExampleJob(), path);
    const std::string before = Slurp(path);
    ASSERT_NE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY), 0);
    try {
        WriteJob(OddJob(), path);
        ADD_FAILURE() << "written";
    } catch (const JobError& e) {
        EXPECT_EQ(std::string(e.what()), "Не удалось сохранить задание «" + U8Text(path) + "»: файл только для чтения.");
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Held open with no sharing, as some editors hold what they show.
    const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(WriteJob(OddJob(), path), JobError);
    CloseHandle(held);
    EXPECT_EQ(Slurp(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1) << "a temporary file was left behind";
#endif
}

// The largest job the writer can make reopens: 26 texts at their longest, of
// the characters that take the most bytes. 11 fields of 32767 "€" used to be
// saved and then refused as too large.
TEST_F(JobFiles, LargestJobRoundTrips)
{
    const fs::path path = dir_ / "largest.snesenie";
    for (const std::string unit : {"€", "\"", "\\", "😀"}) {
        SCOPED_TRACE(unit);
        Job job;
        const std::size_t count = unit == "😀" ? kMaxTextLength / 2 : kMaxTextLength;
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += unit;
        for (const FieldInfo& f : Fields())
            if (f.kind == FieldKind::Input)
                job.texts[std::string(f.name)] = text;
        WriteJob(job, path);
        EXPECT_LE(static_cast<std::int64_t>(fs::file_size(path)), kMaxFileBytes);
        EXPECT_EQ(ReadJob(path).texts, job.texts);
    }
    // a file of exactly the largest size is read, one byte more is refused
    std::string exact = JobText(R"("EXc": "1")");
    exact.resize(static_cast<std::size_t>(kMaxFileBytes), ' ');
    std::ofstream(path, std::ios::binary | std::ios::trunc) << exact;
    EXPECT_EQ(ReadJob(path).texts.at("EXc"), "1");
    std::ofstream(path, std::ios::binary | std::ios::app) << ' ';
    EXPECT_THROW(ReadJob(path), JobError);
}

// A FIFO named as a job used to block the reader until something wrote to it.
TEST_F(JobFiles, FifoRefusedAtOnce)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no FIFO in its file system";
#else
    const fs::path fifo = dir_ / "fifo.snesenie";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    alarm(10);  // a read that blocks ends the test program
    try {
        ReadJob(fifo);
        ADD_FAILURE() << "read";
    } catch (const JobError& e) {
        EXPECT_NE(std::string(e.what()).find("это именованный канал (FIFO), а не обычный файл"), std::string::npos)
            << e.what();
    }
    alarm(0);
#endif
}

// A save whose last steps failed (the flush to disk, the rename over the old
// file) used to be taken for done: every step's failure is the save's.
TEST_F(JobFiles, EveryFailedStepFailsTheSave)
{
#ifdef _WIN32
    GTEST_SKIP() << "the failing calls are put in front of the C library by the dynamic linker";
#else
    const fs::path path = dir_ / "job.snesenie";
    const struct {
        const char* call;
        int error;
        const char* says;
    } rows[] = {
        {"fchmod", EPERM, "операция не позволена"},
        {"fsync", EIO, "ошибка ввода-вывода"},
        {"fsync", ENOSPC, "на диске нет места"},
        {"rename", EXDEV, "файлы на разных файловых системах"},
        {"rename", EACCES, "нет доступа"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.call) + " " + row.says);
        WriteJob(ExampleJob(), path);
        const std::string before = Slurp(path);
        FailCall(row.call, row.error);
        std::string message;
        try {
            WriteJob(OddJob(), path);
        } catch (const JobError& e) {
            message = e.what();
        }
        FailCall(nullptr, 0);
        EXPECT_EQ(message, "Не удалось сохранить задание «" + U8Text(path) + "»: " + row.says + ".");
        EXPECT_EQ(Slurp(path), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1) << "a temporary file was left behind";
    }
#endif
}

// Reasons are the program's own Russian words, whatever the locale.
TEST(SystemReasons, CommonOnesInRussian)
{
    const struct {
        int error;
        const char* says;
    } rows[] = {
        {ENOENT, "нет такого файла или папки"}, {EACCES, "нет доступа"},
        {ENOSPC, "на диске нет места"},         {ELOOP, "слишком много уровней символических ссылок"},
        {ENAMETOOLONG, "слишком длинное имя файла"},
    };
    const fs::path missing = fs::temp_directory_path() / "snesenie-no-such-folder" / "job.snesenie";
    for (const auto& row : rows)
        EXPECT_EQ(SystemReason(row.error), row.says);
    EXPECT_THROW(ReadJob(missing), JobError);
}
