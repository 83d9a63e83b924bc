#include "ControlRecord.h"
#include "FieldTable.h"
#include "Numbers.h"
#include "Sheet.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace snesenie;

namespace {

using Texts = std::map<std::string, std::string>;

// A sheet as a front end runs it: every press through the core's sheet.
struct Pressed {
    snesenie::Sheet sheet;
    PageFields& f = sheet.Fields();
    const ControlRecord& control = sheet.Record();

    // Types into the boxes as the window's user does: a box given a new text
    // tells the sheet which page's input changed.
    void Set(const Texts& texts)
    {
        for (const auto& [name, text] : texts) {
            if (f.GetText(name) == text)
                continue;
            f.SetText(name, text);
            sheet.InputEdited(FindField(name)->page);
        }
    }

    // The last refusal's message and the page it sends the user back to.
    std::string refusal;
    int recompute = 0;

    Outcome Press(const std::string& button)
    {
        const std::map<std::string, SheetAction> actions = {
            {"ok1", SheetAction::Page1},       {"ok2", SheetAction::Page2},
            {"ok3", SheetAction::Page3},       {"clear1", SheetAction::ClearPage1},
            {"clear2", SheetAction::ClearPage2},
        };
        const PressResult result = sheet.Press(actions.at(button));
        if (result.outcome == Outcome::Refused)
            refusal = result.message, recompute = result.recompute;
        return result.outcome;
    }

    // Words of a script: a press, NAME=TEXT typed into a box, or
    // "tolerances" for new tolerances set.
    void Play(const std::string& script)
    {
        std::istringstream in(script);
        for (std::string word; in >> word;) {
            const std::size_t eq = word.find('=');
            if (eq != std::string::npos)
                Set({{word.substr(0, eq), word.substr(eq + 1)}});
            else if (word == "tolerances")
                sheet.SetTolerances(Tolerances{});
            else
                Press(word);
        }
    }

    void RunAll()
    {
        ASSERT_EQ(Press("ok1"), Outcome::Completed);
        ASSERT_EQ(Press("ok2"), Outcome::Completed);
        ASSERT_EQ(Press("ok3"), Outcome::Completed);
    }

