#include "Control.h"

#include "Errors.h"
#include "KeyValueList.h"
#include "Numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace snesenie {
namespace {

constexpr auto kToleranceFields = std::to_array<ToleranceField>({
    {"distanceRatio", "Расхождение двух d, 1:N — значение N", &Tolerances::distanceRatio, 100, 100000,
     "грубее 1:100 не допускает ни одна инструкция, а точнее 1:100\u00A0000 короткую линию не измерить"},
    {"directionSeconds", "Расхождение двух (AP), секунды", &Tolerances::directionSeconds, 0.1, 600,
     "(AP) вычисляется до десятых долей секунды, а больше 10′ не допускает ни одна инструкция"},
    {"positionMetres", "Расхождение положений P, м", &Tolerances::positionMetres, 0.001, 1,
     "положение P сверяется до миллиметра, а больше метра не допускает ни одна инструкция"},
    {"gammaMin", "Наименьший угол γ базисного треугольника, градусы", &Tolerances::gammaMin, 5, 60,
     "граница слабой засечки ниже 5° ничего не отсекает, а выше 60° отсекает и хорошие треугольники"},
    {"gammaMax", "Наибольший угол γ базисного треугольника, градусы", &Tolerances::gammaMax, 120, 175,
     "граница слабой засечки выше 175° ничего не отсекает, а ниже 120° отсекает и хорошие треугольники"},
    {"accuracyMetres", "Наибольшая ошибка положения P (Mt), м", &Tolerances::accuracyMetres, 0.001, 10,
     "точнее миллиметра её не вычисляют, а ошибка больше 10 м уже не съёмка; 0 — не проверять", true},
});

constexpr bool InRange(const ToleranceField& f, double v)
{
    return (v >= f.min && v <= f.max) || (f.zeroIsNone && v == 0);
}

// The defaults must lie in their own ranges.
constexpr bool DefaultsInRange()
{
    const Tolerances defaults;
    for (const ToleranceField& f : kToleranceFields)
        if (!InRange(f, defaults.*f.member))
            return false;
    return true;
}
static_assert(DefaultsInRange());

const char* const kVariant[2] = {"АВР", "АСР"};

// x rounded to 1/scale. The control's values are differences of printed or
// carried numbers, so rounding (not the sheet's cut) gives the honest figure
// and drops the binary remainder of numbers like 94,02 − 94,01.
Ext RoundTo(Ext x, int scale) { return Ext(Round(x * scale)) / scale; }

// A value and its tolerance are compared as whole numbers of the unit the
// value is printed in (millimetres, tenths of a second, the ratio's N), so
// that what the page shows decides. The tolerance is held as a double: 0,3 m
// is 0,29999… and a difference printed 0,3 m would fail it by the binary
// accident of the decimal. So it is first taken to a millionth of that unit,
// far finer than any decimal a surveyor types, and only then compared.
constexpr std::int64_t kMillionths = 1000000;

std::int64_t ToleranceMillionths(double tolerance, int unitsPerTolerance)
{
    return Round(Ext(tolerance) * unitsPerTolerance * kMillionths);
}

// Whether a value of `printed` whole units (its magnitude) is beyond the
// tolerance; a value equal to the tolerance is within it.
bool Beyond(std::int64_t printed, double tolerance, int unitsPerTolerance)
{
    // printed·10⁶ > t exactly when printed > ⌊t/10⁶⌋, with no product to overflow.
    return (printed < 0 ? -printed : printed) > ToleranceMillionths(tolerance, unitsPerTolerance) / kMillionths;
}

// Whether a ratio printed as 1:n is short of the tolerance 1:N, N taken as
// typed: n < N exactly when n < ⌈N⌉ for a whole n.
bool ShortOf(std::int64_t n, double ratio)
{
    return n < (ToleranceMillionths(ratio, 1) + kMillionths - 1) / kMillionths;
}

// A no-break space between a value and its unit, and between the groups of a
// ratio's digits, so that a printed line never breaks a value in two.
std::string Metres(Ext x) { return FormatNumber(x) + "\u00A0м"; }

// 1:N as a surveyor writes it: from five digits up in threes, 1:100 000.
std::string Ratio(Ext n)
{
    std::string text = FormatNumber(n);
    const std::size_t whole = std::min(text.find(','), text.size());
    if (whole >= 5 && text.find('E') == std::string::npos)
        for (std::size_t at = whole - 3; at > 0; at = at > 3 ? at - 3 : 0)
            text.insert(at, "\u00A0");
    return "1:" + text;
}

Check Judged(std::string name, std::string title, std::string brief, std::string tolerance)
{
    return {std::move(name), std::move(title), std::move(brief), {}, std::move(tolerance), Verdict::Ok};
}

// Runs fill; arithmetic that cannot be done is reported in the check itself,
// so one absurd value never hides the other checks.
template <class Fill>
Check Compute(Check check, Fill fill)
{
    try {
        fill(check);
    } catch (const CalcError& e) {
        check.value = std::string("не вычисляется: ") + e.what();
        check.verdict = Verdict::Exceeded;
    }
    return check;
}

Check DistanceCheck(const ControlInputs& in, const Tolerances& tol)
{
    return Compute(Judged("D", "Расхождение d (АВР − АСР)", "d", Ratio(tol.distanceRatio)),
                   [&](Check& c) {
                       // Both d are cut to centimetres, so is their difference.
                       const Ext diff = RoundTo(Ext(in.d[0]) - in.d[1], 100);
                       if (diff == Ext(0)) {
                           c.value = Metres(0);
                           return;
                       }
                       const Ext mean = Ext(std::fabs(in.d[0])) / 2 + std::fabs(in.d[1]) / 2;
                       const std::int64_t n = Trunc(mean / Abs(diff));
                       // 1:0 would say nothing: the two d differ by more than d itself.
                       c.value = Metres(diff) + (n > 0 ? " (" + Ratio(n) + ")" : " (больше самого d)");
                       // Judged on N as printed, so the verdict agrees with what is read.
                       if (ShortOf(n, tol.distanceRatio))
                           c.verdict = Verdict::Exceeded;
                   });
}

Check DirectionCheck(const ControlInputs& in, const Tolerances& tol)
{
    return Compute(Judged("AP", "Расхождение (AP) (АВР − АСР)", "(AP)", FormatNumber(tol.directionSeconds) + "``"),
                   [&](Check& c) {
                       // (AP) is not reduced to 0–360 on the sheet: one variant may come
                       // out a full turn from the other for the same direction.
                       const Ext turn = Remainder(Ext(in.dirAP[0]) - in.dirAP[1], 360);
                       const std::int64_t tenths = Round(turn * 3600 * 10);
                       c.value = FormatNumber(Ext(tenths) / 10) + "``";
                       if (Beyond(tenths, tol.directionSeconds, 10))
                           c.verdict = Verdict::Exceeded;
                   });
}

Check PositionCheck(const ControlInputs& in, const Tolerances& tol)
{
    return Compute(Judged("P", "Расхождение положений P (АВР − АСР)", "P", Metres(tol.positionMetres)),
                   [&](Check& c) {
                       const PrintedPoint& p = in.printed;
                       const Ext dx = RoundTo(Ext(p.xp[0]) - p.xp[1], 100);
                       const Ext dy = RoundTo(Ext(p.yp[0]) - p.yp[1], 100);
                       const std::int64_t mm = Round(Sqrt(dx * dx + dy * dy) * 1000);
                       c.value = Metres(Ext(mm) / 1000) + " (Xp(АВР) − Xp(АСР) = " + Metres(dx) + ", Yp(АВР) − Yp(АСР) = " + Metres(dy) + ")";
                       if (Beyond(mm, tol.positionMetres, 1000))
                           c.verdict = Verdict::Exceeded;
                   });
}

Check ShapeCheck(const ControlInputs& in, const Tolerances& tol, int v)
{
    const std::string variant = kVariant[v];
    return Compute(Judged("GAMMA" + std::to_string(v + 1), "Форма базисного треугольника, вариант " + variant + " (γ)",
                          "γ " + variant, FormatNumber(tol.gammaMin) + "°–" + FormatNumber(tol.gammaMax) + "°"),
                   [&](Check& c) {
                       // γ exactly as page 2 held and printed it.
                       const double gamma =
                           Hold(Ext(180) - (Ext(in.measured.beta1[v]) + in.measured.beta2[v]));
                       c.value = FormatDmsTenths(gamma);
                       if (gamma < tol.gammaMin || gamma > tol.gammaMax) {
                           c.value += " (слабая засечка)";
                           c.verdict = Verdict::Warning;
                       }
                   });
}

// solved is the rigorous solution when it was found already; without it the
// solution is sought here, and its failure is this check's.
Check RigorousCheck(const ControlInputs& in, const Tolerances& tol, const std::optional<RigorousSolution>& solved)
{
    return Compute(Judged("RIGOROUS", "Строгое решение в сравнении со средним", "строгое решение",
                          Metres(tol.positionMetres)),
                   [&](Check& c) {
                       const RigorousSolution r = solved ? *solved : SolveRigorous(in.given, in.measured);
                       if (!r.possible) {
                           c.value = "геометрия невозможна";
                           for (int v = 0; v < 2; ++v)
                               if (r.variant[v].impossible)
                                   c.value += std::string(" (") + kVariant[v] + ": " + *r.variant[v].impossible + ")";
                           c.verdict = Verdict::Exceeded;
                           return;
                       }
                       const Ext dx = Ext(r.xp) - in.printed.xMean;
                       const Ext dy = Ext(r.yp) - in.printed.yMean;
                       const std::int64_t mm = Round(Sqrt(dx * dx + dy * dy) * 1000);
                       c.value = Metres(Ext(mm) / 1000) + " (Xp = " + Metres(RoundTo(r.xp, 1000)) +
                                 ", Yp = " + Metres(RoundTo(r.yp, 1000)) + ")";
                       if (Beyond(mm, tol.positionMetres, 1000))
                           c.verdict = Verdict::Exceeded;
                   });
}

} // namespace

