#include "CalcState.h"
#include "Errors.h"
#include "FieldTable.h"
#include "Numbers.h"
#include "PageFields.h"
#include "Pages.h"
#include "Sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

using namespace snesenie;

namespace {

using Texts = std::map<std::string, std::string>;

// The worked example of the computation sheet, every input at its example text.
const Texts kPage1 = {
    {"EXbXa", "722,28"}, {"EYbYa", "5225,8"}, {"EtgAB", "7,23514"}, {"EAB", "82°7`51``"},
    {"EcosAB", "0,13691"}, {"EsinAB", "0,99058"}, {"ES1", "5275,47"}, {"ES2", "5275,47"},
    {"EXcXa", "-2627,41"}, {"EYcYa", "1585,14"}, {"EtgAC", "-0,6033"}, {"EAC", "148°53`49``"},
    {"EcosAC", "-0,85624"}, {"EsinAC", "0,51657"}, {"ES11", "3068,54"}, {"ES22", "3068,54"},
};
const Texts kPage2 = {
    {"Ey1", "40°6`20,3``"}, {"Ey2", "26°37`28,1``"}, {"Esinbb2", "0,99689"}, {"Esinbb22", "0,99996"},
    {"Esiny1", "0,64419"}, {"Esiny2", "0,44814"}, {"Edd1", "94,02"}, {"Edd2", "94,02"}, {"d", "94,019"},
    {"Esind1", "0,94671"}, {"Esind2", "0,67217"}, {"Esinw1", "0,01687"}, {"Esinw2", "0,02059"},
    {"Ew1", "0°57`59,9``"}, {"Ew2", "1°10`47,5``"}, {"Edw1", "72°10`42,2``"}, {"Edw2", "138°56`40,3``"},
    {"Eu1", "107°49`17,8``"}, {"Eu2", "41°3`19,7``"}, {"EAP1", "189°57`8,6``"}, {"EAP2", "189°57`9``"},
};
const Texts kPage3 = {
    {"EcosAP1", "-0,98495"}, {"EcosAP2", "-0,98495"}, {"EsinAP1", "-0,17282"}, {"EsinAP2", "-0,17283"},
    {"EdXap1", "-92,60516"}, {"EdXap2", "-92,60512"}, {"EdYap1", "-16,24944"}, {"EdYap2", "-16,24964"},
    {"EXp1", "6234,85"}, {"EXp2", "6234,85"}, {"EYp1", "12335,23"}, {"EYp2", "12335,23"},
    {"Xp", "6234,85"}, {"Yp", "12335,23"},
};

auto Tie(const CalcState& s)
{
    return std::tie(s.Xa, s.Ya, s.DirAB, s.DirAC, s.DistAB, s.DistAC, s.D1, s.D2, s.DirAP1, s.DirAP2,
                    s.Page1Done, s.Page2Done);
}

enum class End { Done, Failed, Refused };

// The window as the core sees it: a sheet pressed through the core's Sheet.
struct Pressed {
    snesenie::Sheet sheet;
    PageFields& f = sheet.Fields();
    const CalcState& st = sheet.State();
    std::string error;  // how the last failed press failed

    void Set(const Texts& texts) { for (const auto& [name, text] : texts) f.SetText(name, text); }
    void Expect(const Texts& texts) const { for (const auto& [n, text] : texts) EXPECT_EQ(f.GetText(n), text) << n; }
    Texts All() const
    {
        Texts t;
        for (const FieldInfo& i : Fields())
            t[std::string(i.name)] = f.GetText(std::string(i.name));
        return t;
    }