    const Check& Find(const std::string& name) const
    {
        for (const Check& c : control.Report()->checks)
            if (c.name == name)
                return c;
        throw std::out_of_range(name);
    }
};

// The example sheet's own inputs, held as its pages hold them.
ControlInputs ExampleInputs()
{
    ControlInputs in{};
    in.given = {6327.46, 12351.48, 7049.74, 17577.28, 3700.05, 13936.62};
    in.measured.beta1[0] = DmsToDegrees(45, 22, 45.1);
    in.measured.beta2[0] = DmsToDegrees(94, 30, 54.6);
    in.measured.beta1[1] = DmsToDegrees(63, 52, 54.7);
    in.measured.beta2[1] = DmsToDegrees(89, 29, 37.2);
    in.measured.delta[0] = DmsToDegrees(71, 12, 42.3);
    in.measured.delta[1] = DmsToDegrees(137, 45, 52.8);
    in.measured.base[0] = 60.76;
    in.measured.base[1] = 42.14;
    in.d[0] = in.d[1] = 94.02;
    in.dirAP[0] = 189.95238427663475;
    in.dirAP[1] = 189.9525078777585;
    in.printed = {{6234.85, 6234.85}, {12335.23, 12335.23}, 6234.85, 12335.23};
    return in;
}

// ---- Surveys of known geometry -------------------------------------------
// A, P, the far points B and C and the base ends are placed exactly; the
// sheet then gets what a surveyor would measure: angles to 0,1″, bases and
// coordinates to the centimetre.

constexpr long double kRad = 3.14159265358979323846264338327950288L / 180;

struct Point {
    long double x, y;
};

Point Polar(Point from, long double dirDeg, long double r)
{
    return {from.x + r * std::cos(dirDeg * kRad), from.y + r * std::sin(dirDeg * kRad)};
}

long double Direction(Point from, Point to) { return std::atan2(to.y - from.y, to.x - from.x) / kRad; }

// The angle at vertex between the rays to a and to b, 0–180 degrees.
long double Angle(Point vertex, Point a, Point b)
{
    const long double ax = a.x - vertex.x, ay = a.y - vertex.y, bx = b.x - vertex.x, by = b.y - vertex.y;
    return std::fabs(std::atan2(ax * by - ay * bx, ax * bx + ay * by)) / kRad;
}

std::string Centimetres(long double v) { return FormatNumber(Ext(std::llround(v * 100)) / 100); }

// An angle as the three boxes of page 2 hold it, read to a tenth of a second.
void SetAngle(Texts& t, const std::string& prefix, long double degrees)
{
    const long long tenths = std::llround(degrees * 36000);
    t[prefix + "g"] = std::to_string(tenths / 36000);
    t[prefix + "m"] = std::to_string(tenths % 36000 / 600);
    t[prefix + "s"] = FormatNumber(Ext(tenths % 600) / 10);
}

struct Geometry {
    const char* name;
    long double farB, farC;      // A–B and A–C, metres
    long double d;               // A–P
    long double phiB, phiC;      // angle at A from B (and from C) round to P, degrees
    long double base, baseTurn;  // both bases: length, and turn from P→A, degrees
};

struct Survey {
    Texts texts;
    Point p;  // the true ground point
};

Survey Build(const Geometry& g)
{
    const Point a{6000.004L, 12000.003L};
    const long double ap = 203;  // (AP), degrees; no far point due north, east, south or west
    Survey s;
    s.p = Polar(a, ap, g.d);
    const Point b = Polar(a, ap - g.phiB, g.farB);
    const Point c = Polar(a, ap - g.phiC, g.farC);
    Texts& t = s.texts;
    t["EXa"] = Centimetres(a.x), t["EYa"] = Centimetres(a.y);
    t["EXb"] = Centimetres(b.x), t["EYb"] = Centimetres(b.y);
    t["EXc"] = Centimetres(c.x), t["EYc"] = Centimetres(c.y);
    // One base on each side of PA, each making a triangle with A.
    const long double pa = Direction(s.p, a);
    const Point k1 = Polar(s.p, pa + g.baseTurn, g.base);
    const Point k2 = Polar(s.p, pa - g.baseTurn, g.base);
    SetAngle(t, "Ebb1", Angle(s.p, k1, a));
    SetAngle(t, "Ebb2", Angle(k1, s.p, a));
    SetAngle(t, "Ebb11", Angle(s.p, k2, a));
    SetAngle(t, "Ebb22", Angle(k2, s.p, a));
    SetAngle(t, "Edd1", Angle(s.p, a, b));
    SetAngle(t, "Edd2", Angle(s.p, a, c));
    t["Eb1"] = Centimetres(g.base);
    t["Eb2"] = Centimetres(g.base);
    return s;
}

double ReadNumber(const std::string& text) { return static_cast<double>(ParseNumber(text)); }

// The rigorous mean as the control reports it: "… (Xp = 6234,847 м, Yp = …)".
Point RigorousPoint(const Check& c)
{
    const std::size_t x = c.value.find("Xp = ") + 5;
    const std::size_t y = c.value.find("Yp = ") + 5;
    return {static_cast<long double>(ParseNumber(c.value.substr(x, c.value.find("\u00A0м", x) - x))),
            static_cast<long double>(ParseNumber(c.value.substr(y, c.value.find("\u00A0м", y) - y)))};
}

} // namespace

// The worked example: d 94,02 twice, (AP) 0,4″ apart, both P printed alike,
// and the second base triangle narrow (γ 26°37′).
TEST(Control, WorkedExample)
{
    Pressed s;
    ASSERT_NO_FATAL_FAILURE(s.RunAll());
    ASSERT_TRUE(s.control.Report());
    EXPECT_EQ(s.Find("D").value, "0\u00A0м");
    EXPECT_EQ(s.Find("AP").value, "-0,4``");
    EXPECT_EQ(s.Find("P").value, "0\u00A0м (Xp(АВР) − Xp(АСР) = 0\u00A0м, Yp(АВР) − Yp(АСР) = 0\u00A0м), ожидаемое m_Δ = 0,016\u00A0м");
    EXPECT_EQ(s.Find("GAMMA1").verdict, Verdict::Ok);
    EXPECT_EQ(s.Find("GAMMA2").value, "26°37`28,1`` (слабая засечка)");
    EXPECT_EQ(s.Find("GAMMA2").verdict, Verdict::Warning);
    EXPECT_EQ(s.Find("RIGOROUS").verdict, Verdict::Ok);
    EXPECT_EQ(s.control.Report()->Overall(), Verdict::Warning);
    EXPECT_EQ(s.control.Report()->Summary(), "Контроль: допуски соблюдены; слабая засечка: γ АСР.");
    for (const Check& c : s.control.Report()->checks) {
        EXPECT_EQ(c.value.find(';'), std::string::npos) << c.name;
        EXPECT_EQ(c.tolerance.find(';'), std::string::npos) << c.name;
    }
    EXPECT_EQ(s.Find("D").tolerance, "1:2000");
    EXPECT_EQ(s.Find("AP").tolerance, "60``");
    EXPECT_EQ(s.Find("P").tolerance, "0,05\u00A0м");
    EXPECT_EQ(s.Find("GAMMA1").tolerance, "30°–150°");
}

