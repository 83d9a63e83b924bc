// Reading a table of stations: what a spreadsheet really writes is read the
// same whichever way it was saved, and a broken or hostile file is refused
// whole with its line and column, before any station is computed.

#include "FieldTable.h"
#include "Stations.h"

#include "BatchTempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

using namespace snesenie;
using namespace snesenie::batch;

namespace {

std::vector<std::string> InputNames()
{
    std::vector<std::string> names;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            names.emplace_back(f.name);
    return names;
}

std::string ExampleText(const std::string& name) { return std::string(FindField(name)->example); }

// The header and one row per station of the example sheet, joined by sep,
// with the decimal commas quoted where sep is a comma.
std::string ExampleTable(char sep, const std::vector<std::string>& stations, const std::string& eol = "\n")
{
    std::string out = "station";
    for (const std::string& name : InputNames())
        out += sep + name;
    out += eol;
    for (const std::string& station : stations) {
        out += station;
        for (const std::string& name : InputNames()) {
            const std::string text = ExampleText(name);
            out += sep + (text.find(sep) != std::string::npos ? "\"" + text + "\"" : text);
        }
        out += eol;
    }
    return out;
}

std::string Header(const std::string& sep = ";")
{
    std::string out = "station";
    for (const std::string& name : InputNames())
        out += sep + name;
    return out;
}

// A row of the example with the given station cell (as it stands in the
// file) and one field's cell replaced, when field is given.
std::string Row(const std::string& station, const std::string& field = {}, const std::string& cell = {})
{
    std::string out = station;
    for (const std::string& name : InputNames())
        out += ";" + (name == field ? cell : ExampleText(name));
    return out;
}

std::string Refused(std::string_view content, char separator = 0)
{
    try {
        ParseStationTable(content, "t.csv", separator);
    } catch (const BatchError& e) {
        return e.what();
    }
    return "(read)";
}

const std::string kPrefix = "Не удалось прочитать таблицу станций «t.csv»: ";

using TempDir = BatchTempDir;

} // namespace

TEST(StationTable, HostileTablesAreRefusedWithLineAndColumn)
{
    const std::string h = Header();
    std::string twice = h + ";EXa";
    std::string missing = h.substr(0, h.rfind(';'));  // without the last column, Edd2s
    std::string ragged = Row("1");
    ragged.erase(ragged.rfind(';'));
    const struct {
        const char* name;
        std::string content;
        std::string says;
    } rows[] = {
        {"rowTooShort", h + "\n" + Row("1") + "\n" + ragged + "\n",
         "строка 3, столбец 27: в строке 26 ячеек, а в заголовке 27 ячеек"},
        {"rowTooLong", h + "\n" + Row("1") + ";лишняя\n", "строка 2, столбец 28: в строке 28 ячеек, а в заголовке 27 ячеек"},
        {"quoteLeftOpen", h + "\n" + Row("1") + "\n" + Row("\"2") + "\n" + Row("3") + "\n",
         "строка 3, столбец 1: кавычка открыта и не закрыта до конца файла"},
        {"quoteInPlainCell", h + "\n" + Row("1", "EXa", "63\"27") + "\n",
         "строка 2, столбец 6: кавычка внутри ячейки без кавычек (ячейку с кавычками целиком заключают в кавычки, "
         "а кавычку внутри неё удваивают)"},
        {"textAfterQuote", h + "\n" + Row("\"1\"x") + "\n",
         "строка 2, столбец 1: после закрывающей кавычки ожидается разделитель «;» или конец строки"},
        {"fieldTwice", twice + "\n" + Row("1") + ";1\n", "строка 1, столбец 28: столбец «EXa» назван дважды (столбцы 6 и 28)"},
        {"stationTwice", h + ";station\n", "строка 1, столбец 28: столбец «station» назван дважды (столбцы 1 и 28)"},
        {"stationTwiceInRussian", h + ";станция\n", "строка 1, столбец 28: столбец «станция» назван дважды (столбцы 1 и 28)"},
        {"fieldMissing", missing + "\n", "строка 1: нет столбцов полей ввода: Edd2s"},
        {"stationMissing", h.substr(8) + "\n", "строка 1: нет столбца «station» (или «станция») с названием станции"},
        {"unknownColumn", h + ";Примечание\n",
         "строка 1, столбец 28: неизвестный столбец «Примечание» (ожидаются station или станция и имена 26 полей ввода: EXc, "
         "EYc, EXb, …, и по желанию angleSeconds, baseMillimetres, baseRatio, givenMetres)"},
        {"outputColumn", h + ";Xp\n", "строка 1, столбец 28: столбец «Xp» — поле, которое вычисляет программа; его не задают"},
        {"unnamedColumn", h + ";\n", "строка 1, столбец 28: у столбца нет имени"},
        {"noSeparator", "station\n1\n",
         "строка 1: в заголовке нет разделителя «;» или «,»: первая строка должна называть столбец station (или "
         "станция) и 26 полей ввода"},
        {"headerOnly", h + "\r\n\r\n", "в таблице нет ни одной станции, только заголовок"},
        {"empty", "\xEF\xBB\xBF \r\n", "файл пуст"},
        // a table saved as "Unicode text" used to be called a binary file
        {"utf16", std::string("\xFF\xFEs\0t\0", 6), "таблица в кодировке UTF-16: сохраните таблицу в UTF-8 («CSV UTF-8»)"},
        {"utf16BigEndian", std::string("\xFE\xFF\0s\0t", 6), "таблица в кодировке UTF-16: сохраните таблицу в UTF-8 («CSV UTF-8»)"},
        // a lone CR in a table of LF ends is text, and in a quoted cell
        // of a table of CR ends it moves the line
        {"crQuotedInCrTable", h + "\r" + Row("\"Пункт\r1\"") + "\r" + Row("2", "EXc", "\"1") + "\r",
         "строка 4, столбец 2: кавычка открыта и не закрыта до конца файла"},
        {"zeroByte", h + "\n" + Row("1", "EYa", std::string("12\0" "3", 4)) + "\n",
         "строка 2, столбец 7: нулевой байт: это двоичный файл, а не таблица CSV"},
        {"binary", std::string("\x7F" "ELF\x02\x01\x01\0\0\0;", 11) + h,
         "строка 1, столбец 1: нулевой байт: это двоичный файл, а не таблица CSV"},
        {"notUtf8", h + "\n" + Row("Пункт \xCF\xF3\xED\xEA\xF2") + "\n",
         "строка 2, столбец 1: текст не в кодировке UTF-8 (сохраните таблицу как «CSV UTF-8»)"},
        // a line break inside quotes moves the line of what follows
        {"lineAfterQuotedBreak", h + "\n" + Row("\"Пункт\n1\"") + "\n" + Row("2", "EXc", "\"1") + "\n",
         "строка 4, столбец 2: кавычка открыта и не закрыта до конца файла"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Refused(row.content), kPrefix + row.says + ".");
    }
}