std::span<const ToleranceField> ToleranceFields() { return kToleranceFields; }

std::string TolerancesText(const Tolerances& t)
{
    return Ratio(t.distanceRatio) + ", " + FormatNumber(t.directionSeconds) + "``, " +
           Metres(t.positionMetres) + ", γ " + FormatNumber(t.gammaMin) + "°–" + FormatNumber(t.gammaMax) + "°" +
           (t.accuracyMetres > 0 ? ", Mt " + Metres(t.accuracyMetres) : "");
}

const ToleranceField* FindToleranceField(std::string_view key)
{
    for (const ToleranceField& field : kToleranceFields)
        if (field.key == key)
            return &field;
    return nullptr;
}

std::string ToleranceRange(const ToleranceField& field)
{
    return std::string(field.zeroIsNone ? "0 или " : "") + "от " + FormatNumber(field.min) + " до " +
           FormatNumber(field.max);
}

namespace {

std::string OutOfRange(const ToleranceField& field)
{
    return std::string("Допуск «") + field.label + "» вне пределов: допустимо " + ToleranceRange(field) +
           ", так как " + field.reason + ".";
}

} // namespace

std::optional<std::string> ReadTolerance(const ToleranceField& field, const std::string& text, double& out)
{
    double value = 0;
    try {
        value = Hold(ParseNumber(text));
    } catch (const CalcError&) {
        return std::string("В допуске «") + field.label + "» не число: введите число " + ToleranceRange(field) +
               ", дробную часть отделяя запятой.";
    }
    if (!InRange(field, value))
        return OutOfRange(field);
    out = value;
    return std::nullopt;
}