// Each row changes the example's inputs to lie just inside or just outside
// one tolerance; the other checks stay as they were.
TEST(Control, Tolerances)
{
    struct Row {
        const char* name;
        void (*change)(ControlInputs&);
        const char* check;
        const char* value;
        Verdict verdict;
        Tolerances tolerances = {};
    };
    // A tolerance other than the default, with the rest as they are.
    const auto with = [](double Tolerances::*member, double value) {
        Tolerances t;
        t.*member = value;
        return t;
    };
    const Row rows[] = {
        {"d at 1:2000", [](ControlInputs& in) { in.d[0] = 99.98, in.d[1] = 100.03; }, "D", "-0,05\u00A0м (1:2000)", Verdict::Ok},
        {"d at 1:1999", [](ControlInputs& in) { in.d[0] = 99.97, in.d[1] = 100.02; }, "D", "-0,05\u00A0м (1:1999)", Verdict::Exceeded},
        {"d a centimetre apart", [](ControlInputs& in) { in.d[0] = 94.02, in.d[1] = 94.01; }, "D", "0,01\u00A0м (1:9401)", Verdict::Ok},
        {"d to five digits", [](ControlInputs& in) { in.d[0] = 123.45, in.d[1] = 123.46; }, "D", "-0,01\u00A0м (1:12\u00A0345)", Verdict::Ok},
        // used to print 1:0
        {"d apart by more than d", [](ControlInputs& in) { in.d[0] = 834.47, in.d[1] = 0.01; }, "D",
         "834,46\u00A0м (больше самого d)", Verdict::Exceeded},
        {"(AP) 60″", [](ControlInputs& in) { in.dirAP[0] = 190, in.dirAP[1] = 190 + 60.0 / 3600; }, "AP", "-60``", Verdict::Ok},
        {"(AP) 60,1″", [](ControlInputs& in) { in.dirAP[0] = 190, in.dirAP[1] = 190 + 60.1 / 3600; }, "AP", "-60,1``", Verdict::Exceeded},
        // the sheet does not reduce (AP) to 0–360, so the same direction may come a turn apart
        {"(AP) across north", [](ControlInputs& in) { in.dirAP[0] = 360.005, in.dirAP[1] = 359.995; }, "AP", "36``", Verdict::Ok},
        {"(AP) a turn apart", [](ControlInputs& in) { in.dirAP[0] = 0.004, in.dirAP[1] = 359.996; }, "AP", "28,8``", Verdict::Ok},
        {"P 0,05 m apart", [](ControlInputs& in) { in.printed.xp[1] = 6234.82, in.printed.yp[1] = 12335.19; },
         "P", "0,05\u00A0м (Xp(АВР) − Xp(АСР) = 0,03\u00A0м, Yp(АВР) − Yp(АСР) = 0,04\u00A0м), ожидаемое m_Δ = 0,016\u00A0м", Verdict::Ok},
        {"P 0,057 m apart", [](ControlInputs& in) { in.printed.xp[1] = 6234.81, in.printed.yp[1] = 12335.19; },
         "P", "0,057\u00A0м (Xp(АВР) − Xp(АСР) = 0,04\u00A0м, Yp(АВР) − Yp(АСР) = 0,04\u00A0м), ожидаемое m_Δ = 0,016\u00A0м", Verdict::Exceeded},
        {"γ 30°", [](ControlInputs& in) { in.measured.beta1[0] = 70, in.measured.beta2[0] = 80; }, "GAMMA1", "30°0`0``", Verdict::Ok},
        {"γ 20°", [](ControlInputs& in) { in.measured.beta1[0] = 70, in.measured.beta2[0] = 90; },
         "GAMMA1", "20°0`0`` (слабая засечка)", Verdict::Warning},
        {"γ 150°", [](ControlInputs& in) { in.measured.beta1[0] = 10, in.measured.beta2[0] = 20; }, "GAMMA1", "150°0`0``", Verdict::Ok},
        {"γ 150°0′1″", [](ControlInputs& in) { in.measured.beta1[0] = 10, in.measured.beta2[0] = DmsToDegrees(19, 59, 59); },
         "GAMMA1", "150°0`1`` (слабая засечка)", Verdict::Warning},
        // a difference equal to its tolerance used to pass or fail by how the decimal fell in binary
        {"P at 0,3 m", [](ControlInputs& in) { in.printed.xp[1] = 6234.55; }, "P", "0,3\u00A0м (Xp(АВР) − Xp(АСР) = 0,3\u00A0м, Yp(АВР) − Yp(АСР) = 0\u00A0м), ожидаемое m_Δ = 0,016\u00A0м",
         Verdict::Ok, with(&Tolerances::positionMetres, 0.3)},
        {"P 0,301 m at 0,3 m", [](ControlInputs& in) { in.printed.xp[1] = 6234.55, in.printed.yp[1] = 12335.21; },
         "P", "0,301\u00A0м (Xp(АВР) − Xp(АСР) = 0,3\u00A0м, Yp(АВР) − Yp(АСР) = 0,02\u00A0м), ожидаемое m_Δ = 0,016\u00A0м", Verdict::Exceeded, with(&Tolerances::positionMetres, 0.3)},
        {"P at 0,6 m", [](ControlInputs& in) { in.printed.yp[1] = 12335.83; }, "P", "0,6\u00A0м (Xp(АВР) − Xp(АСР) = 0\u00A0м, Yp(АВР) − Yp(АСР) = -0,6\u00A0м), ожидаемое m_Δ = 0,016\u00A0м",
         Verdict::Ok, with(&Tolerances::positionMetres, 0.6)},
        {"P 0,601 m at 0,6 m", [](ControlInputs& in) { in.printed.xp[1] = 6234.81, in.printed.yp[1] = 12335.83; },
         "P", "0,601\u00A0м (Xp(АВР) − Xp(АСР) = 0,04\u00A0м, Yp(АВР) − Yp(АСР) = -0,6\u00A0м), ожидаемое m_Δ = 0,016\u00A0м", Verdict::Exceeded, with(&Tolerances::positionMetres, 0.6)},
        {"(AP) at 0,7″", [](ControlInputs& in) { in.dirAP[0] = 190, in.dirAP[1] = 190 + 0.7 / 3600; }, "AP", "-0,7``",
         Verdict::Ok, with(&Tolerances::directionSeconds, 0.7)},
        {"(AP) 0,8″ at 0,7″", [](ControlInputs& in) { in.dirAP[0] = 190, in.dirAP[1] = 190 + 0.8 / 3600; }, "AP",
         "-0,8``", Verdict::Exceeded, with(&Tolerances::directionSeconds, 0.7)},
        {"(AP) at 0,3″", [](ControlInputs& in) { in.dirAP[0] = 190, in.dirAP[1] = 190 + 0.3 / 3600; }, "AP", "-0,3``",
         Verdict::Ok, with(&Tolerances::directionSeconds, 0.3)},
        {"d at 1:2500", [](ControlInputs& in) { in.d[0] = 100, in.d[1] = 100.04; }, "D", "-0,04\u00A0м (1:2500)", Verdict::Ok,
         with(&Tolerances::distanceRatio, 2500)},
        {"printed mean 4 cm off", [](ControlInputs& in) { in.printed.xMean += 0.04; }, "RIGOROUS", nullptr, Verdict::Ok},
        {"printed mean 6 cm off", [](ControlInputs& in) { in.printed.xMean += 0.06; }, "RIGOROUS", nullptr, Verdict::Exceeded},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ControlInputs in = ExampleInputs();
        row.change(in);
        const ControlReport report = ComputeControl(in, row.tolerances);
        for (const Check& c : report.checks) {
            if (c.name == row.check) {
                if (row.value != nullptr) {
                    EXPECT_EQ(c.value, row.value);
                }
                EXPECT_EQ(c.verdict, row.verdict) << c.value;
            } else if (c.name != "GAMMA2" && c.name != "RIGOROUS") {
                EXPECT_EQ(c.verdict, Verdict::Ok) << c.name << ": " << c.value;
            }
        }
        if (row.verdict == Verdict::Exceeded) {
            EXPECT_EQ(report.Overall(), Verdict::Exceeded);
        }
    }
}