TEST(StationTable, ReadTheSameHoweverSaved)
{
    const std::vector<std::string> names{"Пункт 1", "Пункт 2"};
    const struct {
        const char* name;
        std::string content;
        char separator;
    } rows[] = {
        {"semicolonLf", ExampleTable(';', names), 0},
        {"semicolonCrLfBom", "\xEF\xBB\xBF" + ExampleTable(';', names, "\r\n"), 0},
        {"commaQuotedDecimals", ExampleTable(',', names), 0},
        {"commaGiven", ExampleTable(',', names), ','},
        // lines ended by a lone CR used to read as one line, the header and
        // every row, refused as an unknown column «Edd2s\rПункт 1»
        {"crOnly", ExampleTable(';', names, "\r"), 0},
        {"commaCrOnly", ExampleTable(',', names, "\r"), 0},
        {"noFinalLineEnd", ExampleTable(';', names).substr(0, ExampleTable(';', names).size() - 1), 0},
        {"emptyRowsSkipped", ExampleTable(';', {"Пункт 1"}) + "\n;;;;;;;;;;;;;;;;;;;;;;;;;;\r\n" +
                                 ExampleTable(';', {"Пункт 2"}).substr(Header().size() + 1), 0},
        {"stationInRussian", "станция" + ExampleTable(';', names).substr(std::string("station").size()), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const StationList list = ParseStationTable(row.content, "t.csv", row.separator);
        ASSERT_EQ(list.stations.size(), 2u);
        EXPECT_EQ(list.separator, row.content.find(';') != std::string::npos ? ';' : ',');
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(list.stations[i].name, names[i]);
            EXPECT_EQ(list.stations[i].texts.ToMap().size(), 26u);
            for (const std::string& name : InputNames())
                EXPECT_EQ(list.stations[i].texts.Get(name), ExampleText(name)) << name;
        }
        EXPECT_EQ(list.stations[0].line, 2);
        EXPECT_EQ(list.columns.at("EXc"), 2);
        EXPECT_EQ(list.columns.at("Edd2s"), 27);
    }
}