std::optional<std::string> ReadToleranceList(const std::string& list, const std::string& option,
                                             std::vector<std::pair<const ToleranceField*, double>>& out)
{
    return ReadKeyValueList<ToleranceField>(list, option, kToleranceFields, &ReadTolerance, out);
}

std::optional<std::string> ToleranceProblem(const Tolerances& t)
{
    for (const ToleranceField& field : kToleranceFields)
        if (!InRange(field, t.*field.member))
            return OutOfRange(field);
    return std::nullopt;
}

const char* VerdictWord(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Ok:
        return "допуск соблюдён";
    case Verdict::Exceeded:
        return "допуск превышен";
    case Verdict::Warning:
        return "предупреждение";
    }
    return "";
}

const char* VerdictWord(const Check& check)
{
    if (check.name == "INPUT" && check.verdict == Verdict::Ok)
        return "замечаний нет";
    return VerdictWord(check.verdict);
}

const char* VerdictCode(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Ok:
        return "ok";
    case Verdict::Exceeded:
        return "exceeded";
    case Verdict::Warning:
        return "warning";
    }
    return "";
}

Verdict ControlReport::Overall() const
{
    Verdict overall = Verdict::Ok;
    for (const Check& c : checks) {
        if (c.verdict == Verdict::Exceeded)
            return Verdict::Exceeded;
        if (c.verdict == Verdict::Warning)
            overall = Verdict::Warning;
    }
    return overall;
}