// The tolerances are the user's: a control computed is judged again by new ones.
TEST(Control, NewTolerancesJudgeAgain)
{
    Pressed s;
    ASSERT_NO_FATAL_FAILURE(s.RunAll());
    Tolerances strict;
    strict.directionSeconds = 0.3;
    strict.gammaMin = 20;
    s.sheet.SetTolerances(strict);
    EXPECT_EQ(s.Find("AP").verdict, Verdict::Exceeded);
    EXPECT_EQ(s.Find("AP").tolerance, "0,3``");
    EXPECT_EQ(s.Find("GAMMA2").verdict, Verdict::Ok);
    EXPECT_EQ(s.control.Report()->Summary(), "Контроль: допуск превышен — (AP).");
}

// A weak base triangle of γ = 20° through the pages: a warning, not a failure.
TEST(Control, WeakTriangleOnTheSheet)
{
    Pressed s;
    s.Set({{"Ebb1g", "65"}, {"Ebb1m", "30"}, {"Ebb1s", "0"}, {"Ebb2g", "94"}, {"Ebb2m", "30"}, {"Ebb2s", "0"}});
    ASSERT_NO_FATAL_FAILURE(s.RunAll());
    EXPECT_EQ(s.Find("GAMMA1").value, "20°0`0`` (слабая засечка)");
    EXPECT_EQ(s.Find("GAMMA1").verdict, Verdict::Warning);
}