    // A refusal must leave every field and carried value as it was.
    End Press(const std::string& button)
    {
        const Texts before = All();
        const CalcState old = st;
        const std::map<std::string, SheetAction> actions = {
            {"ok1", SheetAction::Page1},       {"ok2", SheetAction::Page2},
            {"ok3", SheetAction::Page3},       {"clear1", SheetAction::ClearPage1},
            {"clear2", SheetAction::ClearPage2},
        };
        const PressResult result = sheet.Press(actions.at(button));
        if (result.outcome == Outcome::Failed) {
            try {
                std::rethrow_exception(result.error);
            } catch (const ConversionError& e) {
                error = "Conversion " + e.Field() + " " + e.Text();
            } catch (const ArithmeticError& e) {
                const char* names[] = {"DivisionByZero", "InvalidOperation", "Overflow"};
                error = names[static_cast<int>(e.Fault())];
            }
            return End::Failed;
        }
        std::optional<Refusal> refusal;
        if (result.outcome == Outcome::Refused)
            refusal = Refusal{result.message};
        if (!refusal)
            return End::Done;
        // A page that never ran has the sheet's own refusal; one that ran
        // but no longer holds is named, with the page to compute again.
        if (result.recompute == 0)
            EXPECT_EQ(refusal->message, button == "ok2" ? kPage2Refusal : kPage3Refusal);
        else
            EXPECT_NE(refusal->message.find(" на странице " + std::to_string(result.recompute)), std::string::npos);
        EXPECT_EQ(All(), before);
        EXPECT_TRUE(Tie(st) == Tie(old));
        return End::Refused;
    }
};

} // namespace

TEST(Pages, WorkedExample)
{
    Pressed s;
    ASSERT_EQ(s.Press("ok1"), End::Done);
    s.Expect(kPage1);
    EXPECT_DOUBLE_EQ(s.st.DirAB, 82.13076350799626);
    EXPECT_DOUBLE_EQ(s.st.DirAC, 148.89704286370178);
    EXPECT_EQ(std::tie(s.st.DistAB, s.st.DistAC), std::tuple(5275.47, 3068.54));
    ASSERT_EQ(s.Press("ok2"), End::Done);
    s.Expect(kPage2);
    EXPECT_EQ(std::tie(s.st.D1, s.st.D2), std::tuple(94.02, 94.02));
    EXPECT_NEAR(s.st.DirAP1, 189.95238427663475, 1e-12);
    EXPECT_NEAR(s.st.DirAP2, 189.9525078777585, 1e-12);
    ASSERT_EQ(s.Press("ok3"), End::Done);
    s.Expect(kPage3);
    // nothing accumulates from one press of page 3 to the next
    const Texts once = s.All();
    ASSERT_EQ(s.Press("ok3"), End::Done);
    EXPECT_EQ(s.All(), once);
}

// Base triangles of round angles, checked against an independent evaluation
// of the sheet in exact arithmetic rounded step by step. Each row is sensitive
// to one slip the worked example does not show: arithmetic in double instead
// of extended, a sine rounded to double before use, π·(a/180) in place of
// (π·a)/180. Equal distances print a centimetre short, as 94,02 gives 94,019.
TEST(Pages, ExactTriangles)
{
    const Texts equilateral = {{"Ebb1g", "60"}, {"Ebb1m", "0"}, {"Ebb1s", "0"},
                               {"Ebb2g", "60"}, {"Ebb2m", "0"}, {"Ebb2s", "0"}};
    Texts onFifty = equilateral;
    onFifty["Eb1"] = "50";
    const Texts scalene = {{"Ebb1g", "62"}, {"Ebb1m", "0"}, {"Ebb1s", "0"}, {"Ebb2g", "59"},
                           {"Ebb2m", "0"},  {"Ebb2s", "0"}, {"Eb1", "75,5"}};
    const std::vector<std::tuple<const char*, Texts, Texts>> rows = {
        {"equilateral", equilateral,
         {{"Ey1", "60°0`0``"}, {"Edd1", "60,75"}, {"d", "77,384"}, {"Ew1", "0°37`28,6``"},
          {"Xp", "6251,27"}, {"Yp", "12337,92"}}},
        {"equilateral on 50 m", onFifty, {{"Edd1", "49,99"}, {"d", "72,004"}, {"EXp1", "6278,29"}, {"Xp", "6256,57"}}},
        {"scalene", scalene, {{"Edd1", "75,5"}, {"d", "84,759"}, {"EAP1", "190°8`34``"}, {"Xp", "6243,99"}}},
    };
    for (const auto& [name, inputs, expected] : rows) {
        SCOPED_TRACE(name);
        Pressed s;
        s.Set(inputs);
        ASSERT_EQ(s.Press("ok1"), End::Done);
        ASSERT_EQ(s.Press("ok2"), End::Done);
        ASSERT_EQ(s.Press("ok3"), End::Done);
        s.Expect(expected);
    }
}