std::string ControlReport::Summary() const
{
    const Verdict overall = Overall();
    std::string which;
    for (const Check& c : checks)
        if (c.verdict == (overall == Verdict::Ok ? Verdict::Warning : overall))
            which += (which.empty() ? "" : ", ") + c.brief;
    switch (overall) {
    case Verdict::Ok:
        return "Контроль: все допуски соблюдены.";
    case Verdict::Warning: {
        bool shapesOnly = true;
        for (const Check& c : checks)
            shapesOnly = shapesOnly && (c.verdict != Verdict::Warning || c.name.starts_with("GAMMA"));
        return std::string("Контроль: допуски соблюдены; ") + (shapesOnly ? "слабая засечка: " : "предупреждения: ") +
               which + ".";
    }
    case Verdict::Exceeded:
        return "Контроль: допуск превышен — " + which + ".";
    }
    return {};
}

namespace {

// A slip of the hand that still computes: every value outside its usual
// range, listed so that it is looked at before the sheet is handed in.
Check InputCheck(const ControlInputs& inputs)
{
    Check c{"INPUT", "Исходные данные", "исходные данные", "в обычных пределах", "—",
            Verdict::Ok};
    if (inputs.inputWarnings.empty())
        return c;
    c.value.clear();
    for (const InputWarning& w : inputs.inputWarnings)
        c.value += (c.value.empty() ? "" : ", ") + w.message;
    c.verdict = Verdict::Warning;
    return c;
}

// Beside the discrepancy found, the one the precision leads one to expect:
// a discrepancy of three m_Δ is a blunder, one of m_Δ bad luck.
void NoteExpectedDiscrepancy(Check& position, const AccuracyEstimate& accuracy)
{
    if (accuracy.none)
        return;
    position.value += ", ожидаемое m_Δ = " + Metres(RoundTo(accuracy.mDelta, 1000));
}

// m_P of the mean as printed, in whole millimetres, judged against the
// tolerance in millimetres (to a millionth of one), so that a value equal to
// its tolerance as read passes.
Check AccuracyCheck(const AccuracyEstimate& accuracy, const Tolerances& tol)
{
    return Compute(Judged("MT", "Точность положения P", "точность P", Metres(tol.accuracyMetres)), [&](Check& c) {
        if (accuracy.none) {
            c.value = "не оценивается: " + *accuracy.none;
            c.verdict = Verdict::Exceeded;
            return;
        }
        const std::int64_t mm = Round(Ext(accuracy.mean.mP) * 1000);
        const std::int64_t tolMicro = Round(Ext(tol.accuracyMetres) * 1000000000);
        c.value = Metres(Ext(mm) / 1000);
        if (Ext(tolMicro) < Ext(mm) * 1000000)
            c.verdict = Verdict::Exceeded;
    });
}

} // namespace

ControlReport ComputeControl(const ControlInputs& inputs, const Tolerances& tolerances, const Precision& precision)
{
    ControlReport report;
    report.precision = precision;
    report.printed = inputs.printed;
    // The estimate and the rigorous check stand on one solution; a batch of
    // ten thousand stations should not find it twice for each.
    std::optional<RigorousSolution> rigorous;
    try {
        rigorous = SolveRigorous(inputs.given, inputs.measured);
    } catch (const CalcError&) {
        // Each of the two says so in its own words below.
    }
    report.accuracy = rigorous ? EstimateAccuracy(inputs.given, inputs.measured, precision, *rigorous)
                               : EstimateAccuracy(inputs.given, inputs.measured, precision);
    report.checks.push_back(DistanceCheck(inputs, tolerances));
    report.checks.push_back(DirectionCheck(inputs, tolerances));
    report.checks.push_back(PositionCheck(inputs, tolerances));
    NoteExpectedDiscrepancy(report.checks.back(), report.accuracy);
    report.checks.push_back(ShapeCheck(inputs, tolerances, 0));
    report.checks.push_back(ShapeCheck(inputs, tolerances, 1));
    report.checks.push_back(RigorousCheck(inputs, tolerances, rigorous));
    if (tolerances.accuracyMetres > 0)
        report.checks.push_back(AccuracyCheck(report.accuracy, tolerances));
    report.checks.push_back(InputCheck(inputs));
    return report;
}

bool ControlExceeded(const std::optional<ControlReport>& report)
{
    return report && report->Overall() == Verdict::Exceeded;
}

} // namespace snesenie