// Presses after page 3 drop the control whenever it no longer describes
// what the pages show; page 3 completing again brings it back.
TEST(Control, WhenTheControlHolds)
{
    const std::pair<const char*, bool> rows[] = {
        {"ok1 ok2 ok3", true},
        {"ok1 ok2 ok3 ok3", true},
        {"ok3", false},
        {"ok1 ok2 ok3 ok1", false},
        {"ok1 ok2 ok3 ok2", false},
        {"ok1 ok2 ok3 clear1", false},
        {"ok1 ok2 ok3 clear2", false},
        // page 3 used to compute the control from the values of a page 1 since emptied
        {"ok1 ok2 ok3 clear1 ok3", false},
        {"ok1 ok2 ok3 Eb1=x ok2", false},
        {"ok1 ok2 ok3 Eb1=x ok2 ok3", false},
        {"ok1 ok2 ok3 EXa=x ok1", false},
        {"ok1 ok2 ok3 EXa=x ok1 ok2 ok3", false},
        {"ok1 ok2 ok3 ok1 ok3", false},
        {"ok1 ok2 ok3 ok1 ok2 ok3", true},
    };
    for (const auto& [script, holds] : rows) {
        SCOPED_TRACE(script);
        Pressed s;
        s.Play(script);
        EXPECT_EQ(s.control.Report().has_value(), holds);
    }
}

// An input edited after its page ran: the results of that page and of every
// later one no longer follow from the sheet, and neither does the control.
// What the pages read when they ran is still what the carried values came
// from, so page 3 alone may compute the control again.
TEST(Control, EditedInputs)
{
    struct Row {
        const char* script;
        const char* current;  // pages shown as current, "-" for one that is not
        bool holds;
        const char* refusal = "";  // the message of the last refused press
        int recompute = 0;         // and the page whose OK it sends the user to
    };
    const std::string page1Edited = "Исходные данные страницы 1 изменены после вычисления: нажмите ОК на странице 1.";
    const Row rows[] = {
        // the statement used to print Xa 6327,49 beside P of 6327,46 with a green control
        {"ok1 ok2 ok3 EXa=6327,49", "---", false},
        {"ok1 ok2 ok3 Ebb1s=45,2", "1--", false},
        {"ok1 ok2 ok3 Eb2=42,15 ok2", "12-", false},
        {"ok1 ok2 ok3 Eb2=42,15 ok2 ok3", "123", true},
        {"ok1 ok2 ok3 EXa=6327,49 ok1 ok2 ok3", "123", true},
        // pages 2 and 3 used to compute from the Xa of before the edit, and the control passed them
        {"ok1 ok2 ok3 EXa=6327,49 ok3", "---", false, page1Edited.c_str(), 1},
        {"ok1 EXa=6327,49 ok2", "---", false, page1Edited.c_str(), 1},
        {"ok1 ok2 ok3 Eb1=70,77 ok3", "1--", false,
         "Исходные данные страницы 2 изменены после вычисления: нажмите ОК на странице 2.", 2},
        {"ok1 ok2 ok3 clear1 ok2", "---", false,
         "Страница 1 очищена после вычисления: введите исходные данные и нажмите ОК на странице 1.", 1},
        // a page 1 run again makes page 2 run again: the reference sheets record page 3 refused so
        {"ok1 ok2 ok1 ok3", "1--", false, "Извините, но еще не подсчитаны две первые страницы"},
        {"ok1 ok2 ok1 ok2 ok3", "123", true},
        // new tolerances judge a control again, never one an edit dropped
        {"ok1 ok2 ok3 Eb1=60,77 tolerances", "1--", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.script);
        Pressed s;
        s.Play(row.script);
        std::string current;
        for (int page = 1; page <= 3; ++page)
            current += s.control.PageCurrent(page) ? char('0' + page) : '-';
        EXPECT_EQ(current, row.current);
        EXPECT_EQ(s.control.Report().has_value(), row.holds);
        EXPECT_EQ(s.refusal, row.refusal);
        EXPECT_EQ(s.recompute, row.recompute);
    }
}