// Each script is a row of presses and assignments; a press ending in ! must
// fail, one ending in ? must be refused, any other must complete.
TEST(Pages, PageOrder)
{
    const std::pair<const char*, const char*> rows[] = {
        {"NothingBeforePage1", "ok2? ok3? ok1 ok3? ok2 ok3"},
        // page 3 used to combine the new Xa of a failed page-1 rerun with the old Ya and d
        {"FailedPage1RerunBlocksLaterPages", "ok1 ok2 ok3 EXa=6000 EYa=x ok1! ok2? ok3?"},
        {"Page1FailingAtCBlocksLaterPages", "ok1 ok2 EXc=6327,46 EYc=12351,48 ok1! ok2? ok3?"},
        {"Page1RerunNeedsPage2Again", "ok1 ok2 ok1 ok3? ok2 ok3"},
        {"FailedPage2BlocksPage3", "ok1 ok2 ok3 Eb1= ok2! ok3? Eb1=60,76 ok2 ok3"},
        {"Page2FailingMidwayBlocksPage3", "ok1 ok2 Ebb1g=90 Ebb1m=0 Ebb1s=0 Ebb2g=90 Ebb2m=0 Ebb2s=0 ok2! ok3?"},
        {"MendedPage1RunsOn", "EXa= ok1! ok2? EXa=6327,46 ok1 ok2 ok3"},
        // page 2 used to compute from the carried values of a page 1 since emptied
        {"ClearedPageBlocksLaterPages", "ok1 clear1 ok2? clear2 ok3? ok2? ok3?"},
        {"ClearedPage2BlocksPage3", "ok1 ok2 ok3 clear2 ok3? ok2! ok3?"},
    };
    for (const auto& [name, script] : rows) {
        SCOPED_TRACE(name);
        Pressed s;
        std::istringstream steps(script);
        for (std::string step; steps >> step;) {
            if (const auto eq = step.find('='); eq != std::string::npos) {
                s.f.SetText(step.substr(0, eq), step.substr(eq + 1));
                continue;
            }
            const End want = step.back() == '!' ? End::Failed : step.back() == '?' ? End::Refused : End::Done;
            if (want != End::Done)
                step.pop_back();
            EXPECT_EQ(s.Press(step), want) << step;
        }
    }
}