TEST(StationTable, ColumnsInAnyOrderAndQuotedCells)
{
    // Columns reversed, the station last; cells quoted around a separator,
    // a doubled quote and a line break, all kept as they stand.
    std::vector<std::string> names = InputNames();
    std::string content;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        content += *it + ";";
    content += " station \r\n";
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        content += (*it == "EXa" ? std::string("\" 6327.46\t\"") : ExampleText(*it)) + ";";
    content += "\"Пункт \"\"Север\"\";\r\nвторой\"\r\n";
    content += std::string(26, ';') + "3\n";
    // texts of every length keep their neighbours whole
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        content += (*it == "Eb1" ? std::string(40000, 'x') : *it == "Eb2" ? std::string(127, 'y') : "") + ";";
    content += "4\n";
    const StationList list = ParseStationTable(content, "t.csv");
    ASSERT_EQ(list.stations.size(), 3u);
    EXPECT_EQ(list.stations[2].texts.Get("Eb1"), std::string(40000, 'x'));
    EXPECT_EQ(list.stations[2].texts.Get("Eb2"), std::string(127, 'y'));
    EXPECT_EQ(list.stations[2].texts.Get("Ebb1g"), "");
    EXPECT_EQ(list.stations[2].texts.ToMap().size(), 26u);
    EXPECT_EQ(list.stations[0].name, "Пункт \"Север\";\r\nвторой");
    EXPECT_EQ(list.stations[0].texts.Get("EXa"), " 6327.46\t");
    EXPECT_EQ(list.stations[0].texts.Get("Eb2"), "42,14");
    EXPECT_EQ(list.stations[1].line, 4);
    EXPECT_EQ(list.stations[1].name, "3");
    EXPECT_EQ(list.stations[1].texts.Get("EXc"), "");
    EXPECT_EQ(list.columns.at("Edd2s"), 1);
    EXPECT_EQ(list.columns.at("EXc"), 26);
}

TEST(StationTable, SeparatorGivenOverridesTheHeader)
{
    // A table with commas read as one with semicolons has one column,
    // named by the whole header line.
    const std::string says = kPrefix + "строка 1, столбец 1: неизвестный столбец «station,EXc,EYc,";
    EXPECT_EQ(Refused(ExampleTable(',', {"1"}), ';').substr(0, says.size()), says);
    // The header alone tells the separator: a semicolon in a row of a comma
    // table is the row's text.
    const StationList list = ParseStationTable(ExampleTable(',', {"Пункт 1; север"}), "t.csv");
    EXPECT_EQ(list.separator, ',');
    EXPECT_EQ(list.stations.at(0).name, "Пункт 1; север");
}

TEST_F(TempDir, FilesThatAreNotTablesAreRefusedAtOnce)
{
    namespace fs = std::filesystem;
    // 100 MB of nothing: a sparse file, so the test writes nothing; it must
    // be refused by its size, not read.
    const fs::path huge = dir_ / "huge.csv";
    Write("huge.csv", Header() + "\n");
    fs::resize_file(huge, 100'000'000);
    struct Row {
        const char* name;
        fs::path path;
        std::string says;
    };
    std::vector<Row> rows{
        {"huge", huge, "файл больше 16\u00A0МиБ, это не таблица станций"},
        {"folder", dir_, "это папка, а не файл"},
        {"absent", dir_ / U8Path("нет.csv"), "нет такого файла или папки"},
        // a path of 60 characters used to be cut after 40, its name lost
        {"longName", dir_ / "stations-of-the-north-site.csv", "нет такого файла или папки"},
    };
#ifdef _WIN32
    rows.push_back({"device", dir_ / "nul.csv", "это устройство, а не обычный файл"});
#else
    const fs::path fifo = dir_ / U8Path("канал.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    rows.push_back({"fifo", fifo, "это именованный канал (FIFO), а не обычный файл"});
    rows.push_back({"device", "/dev/zero", "это символьное устройство, а не обычный файл"});
#endif
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // Read on a thread of its own, so that a read that waits fails the
        // test instead of hanging it: a writer opened then closed ends the wait.
        auto read = std::async(std::launch::async, [&] {
            try {
                ReadStationTable(row.path);
            } catch (const BatchError& e) {
                return std::string(e.what());
            }
            return std::string("(read)");
        });
        if (read.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            ADD_FAILURE() << "the read waits";
#ifndef _WIN32
            ::close(::open(row.path.c_str(), O_WRONLY | O_NONBLOCK));
#endif
        }
        EXPECT_EQ(read.get(),
                  "Не удалось прочитать таблицу станций «" + U8Text(row.path) + "»: " + row.says + ".");
    }
}

TEST_F(TempDir, TableFileRemembersWhereItCameFrom)
{
    const auto path = Write("станции.csv", ExampleTable(';', {"1", "2", "3"}));
    const StationList list = ReadStations(path);
    EXPECT_EQ(list.stations.size(), 3u);
    ASSERT_EQ(list.inputs.size(), 1u);
    EXPECT_EQ(list.inputs[0], path);
}