TEST(Control, PagesCurrent)
{
    Pressed s;
    ASSERT_NO_FATAL_FAILURE(s.RunAll());
    EXPECT_TRUE(s.control.PageCurrent(1) && s.control.PageCurrent(2) && s.control.PageCurrent(3));
    s.Press("clear1");
    EXPECT_FALSE(s.control.PageCurrent(1) || s.control.PageCurrent(2) || s.control.PageCurrent(3));
    s.Set({{"EXc", "3700,05"}, {"EYc", "13936,62"}, {"EXb", "7049,74"}, {"EYb", "17577,28"}, {"EXa", "6327,46"},
           {"EYa", "12351,48"}});
    s.Press("ok1");
    EXPECT_TRUE(s.control.PageCurrent(1));
    EXPECT_FALSE(s.control.PageCurrent(2) || s.control.PageCurrent(3));
}

// The control is of what the pages computed from, not of the texts the boxes
// hold later, even texts changed without the sheet being told (an announced
// edit stops the later pages instead).
TEST(Control, UsesWhatThePagesRanOn)
{
    Pressed plain;
    plain.RunAll();
    Pressed edited;
    ASSERT_EQ(edited.Press("ok1"), Outcome::Completed);
    edited.f.SetText("EXb", "1");
    edited.f.SetText("EYa", "2");
    ASSERT_EQ(edited.Press("ok2"), Outcome::Completed);
    for (const auto& [name, text] : Texts{{"Eb1", "10"}, {"Ebb2g", "1"}, {"Edd1s", "0"}})
        edited.f.SetText(name, text);
    ASSERT_EQ(edited.Press("ok3"), Outcome::Completed);
    ASSERT_TRUE(edited.control.Report());
    for (std::size_t i = 0; i < plain.control.Report()->checks.size(); ++i)
        EXPECT_EQ(edited.control.Report()->checks[i].value, plain.control.Report()->checks[i].value);
}

// Surveys of known geometry. The sheet's ψ = atan(sin ψ) is exact only while
// d ≪ S: with the far points at 800 m its P is decimetres off the true point,
// while the rigorous solution stays within the measuring accuracy.
TEST(Control, RigorousSolutionOfKnownSurveys)
{
    struct Row {
        Geometry g;
        double sheetAtLeast, sheetAtMost;  // distance of the sheet's P from the true one
    };
    const Row rows[] = {
        {{"far points at 800 m, d 150 m", 800, 800, 150, 70, 110, 150, 60}, 0.10, 1.0},
        {{"B at 800 m, C at 1200 m", 800, 1200, 150, 100, 40, 140, 55}, 0.05, 1.0},
        {{"far points at 3 km", 3000, 3500, 150, 60, 120, 150, 60}, 0, 0.02},
        {{"far points at 5 km, d 95 m", 5300, 3100, 95, 108, 41, 60, 50}, 0, 0.02},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.g.name);
        const Survey survey = Build(row.g);
        Pressed s;
        s.Set(survey.texts);
        ASSERT_NO_FATAL_FAILURE(s.RunAll());
        const double sheetOff = std::hypot(ReadNumber(s.f.GetText("Xp")) - static_cast<double>(survey.p.x),
                                           ReadNumber(s.f.GetText("Yp")) - static_cast<double>(survey.p.y));
        EXPECT_GE(sheetOff, row.sheetAtLeast);
        EXPECT_LE(sheetOff, row.sheetAtMost);
        const Check& rigorous = s.Find("RIGOROUS");
        const Point r = RigorousPoint(rigorous);
        EXPECT_LE(std::hypot(static_cast<double>(r.x - survey.p.x), static_cast<double>(r.y - survey.p.y)), 0.03)
            << rigorous.value;
        EXPECT_EQ(rigorous.verdict, sheetOff > 0.06 ? Verdict::Exceeded : Verdict::Ok) << rigorous.value;
    }
}

// A far point closer to A than d·sin δ leaves no triangle: the sheet still
// prints a P through its arctangent, the control says the geometry is impossible.
TEST(Control, ImpossibleGeometry)
{
    ControlInputs in = ExampleInputs();
    in.given.xb = in.given.xa + 50;
    in.given.yb = in.given.ya;
    const RigorousSolution r = SolveRigorous(in.given, in.measured);
    EXPECT_FALSE(r.possible);
    ASSERT_TRUE(r.variant[0].impossible);
    EXPECT_FALSE(r.variant[1].impossible);
    const ControlReport report = ComputeControl(in, Tolerances{});
    const Check& c = *std::ranges::find(report.checks, std::string("RIGOROUS"), &Check::name);
    EXPECT_EQ(c.value, "геометрия невозможна (АВР: d·sin δ/S = 1,7803 больше 1: такого треугольника нет)");
    EXPECT_EQ(c.verdict, Verdict::Exceeded);
    // δ past 180° turns the ratio below −1, which is no sine either
    in.measured.delta[0] = 360 - in.measured.delta[0];
    const RigorousSolution below = SolveRigorous(in.given, in.measured);
    ASSERT_TRUE(below.variant[0].impossible);
    EXPECT_EQ(*below.variant[0].impossible, "d·sin δ/S = -1,7803 по модулю больше 1: такого треугольника нет");
}

