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
#include <set>
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

// The sheets in which B or C has exactly the X or the Y of A. They were
// recorded when such a line stopped page 1 or carried half its distance, and
// are held to the rule for lines along a grid axis instead (MendedAxisRule).
const std::set<int> kAxisSheets = {1,   10,  43,  79,  100, 125, 162, 167, 168, 169, 193, 205,
                                   214, 234, 244, 255, 294, 324, 330, 363, 364, 366, 376, 383,
                                   399, 446, 462, 467, 471, 475, 529, 530, 548, 582, 596};

// The fields of one far point and what depends on its distance: they are not
// compared with an axis sheet's record.
struct FarPoint {
    const char *x, *y, *dX, *tangent, *angle, *cosine, *sine, *s, *sPrime;
    double CalcState::*dir;
    double CalcState::*dist;
    std::vector<std::string> downstream;
};

const FarPoint kFarPoints[] = {
    {"EXb", "EYb", "EXbXa", "EtgAB", "EAB", "EcosAB", "EsinAB", "ES1", "ES2", &CalcState::DirAB,
     &CalcState::DistAB,
     {"Esinw1", "Ew1", "Edw1", "Eu1", "EAP1", "EcosAP1", "EsinAP1", "EdXap1", "EdYap1", "EXp1", "EYp1", "Xp", "Yp"}},
    {"EXc", "EYc", "EXcXa", "EtgAC", "EAC", "EcosAC", "EsinAC", "ES11", "ES22", &CalcState::DirAC,
     &CalcState::DistAC,
     {"Esinw2", "Ew2", "Edw2", "Eu2", "EAP2", "EcosAP2", "EsinAP2", "EdXap2", "EdYap2", "EXp2", "EYp2", "Xp", "Yp"}},
};

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

// An axis sheet by the mended rule: the axis line's direction exact, the
// undefined one of S and S′ printed as such and the other carried; every
// field that does not hang on that line's distance as recorded; no press
// failing that did not fail before.
std::vector<std::string> CheckAxisSheet(const json& sheet)
{
    const Replay r = Run(sheet);
    std::vector<std::string> diffs;
    const auto expect = [&](bool ok, const std::string& what) {
        if (!ok)
            diffs.push_back(what);
    };
    const std::vector<std::string> wasFailed = sheet.at("failed").get<std::vector<std::string>>();
    expect(r.failed.size() <= wasFailed.size(), "more presses fail than were recorded failing");
    std::set<std::string> skip;
    const json& want = sheet.at("fields");
    std::map<std::string, std::string> typed;
    for (const json& a : sheet.at("args")) {
        const std::string arg = a.get<std::string>();
        typed[arg.substr(0, arg.find('='))] = arg.substr(arg.find('=') + 1);
    }
    bool anyAxis = false;
    for (const FarPoint& p : kFarPoints) {
        const bool onX = typed[p.x] == typed["EXa"], onY = typed[p.y] == typed["EYa"];
        if (!onX && !onY)
            continue;
        anyAxis = true;
        for (const char* f : {p.tangent, p.angle, p.cosine, p.sine, p.s, p.sPrime})
            skip.insert(f);
        skip.insert(p.downstream.begin(), p.downstream.end());
        if (r.fields.GetText(p.dX).empty())
            continue;  // page 1 cleared or never run: nothing of the line is shown
        const double dir = r.state.*p.dir;
        expect(dir == 0 || dir == 90 || dir == 180 || dir == 270, std::string(p.angle) + " not along an axis");
        const std::string undefined = onX ? p.s : p.sPrime, carried = onX ? p.sPrime : p.s;
        expect(r.fields.GetText(undefined) == "—", undefined + " not shown undefined");
        expect(r.fields.GetText(p.tangent) == (onX ? "∞" : "0"), std::string(p.tangent) + " wrong");
        if (r.state.Page1Done)
            expect(r.state.*p.dist == static_cast<double>(ParseNumber(r.fields.GetText(carried))),
                   "the distance carried is not " + carried);
    }
    expect(anyAxis, "no line along a grid axis");
    for (const FieldInfo& f : Fields()) {
        const std::string name(f.name);
        const std::string recorded = want.value(name, std::string());
        if (skip.contains(name) || recorded.empty())
            continue;
        if (r.fields.GetText(name) != recorded)
            diffs.push_back(name + ": got " + r.fields.GetText(name) + ", recorded " + recorded);
    }
    return diffs;
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
        // the axis sheets keep their record for what does not hang on the axis line
        const std::vector<std::string> diffs =
            kAxisSheets.contains(sheets) ? CheckAxisSheet(json::parse(line)) : Compare(json::parse(line));
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
