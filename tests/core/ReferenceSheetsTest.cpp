// Six hundred sheets computed by an independent x87 reference of the program:
// realistic ones, sheets of round numbers whose cuts sit on their boundaries,
// and hostile texts. Every printed field, every carried value to the last bit,
// the presses that failed and the exit status must come out as recorded.
// Any slip in the order or the precision of a step shows up here first.

#include "CalcState.h"
#include "Errors.h"
#include "FieldTable.h"
#include "Numbers.h"
#include "PageFields.h"
#include "Sheet.h"

#include <map>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace snesenie;
using nlohmann::json;

namespace {

// One press as its button does it; false when it failed or was refused.
bool Press(const std::string& press, Sheet& sheet)
{
    const std::map<std::string, SheetAction> actions = {
        {"ok1", SheetAction::Page1},       {"ok2", SheetAction::Page2},
        {"ok3", SheetAction::Page3},       {"clear1", SheetAction::ClearPage1},
        {"clear2", SheetAction::ClearPage2},
    };
    const auto action = actions.find(press);
    if (action == actions.end())
        throw std::invalid_argument("unknown press " + press);
    return sheet.Press(action->second).Completed();
}

struct Replay {
    MemoryFields fields;
    CalcState state;
    std::vector<std::string> failed;
};

Replay Run(const json& sheet)
{
    Replay r;
    Sheet pressed(r.fields);
    for (const json& assignment : sheet.at("args")) {
        const std::string arg = assignment.get<std::string>();
        const std::size_t eq = arg.find('=');
        r.fields.SetText(arg.substr(0, eq), arg.substr(eq + 1));
    }
    std::stringstream presses(sheet.at("press").get<std::string>());
    for (std::string press; std::getline(presses, press, ',');)
        if (!Press(press, pressed))
            r.failed.push_back(press);
    r.state = pressed.State();
    return r;
}

// Differences of one sheet, as "what: got … want …" lines.
std::vector<std::string> Compare(const json& sheet)
{
    const Replay r = Run(sheet);
    const MemoryFields& fields = r.fields;
    const CalcState& state = r.state;
    const std::vector<std::string>& failed = r.failed;

    std::vector<std::string> diffs;
    auto differ = [&](const std::string& what, const auto& got, const auto& want) {
        if (got != want)
            diffs.push_back(what + ": got " + json(got).dump() + ", want " + json(want).dump());
    };
    differ("failed presses", failed, sheet.at("failed").get<std::vector<std::string>>());
    differ("exit status", failed.empty() ? 0 : 1, sheet.at("exit").get<int>());
    const json& want = sheet.at("fields");
    differ("number of fields", Fields().size(), want.size());
    for (const FieldInfo& f : Fields()) {
        const std::string name(f.name);
        differ(name, fields.GetText(name), want.value(name, std::string("(missing)")));
    }
    const json& carried = sheet.at("state");
    const std::pair<const char*, double> numbers[] = {
        {"Xa", state.Xa},         {"Ya", state.Ya},         {"DirAB", state.DirAB},   {"DirAC", state.DirAC},
        {"DistAB", state.DistAB}, {"DistAC", state.DistAC}, {"D1", state.D1},         {"D2", state.D2},
        {"DirAP1", state.DirAP1}, {"DirAP2", state.DirAP2},
    };
    // Compared as doubles, bit for bit: the JSON holds the shortest text that
    // reads back to the recorded double.
    for (const auto& [name, value] : numbers)
        differ(name, value, carried.at(name).get<double>());
    differ("Page1Done", state.Page1Done, carried.at("Page1Done").get<bool>());
    differ("Page2Done", state.Page2Done, carried.at("Page2Done").get<bool>());
    return diffs;
}

} // namespace

TEST(ReferenceSheets, EveryFieldAndCarriedValueAsRecorded)
{
    std::ifstream in(SNESENIE_REFERENCE_SHEETS);
    ASSERT_TRUE(in) << "cannot open " SNESENIE_REFERENCE_SHEETS;
    int sheets = 0, wrong = 0;
    for (std::string line; std::getline(in, line);) {
        ++sheets;
        const std::vector<std::string> diffs = Compare(json::parse(line));
        if (diffs.empty())
            continue;
        // The first few sheets in full; beyond that only the count.
        if (++wrong <= 5) {
            std::string report;
            for (const std::string& d : diffs)
                report += "\n  " + d;
            ADD_FAILURE() << "sheet on line " << sheets << " (press " << json::parse(line).at("press")
                          << "):" << report;
        }
    }
    EXPECT_EQ(sheets, 600);
    EXPECT_EQ(wrong, 0) << "sheets that differ from the reference";
}