// Mt of the example's mean (5″ angles, 5 mm bases) is 8 mm as printed: a
// tolerance of 8 mm passes, 7,999 mm does not, none set makes no check, and
// where there is no estimate the check says why and does not pass.
TEST(Control, AccuracyOfP)
{
    struct Row {
        const char* name;
        double accuracyMetres;
        bool impossible;
        const char* value;  // nullptr: no MT check
        Verdict verdict;
    };
    const Row rows[] = {
        {"not judged", 0, false, nullptr, Verdict::Ok},
        {"equal to its tolerance", 0.008, false, "0,008\u00A0м", Verdict::Ok},
        {"a micrometre beyond", 0.007999, false, "0,008\u00A0м", Verdict::Exceeded},
        {"no estimate", 0.05, true, "не оценивается: АВР: d·sin δ/S = 1,7803 больше 1: такого треугольника нет",
         Verdict::Exceeded},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ControlInputs in = ExampleInputs();
        if (row.impossible)
            in.given.xb = in.given.xa + 50, in.given.yb = in.given.ya;
        Tolerances tol;
        tol.accuracyMetres = row.accuracyMetres;
        const ControlReport report = ComputeControl(in, tol);
        const auto mt = std::ranges::find(report.checks, std::string("MT"), &Check::name);
        if (row.value == nullptr) {
            EXPECT_EQ(mt, report.checks.end());
            continue;
        }
        ASSERT_NE(mt, report.checks.end());
        EXPECT_EQ(mt->value, row.value);
        EXPECT_EQ(mt->verdict, row.verdict);
        EXPECT_EQ(mt->tolerance, FormatNumber(row.accuracyMetres) + "\u00A0м");
    }
}

TEST(Control, ReadingTolerances)
{
    const ToleranceField& ratio = *FindToleranceField("distanceRatio");
    const ToleranceField& metres = *FindToleranceField("positionMetres");
    const ToleranceField& gammaMax = *FindToleranceField("gammaMax");
    const std::tuple<const ToleranceField*, const char*, double> good[] = {
        {&ratio, "2000", 2000}, {&ratio, "100", 100}, {&metres, "0,05", 0.05}, {&metres, " 1E-2 ", 0.01},
        {&metres, "0.001", 0.001}, {&gammaMax, "175", 175}, {FindToleranceField("accuracyMetres"), "0", 0}};
    for (const auto& [field, text, expected] : good) {
        double out = 0;
        EXPECT_FALSE(ReadTolerance(*field, text, out)) << text;
        EXPECT_EQ(out, expected) << text;
    }
    // A number out of range says the range and why; 1e308 used to pass.
    const std::tuple<const ToleranceField*, const char*, const char*> bad[] = {
        {&metres, "", "введите число"},     {&metres, "0", "от 0,001 до 1"},  {&metres, "-0,05", "от 0,001 до 1"},
        {&metres, "0,05 м", "введите число"}, {&metres, "пять", "введите число"}, {&ratio, "0,5", "от 100 до 100000"},
        {&ratio, "1e308", "так как"},       {&gammaMax, "200", "от 120 до 175"}, {&metres, "1,01", "от 0,001 до 1"},
        {FindToleranceField("accuracyMetres"), "0,0005", "0 или от 0,001 до 10"}};
    for (const auto& [field, text, words] : bad) {
        double out = 7;
        const std::optional<std::string> message = ReadTolerance(*field, text, out);
        ASSERT_TRUE(message) << text;
        EXPECT_NE(message->find(field->label), std::string::npos) << *message;
        EXPECT_NE(message->find(words), std::string::npos) << *message;
        EXPECT_EQ(out, 7) << text;
    }
    // Every range holds its default and keeps γ min below γ max.
    EXPECT_FALSE(ToleranceProblem(Tolerances{}));
    EXPECT_LT(FindToleranceField("gammaMin")->max, FindToleranceField("gammaMax")->min);
    Tolerances crossed;
    crossed.gammaMin = 150, crossed.gammaMax = 30;
    EXPECT_TRUE(ToleranceProblem(crossed));
    Tolerances flat;
    flat.gammaMax = 180;
    EXPECT_TRUE(ToleranceProblem(flat));
}