// A failing step ends the run: the fields before it hold their new texts and
// every other output field keeps its old one.
TEST(Pages, FailureStopsAtItsStep)
{
    struct Row {
        const char* name;
        const char* button;
        Texts inputs;
        const char* error;
        Texts written;
    };
    Texts bThenC;
    for (const char* n : {"EXbXa", "EYbYa", "EtgAB", "EAB", "EcosAB", "EsinAB", "ES1", "ES2"})
        bThenC[n] = kPage1.at(n);
    bThenC.insert({{"EXcXa", "0"}, {"EYcYa", "0"}});
    const Row rows[] = {
        {"BIsA", "ok1", {{"EXb", "6327,46"}, {"EYb", "12351,48"}}, "InvalidOperation", {{"EXbXa", "0"}, {"EYbYa", "0"}}},
        {"CIsA", "ok1", {{"EXc", "6327,46"}, {"EYc", "12351,48"}}, "InvalidOperation", bThenC},
        {"EmptyXa", "ok1", {{"EXa", ""}}, "Conversion EXa ", {}},
        {"FirstBadInputNamed", "ok1", {{"EYb", "?"}, {"EXa", ""}}, "Conversion EYb ?", {}},
        {"BothSeparatorsInYc", "ok1", {{"EYc", "13.936,62"}}, "Conversion EYc 13.936,62", {}},
        {"LetterInBase", "ok2", {{"Eb2", "42,14м"}}, "Conversion Eb2 42,14м", {}},
        {"EmptySeconds", "ok2", {{"Edd2s", ""}}, "Conversion Edd2s ", {}},
        {"StraightAngleAtBase", "ok2", {{"Ebb1g", "85"}, {"Ebb1m", "29"}, {"Ebb1s", "5,4"}}, "DivisionByZero",
         {{"Ey1", "0°0`0``"}, {"Ey2", "26°37`28,1``"}, {"Esinbb2", "0,99689"}, {"Esinbb22", "0,99996"},
          {"Esiny1", "0"}, {"Esiny2", "0,44814"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Pressed s;
        if (std::string(row.button) == "ok2") {
            ASSERT_EQ(s.Press("ok1"), End::Done);
        }
        s.Set(row.inputs);
        for (const FieldInfo& i : Fields())
            if (i.kind == FieldKind::Output)
                s.f.SetText(std::string(i.name), "old");
        ASSERT_EQ(s.Press(row.button), End::Failed);
        EXPECT_EQ(s.error, row.error);
        // Inputs hold what was typed; outputs their new text up to the
        // failing step and "old" after it.
        for (const auto& [name, text] : s.All()) {
            const FieldInfo& field = *FindField(name);
            const Texts& set = field.kind == FieldKind::Input ? row.inputs : row.written;
            const std::string unset = field.kind == FieldKind::Input ? std::string(field.example) : "old";
            EXPECT_EQ(text, set.contains(name) ? set.at(name) : unset) << name;
        }
    }
}

// B or C due north, south, east or west of A, at 5000 m, checked by hand: the
// direction is exact, the one of S and S′ that divides by a zero cosine or
// sine is undefined, the other is the distance carried, and pages 2 and 3 go
// on to the P a point a millimetre off the axis gives.
TEST(Pages, LinesAlongGridAxes)
{
    struct Row {
        const char* name;
        double dx, dy;  // from A = (6000; 12000)
        Texts page1;    // ΔX, ΔY, tg, direction, cos, sin, S, S′
    };
    const Row rows[] = {
        // S′ = 0/0 used to stop the page
        {"North", 5000, 0, {{"dX", "5000"}, {"dY", "0"}, {"tg", "0"}, {"dir", "0°0`0``"}, {"cos", "1"}, {"sin", "0"}, {"S", "5000"}, {"S`", "—"}}},
        // sin 180° is not 0 in extended: S′ printed 0 and half the distance was carried
        {"South", -5000, 0, {{"dX", "-5000"}, {"dY", "0"}, {"tg", "0"}, {"dir", "180°0`0``"}, {"cos", "-1"}, {"sin", "0"}, {"S", "5000"}, {"S`", "—"}}},
        // the tangent used to stop the page with a division by zero
        {"East", 0, 5000, {{"dX", "0"}, {"dY", "5000"}, {"tg", "∞"}, {"dir", "90°0`0``"}, {"cos", "0"}, {"sin", "1"}, {"S", "—"}, {"S`", "5000"}}},
        {"West", 0, -5000, {{"dX", "0"}, {"dY", "-5000"}, {"tg", "∞"}, {"dir", "270°0`0``"}, {"cos", "0"}, {"sin", "-1"}, {"S", "—"}, {"S`", "5000"}}},
    };
    const char* const kB[] = {"EXbXa", "EYbYa", "EtgAB", "EAB", "EcosAB", "EsinAB", "ES1", "ES2"};
    const char* const kC[] = {"EXcXa", "EYcYa", "EtgAC", "EAC", "EcosAC", "EsinAC", "ES11", "ES22"};
    const char* const kKeys[] = {"dX", "dY", "tg", "dir", "cos", "sin", "S", "S`"};
    for (const Row& row : rows) {
        for (const bool throughB : {true, false}) {
            SCOPED_TRACE(std::string(row.name) + (throughB ? " B" : " C"));
            const auto sheet = [&](double offAxis) {
                Pressed s;
                s.Set({{"EXa", "6000"}, {"EYa", "12000"}});
                // the other far point stays where the worked example has it
                const std::string x = FormatNumber(Ext(6000) + row.dx + (row.dx == 0 ? offAxis : 0));
                const std::string y = FormatNumber(Ext(12000) + row.dy + (row.dy == 0 ? offAxis : 0));
                s.Set(throughB ? Texts{{"EXb", x}, {"EYb", y}} : Texts{{"EXc", x}, {"EYc", y}});
                for (const char* button : {"ok1", "ok2", "ok3"})
                    EXPECT_EQ(s.Press(button), End::Done) << button << " " << s.error;
                return s;
            };
            const Pressed s = sheet(0);
            for (int i = 0; i < 8; ++i)
                EXPECT_EQ(s.f.GetText((throughB ? kB : kC)[i]), row.page1.at(kKeys[i])) << kKeys[i];
            EXPECT_EQ(throughB ? s.st.DistAB : s.st.DistAC, 5000);
            EXPECT_EQ(throughB ? s.st.DirAB : s.st.DirAC, Hold(DirectionAngle(row.dx, row.dy)));
            const Pressed near = sheet(0.001);
            for (const char* name : {"EXp1", "EYp1", "EXp2", "EYp2", "Xp", "Yp"})
                EXPECT_NEAR(static_cast<double>(ParseNumber(s.f.GetText(name))), static_cast<double>(ParseNumber(near.f.GetText(name))), 0.011) << name;
        }
    }
}

// Every input with a point for its comma and wrapped as a pasted spreadsheet
// cell gives, digit for digit, the sheet of the typed example.
TEST(Pages, PointsAndPastedBlanksComputeTheSameSheet)
{
    Pressed typed, pasted;
    for (const FieldInfo& i : Fields()) {
        if (i.kind != FieldKind::Input)
            continue;
        std::string text(i.example);
        std::replace(text.begin(), text.end(), ',', '.');
        pasted.f.SetText(std::string(i.name), "\xC2\xA0" + text + "\t\r\n");
    }
    for (const char* button : {"ok1", "ok2", "ok3"}) {
        ASSERT_EQ(typed.Press(button), End::Done);
        ASSERT_EQ(pasted.Press(button), End::Done) << pasted.error;
    }
    for (const FieldInfo& i : Fields()) {
        if (i.kind == FieldKind::Input)
            continue;
        EXPECT_EQ(pasted.f.GetText(std::string(i.name)), typed.f.GetText(std::string(i.name))) << i.name;
    }
    EXPECT_TRUE(Tie(pasted.st) == Tie(typed.st));
}

TEST(Pages, FailureKeepsValuesStoredBeforeIt)
{
    Pressed s;
    s.Set({{"EXc", "6327,46"}, {"EYc", "12351,48"}});
    ASSERT_EQ(s.Press("ok1"), End::Failed);
    EXPECT_EQ(std::tie(s.st.Xa, s.st.Ya, s.st.DistAB), std::tuple(6327.46, 12351.48, 5275.47));
    EXPECT_DOUBLE_EQ(s.st.DirAB, 82.13076350799626);
    EXPECT_EQ(std::tie(s.st.DirAC, s.st.DistAC), std::tuple(0.0, 0.0));
}

// A 3-4-5 triangle, checked by hand: the two ways to the distance cut on
// either side of 5000, and the mean is of the two texts as printed.
TEST(Pages, DistanceIsMeanOfPrintedTexts)
{
    Pressed s;
    s.Set({{"EXb", "3327,46"}, {"EYb", "8351,48"}});
    ASSERT_EQ(s.Press("ok1"), End::Done);
    s.Expect({{"EXbXa", "-3000"}, {"EYbYa", "-4000"}, {"EtgAB", "1,33333"}, {"EAB", "233°7`48``"}});
    const double sCos = static_cast<double>(ParseNumber(s.f.GetText("ES1")));
    const double sSin = static_cast<double>(ParseNumber(s.f.GetText("ES2")));
    ASSERT_NE(sCos, sSin);
    EXPECT_NEAR(sCos, 5000, 0.01);
    EXPECT_EQ(s.st.DistAB, static_cast<double>((static_cast<long double>(sCos) + sSin) / 2));
}

// Page 3 reads nothing but the carried values. The variants 94,0078125 and
// 94,046875 cut to 94 and 94,04; their mean 94,02734375 cuts to 94,02, while
// the mean of the cut values, held just below 94,02, would cut to 94,01.
TEST(Pages, MeanOfUncutCoordinates)
{
    MemoryFields f;
    CalcState st;
    st.D1 = 94.0078125;
    st.D2 = 94.046875;
    st.Page1Done = st.Page2Done = true;
    ASSERT_FALSE(ComputePage3(f, st));
    for (const auto& [name, text] : Texts{{"EcosAP1", "1"}, {"EsinAP1", "0"}, {"EdXap1", "94,00781"}, {"EdYap2", "0"},
                                          {"EXp1", "94"}, {"EXp2", "94,04"}, {"Xp", "94,02"}, {"Yp", "0"}})
        EXPECT_EQ(f.GetText(name), text) << name;
}

TEST(Pages, ClearButtonsEmptyTheirPageOnly)
{
    Pressed s;
    for (const char* button : {"ok1", "ok2", "ok3"})
        ASSERT_EQ(s.Press(button), End::Done);
    const Texts full = s.All();
    const CalcState old = s.st;
    std::set<int> cleared;
    for (const auto& [button, page] : {std::pair{"clear2", 2}, std::pair{"clear1", 1}}) {
        ASSERT_EQ(s.Press(button), End::Done);
        cleared.insert(page);
        for (const FieldInfo& i : Fields()) {
            const std::string name(i.name);
            EXPECT_EQ(s.f.GetText(name), cleared.contains(i.page) ? "" : full.at(name)) << button << " " << name;
        }
        EXPECT_TRUE(Tie(s.st) == Tie(old));
    }
    // page 2 used to compute from the carried values of the emptied page 1
    ASSERT_EQ(s.Press("ok2"), End::Refused);
    for (const FieldInfo& i : Fields())
        if (i.page == 1 && i.kind == FieldKind::Input)
            s.f.SetText(std::string(i.name), std::string(i.example));
    ASSERT_EQ(s.Press("ok1"), End::Done);
    ASSERT_EQ(s.Press("ok2"), End::Failed);
    EXPECT_EQ(s.error, "Conversion Ebb1g ");  // the first input it reads
    for (const FieldInfo& i : Fields())
        if (i.page == 2 && i.kind == FieldKind::Input)
            s.f.SetText(std::string(i.name), std::string(i.example));
    ASSERT_EQ(s.Press("ok2"), End::Done);
    s.Expect(kPage2);
}

namespace {

constexpr long double kDeg = 3.14159265358979323846264338327950288L / 180;

std::string Text(const char* format, long double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    std::string s(buf);
    if (const auto dot = s.find('.'); dot != std::string::npos)
        s[dot] = ',';
    return s;
}

long double Direction(long double dx, long double dy)
{
    const long double a = std::atan2(dy, dx) / kDeg;
    return a < 0 ? a + 360 : a;
}

// A survey laid out on the ground around A at the origin: B and C by their
// coordinates, P at distance d from A in direction dirP. The sheet's measurements are derived
// from the layout by plain trigonometry.
struct Ground {
    const char* name;
    long double dxB, dyB, dxC, dyC, dirP, d;

    long double dxP() const { return d * std::cos(dirP * kDeg); }
    long double dyP() const { return d * std::sin(dirP * kDeg); }

    Texts Inputs() const
    {
        Texts t = {
            {"EXa", "0"}, {"EYa", "0"}, {"EXb", Text("%.2Lf", dxB)}, {"EYb", Text("%.2Lf", dyB)},
            {"EXc", Text("%.2Lf", dxC)}, {"EYc", Text("%.2Lf", dyC)},
            {"Ebb1g", "55"}, {"Ebb1m", "0"}, {"Ebb1s", "0"}, {"Ebb2g", "80"}, {"Ebb2m", "0"}, {"Ebb2s", "0"},
            {"Ebb11g", "62"}, {"Ebb11m", "0"}, {"Ebb11s", "0"}, {"Ebb22g", "88"}, {"Ebb22m", "0"}, {"Ebb22s", "0"},
            // bases for γ = 45° and γ′ = 30°, by the sine theorem
            {"Eb1", Text("%.4Lf", d * std::sin(45 * kDeg) / std::sin(80 * kDeg))},
            {"Eb2", Text("%.4Lf", d * std::sin(30 * kDeg) / std::sin(88 * kDeg))},
        };
        // δ, the angle at P between A and the far point, in degrees, minutes, seconds
        for (const auto& [field, dx, dy] : {std::tuple{"Edd1", dxB, dyB}, std::tuple{"Edd2", dxC, dyC}}) {
            const long double turn = std::fabs(Direction(-dxP(), -dyP()) - Direction(dx - dxP(), dy - dyP()));
            const long double a = turn > 180 ? 360 - turn : turn, g = std::floor(a), m = std::floor((a - g) * 60);
            t[field + std::string("g")] = Text("%.0Lf", g);
            t[field + std::string("m")] = Text("%.0Lf", m);
            t[field + std::string("s")] = Text("%.3Lf", ((a - g) * 60 - m) * 60);
        }
        return t;
    }
};

// B and C in every quadrant around A; P lies clockwise of both as seen from A,
// as the sheet's (AP) = (AB) + φ takes it.
const Ground kGrounds[] = {
    {"BSouthWestCNorthWest", -3000, -2000, 2500, -1500, 350, 95},
    {"BSouthEastCSouthWest", -4000, 1000, -2000, -3000, 300, 120},
    {"BNorthEastCSouthEast", 2000, 2500, -1500, 3500, 170, 80},
    {"BNorthWestCNorthEast", 3000, -1000, 2800, 900, 100, 110},
};

} // namespace

TEST(Pages, PointsInEveryQuadrant)
{
    for (const Ground& g : kGrounds) {
        SCOPED_TRACE(g.name);
        const long double dirB = Direction(g.dxB, g.dyB), dirC = Direction(g.dxC, g.dyC);
        ASSERT_LT(std::fmod(g.dirP - dirB + 360, 360), 180);
        ASSERT_LT(std::fmod(g.dirP - dirC + 360, 360), 180);
        Pressed s;
        s.Set(g.Inputs());
        for (const char* button : {"ok1", "ok2", "ok3"})
            ASSERT_EQ(s.Press(button), End::Done) << button << " " << s.error;
        EXPECT_NEAR(s.st.DirAB, dirB, 1e-9);
        EXPECT_NEAR(s.st.DirAC, dirC, 1e-9);
        const auto expectNear = [&](std::initializer_list<const char*> names, long double want, long double within) {
            for (const char* name : names)
                EXPECT_NEAR(static_cast<long double>(ParseNumber(s.f.GetText(name))), want, within) << name;
        };
        // distances used to come out negative for B or C west of A
        expectNear({"ES1", "ES2"}, std::hypot(g.dxB, g.dyB), 0.02);
        expectNear({"ES11", "ES22"}, std::hypot(g.dxC, g.dyC), 0.02);
        // P used to land on the far side of A
        expectNear({"EXp1", "EXp2", "Xp"}, g.dxP(), 0.05);
        expectNear({"EYp1", "EYp2", "Yp"}, g.dyP(), 0.05);
    }
}

// The two variants are one computation on different data: exchanging B with C
// and the measurements of the two variants exchanges every pair of outputs
// exactly and leaves the means alone.
TEST(Pages, VariantsAreSymmetric)
{
    std::map<std::string, std::string> partner = {{"EXa", "EXa"}, {"EYa", "EYa"}, {"d", "d"}, {"Xp", "Xp"}, {"Yp", "Yp"}};
    for (const std::string pairs :
         {"EXb:EXc EYb:EYc Eb1:Eb2 EXbXa:EXcXa EYbYa:EYcYa EtgAB:EtgAC EAB:EAC EcosAB:EcosAC EsinAB:EsinAC ES1:ES11",
          "ES2:ES22 Ey1:Ey2 Esinbb2:Esinbb22 Esiny1:Esiny2 Edd1:Edd2 Esind1:Esind2 Esinw1:Esinw2 Ew1:Ew2 Edw1:Edw2",
          "Eu1:Eu2 EAP1:EAP2 EcosAP1:EcosAP2 EsinAP1:EsinAP2 EdXap1:EdXap2 EdYap1:EdYap2 EXp1:EXp2 EYp1:EYp2",
          "Ebb1g:Ebb11g Ebb1m:Ebb11m Ebb1s:Ebb11s Ebb2g:Ebb22g Ebb2m:Ebb22m Ebb2s:Ebb22s",
          "Edd1g:Edd2g Edd1m:Edd2m Edd1s:Edd2s"}) {
        std::istringstream in(pairs);
        for (std::string pair; in >> pair;) {
            const std::string a = pair.substr(0, pair.find(':')), b = pair.substr(pair.find(':') + 1);
            partner[a] = b, partner[b] = a;
        }
    }
    ASSERT_EQ(partner.size(), Fields().size());

    std::vector<Texts> sheets = {{}};
    for (const Ground& g : kGrounds)
        sheets.push_back(g.Inputs());
    for (const Texts& inputs : sheets) {
        Pressed one, two;
        one.Set(inputs);
        for (const auto& [name, text] : one.All())
            if (FindField(name)->kind == FieldKind::Input)
                two.f.SetText(partner.at(name), text);
        for (Pressed* s : {&one, &two})
            for (const char* button : {"ok1", "ok2", "ok3"})
                ASSERT_EQ(s->Press(button), End::Done) << button << " " << s->error;
        const Texts b = two.All();
        for (const auto& [name, text] : one.All())
            EXPECT_EQ(b.at(partner.at(name)), text) << name;
        EXPECT_EQ(std::tie(one.st.DirAB, one.st.DistAB, one.st.D1, one.st.DirAP1),
                  std::tie(two.st.DirAC, two.st.DistAC, two.st.D2, two.st.DirAP2));
    }
}

// The columns of the field table agree with one another: the colours, the
// fonts and the statement are drawn from them.
TEST(FieldTable, ColumnsAgree)
{
    std::map<Variant, int> perVariant;
    for (const FieldInfo& f : Fields()) {
        EXPECT_EQ(&Field(f.id), &f) << f.name;
        EXPECT_EQ(f.kind == FieldKind::Input, f.role == FieldRole::Input) << f.name;
        EXPECT_EQ(f.example.empty(), f.role != FieldRole::Input) << f.name;
        const Variant fromCaption = f.caption.ends_with("вариант АВР")   ? Variant::B
                                    : f.caption.ends_with("вариант АСР") ? Variant::C
                                                                          : Variant::Common;
        EXPECT_EQ(f.variant, fromCaption) << f.name;
        ++perVariant[f.variant];
        // Angles are printed by the sheet only; an input angle is three boxes.
        if (f.form == FieldForm::Angle) {
            EXPECT_NE(f.role, FieldRole::Input) << f.name;
        }
    }
    EXPECT_EQ(perVariant[Variant::B], perVariant[Variant::C]);
    EXPECT_EQ(Field(FieldId::Xp).role, FieldRole::Final);
    EXPECT_EQ(Field(FieldId::EAP2).role, FieldRole::Carried);
    EXPECT_EQ(Field(FieldId::Yp).name, "Yp");
}

// The statement's two-variant tables are drawn from these pairs.
TEST(FieldTable, VariantPairsRowByRow)
{
    auto rows = [](int page) {
        std::vector<std::string> out;
        for (const auto& [b, c] : VariantPairs(page))
            out.push_back(std::string(Quantity(Field(b))) + " " + std::string(Field(b).name) + " " +
                          std::string(Field(c).name));
        return out;
    };
    EXPECT_EQ(rows(2), (std::vector<std::string>{"γ Ey1 Ey2", "sin β2 Esinbb2 Esinbb22", "sin γ Esiny1 Esiny2",
                                                 "d Edd1 Edd2", "sin δ Esind1 Esind2", "sin ψ Esinw1 Esinw2",
                                                 "ψ Ew1 Ew2", "δ+ψ Edw1 Edw2", "φ Eu1 Eu2", "(AP) EAP1 EAP2"}));
    EXPECT_EQ(rows(3), (std::vector<std::string>{"cos(AP) EcosAP1 EcosAP2", "sin(AP) EsinAP1 EsinAP2",
                                                 "ΔXap EdXap1 EdXap2", "ΔYap EdYap1 EdYap2", "Xp EXp1 EXp2",
                                                 "Yp EYp1 EYp2"}));
    EXPECT_TRUE(VariantPairs(1).empty());
}
