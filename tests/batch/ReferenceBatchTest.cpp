// The recorded reference sheets as one batch: a table made of their inputs,
// read, computed and written as results, must give row by row the points
// the independent reference printed, whichever separator the table uses.

#include "Results.h"
#include "RunStation.h"
#include "Stations.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace snesenie;
using namespace snesenie::batch;
using nlohmann::json;

namespace {

std::string Cell(const std::string& text, char sep)
{
    if (text.find_first_of(std::string{sep, '"', '\r', '\n'}) == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// One line of the results back into cells; no cell of the results holds a
// line break.
std::vector<std::string> Cells(const std::string& line, char sep)
{
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"')
            cells.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == sep && !quoted)
            cells.emplace_back();
        else
            cells.back() += c;
    }
    return cells;
}

struct Expected {
    int line;          // in the reference file
    bool comparable;   // its presses amount to pages 1, 2, 3 on a fresh sheet
    bool computed;
    std::vector<std::string> point;
};

} // namespace

TEST(ReferenceBatch, SameXpYpAsTheReferenceRowByRow)
{
    std::ifstream in(SNESENIE_REFERENCE_SHEETS);
    ASSERT_TRUE(in) << "cannot open " SNESENIE_REFERENCE_SHEETS;
    std::vector<json> sheets;
    std::vector<Expected> expected;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        json sheet = json::parse(line);
        ++number;
        const std::string press = sheet.at("press");
        std::vector<std::string> failed = sheet.at("failed");
        // An ok3 on a fresh sheet is refused and changes nothing, and a
        // second ok3 prints what the first did: either way the sheet ends as
        // pages 1, 2, 3 pressed once.
        const bool comparable = press == "ok1,ok2,ok3" || press == "ok3,ok1,ok2,ok3,ok3";
        if (press.starts_with("ok3,") && !failed.empty() && failed.front() == "ok3")
            failed.erase(failed.begin());
        Expected e{number, comparable, failed.empty(), {}};
        for (const char* name : kPointFields)
            e.point.push_back(sheet.at("fields").at(name));
        expected.push_back(std::move(e));
        sheets.push_back(std::move(sheet));
    }
    ASSERT_EQ(sheets.size(), 600u);

    for (const char sep : {';', ','}) {
        SCOPED_TRACE(std::string("separator ") + sep);
        std::string table = "station";
        std::vector<std::string> names;
        for (const json& assignment : sheets.front().at("args")) {
            const std::string arg = assignment;
            names.push_back(arg.substr(0, arg.find('=')));
            table += sep + names.back();
        }
        table += "\r\n";
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            std::map<std::string, std::string> texts;
            for (const json& assignment : sheets[i].at("args")) {
                const std::string arg = assignment;
                texts[arg.substr(0, arg.find('='))] = arg.substr(arg.find('=') + 1);
            }
            ASSERT_EQ(texts.size(), 26u) << "line " << expected[i].line;
            table += Cell("лист " + std::to_string(expected[i].line), sep);
            for (const std::string& name : names)
                table += sep + Cell(texts.at(name), sep);
            table += "\r\n";
        }

        const StationList list = ParseStationTable(table, "reference.csv");
        ASSERT_EQ(list.separator, sep);
        ASSERT_EQ(list.stations.size(), sheets.size());
        std::vector<StationResult> results;
        for (const Station& station : list.stations)
            results.push_back(RunStation(station, Tolerances{}, Precision{}));
        const std::string out = FormatResults(list, results, true);

        std::vector<std::vector<std::string>> rows;
        for (std::size_t start = 0; start < out.size();) {
            const std::size_t end = out.find("\r\n", start);
            rows.push_back(Cells(out.substr(start, end - start), sep));
            start = end + 2;
        }
        ASSERT_EQ(rows.size(), sheets.size() + 1);
        int compared = 0, wrong = 0;
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            const Expected& e = expected[i];
            const std::vector<std::string>& row = rows[i + 1];
            ASSERT_EQ(row.size(), 27u) << "line " << e.line;
            EXPECT_EQ(row[0], "лист " + std::to_string(e.line));
            if (!e.comparable)
                continue;
            ++compared;
            const bool computed = row.back().empty();
            const std::vector<std::string> point(row.begin() + 1, row.begin() + 7);
            if (computed != e.computed || (computed && point != e.point)) {
                if (++wrong <= 5)
                    ADD_FAILURE() << "sheet on line " << e.line << ": got " << json(point).dump() << " "
                                  << row.back() << ", want " << json(e.point).dump()
                                  << (e.computed ? "" : " (a failure)");
            }
        }
        EXPECT_EQ(compared, 244);
        EXPECT_EQ(wrong, 0) << "rows that differ from the reference";
    }
}