// A fault of the program (here a field the fields do not have) is no
// outcome of the sheet: it leaves Press, and the page is not current.
TEST(Sheet, ProgramFaultPassesThroughAndLeavesNoPageCurrent)
{
    struct Broken : MemoryFields {
        mutable bool broken = false;
        using MemoryFields::GetText;
        std::string GetText(FieldId id) const override
        {
            if (id == FieldId::EYb && std::exchange(broken, false))
                throw std::out_of_range("no field EYb");
            return MemoryFields::GetText(id);
        }
    } fields;
    snesenie::Sheet sheet(fields);
    ASSERT_TRUE(sheet.Press(SheetAction::Page1).Completed());
    fields.broken = true;
    EXPECT_THROW(sheet.Press(SheetAction::Page1), std::out_of_range);
    EXPECT_FALSE(sheet.PageCurrent(1));
    // A user's error is an outcome, with the field it names.
    fields.SetText("EXa", "шесть");
    const PressResult result = sheet.Press(SheetAction::Page1);
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_EQ(result.field, "EXa");
    EXPECT_NE(result.message.find("«шесть»"), std::string::npos) << result.message;
}

// A slip of the hand that still computes: 75 minutes, −5 or 400 degrees, a
// base of 0, β1 + β2 of 180° and more. The sheet goes on, and the control
// lists every such value as a warning; they used to pass without a word.
TEST(Control, InputsOutsideTheirUsualRanges)
{
    const struct {
        const char* name;
        Texts inputs;
        std::vector<std::string> marked;  // fields, in the order of the page
        const char* says;                 // a part of the check's value
    } rows[] = {
        {"WorkedExample", {}, {}, "в обычных пределах"},
        {"Minutes75", {{"Ebb1m", "75"}}, {"Ebb1m"}, "β1, минуты, вариант АВР = 75: обычно минуты от 0 до 59"},
        {"Seconds61", {{"Edd2s", "61"}}, {"Edd2s"}, "δ, секунды, вариант АСР = 61: обычно секунды"},
        {"SecondsJustUnder60", {{"Edd2s", "59,99"}}, {}, "в обычных пределах"},
        {"NegativeDegrees", {{"Edd1g", "-5"}}, {"Edd1g"}, "δ, градусы, вариант АВР = -5: обычно градусы от 0 до 359"},
        {"Degrees400", {{"Edd1g", "400"}}, {"Edd1g"}, "= 400"},
        {"NegativeMinutes", {{"Ebb22m", "-1"}}, {"Ebb22m"}, "= -1"},
        {"ZeroBase", {{"Eb2", "0"}}, {"Eb2"}, "b, вариант АСР = 0: длина базиса обычно больше 0"},
        {"BetaSumOver180", {{"Ebb1g", "86"}}, {"Ebb2g"}, "β1 + β2 = 180°53`39,7``, вариант АВР: обычно меньше 180°"},
        {"TwoAtOnce", {{"Ebb11s", "60"}, {"Eb1", "-60,76"}}, {"Ebb11s", "Eb1"}, ", "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Pressed s;
        s.Set(row.inputs);
        std::vector<std::string> marked;
        for (const InputWarning& w : InputWarnings(s.f))
            marked.push_back(w.field);
        EXPECT_EQ(marked, row.marked);
        for (const char* button : {"ok1", "ok2", "ok3"})
            s.Press(button);
        ASSERT_TRUE(s.control.Report());
        const Check& input = s.Find("INPUT");
        EXPECT_EQ(input.title, "Исходные данные");
        EXPECT_EQ(input.verdict, row.marked.empty() ? Verdict::Ok : Verdict::Warning);
        // The input ranges have no tolerance, so nothing found is not a tolerance kept.
        EXPECT_STREQ(VerdictWord(input), row.marked.empty() ? "замечаний нет" : "предупреждение");
        EXPECT_NE(input.value.find(row.says), std::string::npos) << input.value;
        EXPECT_EQ(input.value.find(';'), std::string::npos);
    }
    // A text that is no number is the page's own error, not a range warning.
    EXPECT_EQ(RangeProblem("Ebb1m", "7x5"), std::nullopt);
    EXPECT_EQ(RangeProblem("EXa", "-5"), std::nullopt);
    // β1 + β2 of exactly 180° leaves no triangle either (page 2 divides by
    // zero there, so it is marked before any press)
    Pressed straight;
    straight.Set({{"Ebb1g", "90"}, {"Ebb1m", "0"}, {"Ebb1s", "0"}, {"Ebb2g", "90"}, {"Ebb2m", "0"}, {"Ebb2s", "0"}});
    const std::vector<InputWarning> warnings = InputWarnings(straight.f);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].field, "Ebb2g");
}
