#include "Accuracy.h"

#include "Errors.h"
#include "KeyValueList.h"
#include "Numbers.h"

#include <cmath>

namespace snesenie {
namespace {

constexpr auto kPrecisionFields = std::to_array<PrecisionField>({
    {"angleSeconds", "Ошибка измерения угла, секунды", &Precision::angleSeconds, 0.5, 120,
     "точнее 0,5″ угол одним приёмом не измерить, а грубее 2′ не измеряет ни один теодолит", false},
    {"baseMillimetres", "Ошибка базиса: постоянная часть, мм", &Precision::baseMillimetres, 0, 200,
     "больше 20 см базис не промеряют даже шагами", false},
    {"baseRatio", "Ошибка базиса: относительная часть 1:N, значение N", &Precision::baseRatio, 500, 100000,
     "грубее 1:500 не мерят и рулеткой, а точнее 1:100 000 короткий базис не измерить; 0 — без неё", true},
    {"givenMetres", "Ошибка координат исходных пунктов, м", &Precision::givenMetres, 0, 1,
     "пункт с ошибкой больше метра не годится в исходные; 0 — безошибочны", false},
});

constexpr bool Allowed(const PrecisionField& f, double v)
{
    return (v >= f.min && v <= f.max) || (f.zeroIsNone && v == 0);
}

constexpr bool DefaultsInRange()
{
    const Precision defaults;
    for (const PrecisionField& f : kPrecisionFields)
        if (!Allowed(f, defaults.*f.member))
            return false;
    return true;
}
static_assert(DefaultsInRange());

std::string OutOfRange(const PrecisionField& field)
{
    return std::string("«") + field.label + "»: допустимо " + PrecisionRange(field) + ", так как " + field.reason +
           ".";
}

const char* const kVariant[2] = {"АВР", "АСР"};

// The derivatives are analytic, taken in the extended type along the very
// formulas of the rigorous solution. Central differences would need a step
// for each quantity (an angle in radians and a coordinate of thousands of
// metres differ by ten orders) and lose half the digits to cancellation;
// the analytic chain is exact to the working precision, costs one pass, and
// says by itself where a derivative does not exist (cos ψ = 0).
//
// The sines and cosines in the derivatives come from the machine's double
// functions, not the sheet's correctly rounded ones: they only scale
// variances that are stated to a tenth of a millimetre, fifteen digits are
// ample, and a batch of ten thousand stations would spend most of its time
// on them otherwise.
// A value of the bare extended chain, held as a double: a result that is no
// finite number is an arithmetic error here, as in every checked step.
double Finite(Extended x) { return Hold(Ext(0) + Ext(x)); }

Ext Sine(double degrees) { return Ext(std::sin(degrees * (3.14159265358979323846 / 180))); }
Ext Cosine(double degrees) { return Ext(std::cos(degrees * (3.14159265358979323846 / 180))); }

std::optional<std::string> Derivatives(const GivenPoints& g, const Measurements& m, int v,
                                       const RigorousVariant& solved, VariantJacobian& out)
{
    if (solved.impossible)
        return std::string(kVariant[v]) + ": " + *solved.impossible;
    const double xFar = v == 0 ? g.xb : g.xc;
    const double yFar = v == 0 ? g.yb : g.yc;

    const double gamma = Hold(Ext(180) - (Ext(m.beta1[v]) + m.beta2[v]));
    const Ext sg = Sine(gamma);
    const Ext d = solved.d;
    // d = b·sin β2 / sin(β1 + β2), with sin γ = sin(β1 + β2), cos γ = −cos(β1 + β2).
    const Ext dB1 = d * Cosine(gamma) / sg;
    const Ext dB2 = Ext(m.base[v]) * Sine(m.beta1[v]) / (sg * sg);
    const Ext dBase = Sine(m.beta2[v]) / sg;

    const Ext dX = Ext(xFar) - g.xa;
    const Ext dY = Ext(yFar) - g.ya;
    const Ext s2 = dX * dX + dY * dY;
    const Ext s = Sqrt(s2);

    // sin ψ = d·sin δ/S: cos ψ·dψ = (d·cos δ·dδ + sin δ·dd − sin ψ·dS)/S.
    const Ext cosPsi = Cosine(solved.psi);
    if (!(Ext(1e-12) < cosPsi))
        return std::string(kVariant[v]) + ": ψ = 90°, у ψ нет производной";
    const Ext k = Ext(1) / (s * cosPsi);
    const Ext psiDelta = d * Cosine(m.delta[v]) * k;
    const Ext psiD = Sine(m.delta[v]) * k;
    const Ext psiS = Ext(0) - Sine(solved.psi) * k;

    const Ext ca = Cosine(solved.dirAP);
    const Ext sa = Sine(solved.dirAP);

    // Each quantity's effect on d, δ, S and the direction to the far point;
    // then (AP) = dir + 180° − δ − ψ and P = A + d·(cos (AP), sin (AP)).
    // The chain runs in the bare extended type, every result checked once.
    struct Push {
        Extended d = 0, delta = 0, s = 0, dir = 0, xa = 0, ya = 0;
    };
    const Extended e0 = 0, e1 = 1;
    const Extended sX = (dX / s).Value(), sY = (dY / s).Value();
    const Extended rX = (dX / s2).Value(), rY = (dY / s2).Value();
    const int o = v * kPerVariant;
    const int xf = v == 0 ? kXb : kXc;
    out = {};
    for (int q = 0; q < kQuantities; ++q) {
        Push p;
        if (q == o + kBeta1)
            p.d = dB1.Value();
        else if (q == o + kBeta2)
            p.d = dB2.Value();
        else if (q == o + kBase)
            p.d = dBase.Value();
        else if (q == o + kDelta)
            p.delta = e1;
        else if (q == kXa)
            p.s = e0 - sX, p.dir = rY, p.xa = e1;
        else if (q == kYa)
            p.s = e0 - sY, p.dir = e0 - rX, p.ya = e1;
        else if (q == xf)
            p.s = sX, p.dir = e0 - rY;
        else if (q == xf + 1)
            p.s = sY, p.dir = rX;
        else
            continue;
        const Extended psi = psiDelta.Value() * p.delta + psiD.Value() * p.d + psiS.Value() * p.s;
        const Extended alpha = p.dir - p.delta - psi;
        out.x[q] = Finite(p.xa + ca.Value() * p.d - d.Value() * sa.Value() * alpha);
        out.y[q] = Finite(p.ya + sa.Value() * p.d + d.Value() * ca.Value() * alpha);
        out.d[q] = Finite(p.d);
    }
    return std::nullopt;
}

// The variance of each quantity, in the units of the Jacobian's columns.
std::vector<Ext> Variances(const Measurements& m, const Precision& p)
{
    std::vector<Ext> var(kQuantities, Ext(0));
    const Ext angle = Ext(p.angleSeconds) * kPi / (180 * 3600);
    const Ext given = Ext(p.givenMetres);
    for (int v = 0; v < 2; ++v) {
        const int o = v * kPerVariant;
        var[o + kBeta1] = var[o + kBeta2] = var[o + kDelta] = angle * angle;
        const Ext base = BaseError(p, m.base[v]);
        var[o + kBase] = base * base;
    }
    for (int q = kXa; q < kQuantities; ++q)
        var[q] = given * given;
    return var;
}

// Σ a·b·var over the quantities, in the bare extended type; checked once.
Ext Covariance(const std::array<double, kQuantities>& a, const std::array<double, kQuantities>& b,
               const std::vector<Ext>& var)
{
    Extended sum = 0;
    for (int q = 0; q < kQuantities; ++q)
        if (a[q] != 0 && b[q] != 0)
            sum = sum + static_cast<Extended>(a[q]) * static_cast<Extended>(b[q]) * var[q].Value();
    return Ext(0) + Ext(sum);
}

PointAccuracy Point(double xp, double yp, Ext cxx, Ext cxy, Ext cyy)
{
    PointAccuracy p;
    p.xp = xp, p.yp = yp;
    p.cxx = Hold(cxx), p.cxy = Hold(cxy), p.cyy = Hold(cyy);
    p.mx = Hold(Sqrt(cxx));
    p.my = Hold(Sqrt(cyy));
    p.mP = Hold(Sqrt(cxx + cyy));
    // Eigenvalues of the 2×2 covariance; the axis a lies along
    // (cos θ, sin θ) in (X, Y) with tan 2θ = 2·cxy/(cxx − cyy).
    const Ext half = (cxx - cyy) / 2;
    const Ext r = Sqrt(half * half + cxy * cxy);
    const Ext mid = (cxx + cyy) / 2;
    const Ext small = mid - r;
    p.ellipse.a = Hold(Sqrt(mid + r));
    p.ellipse.b = small < Ext(0) ? 0 : Hold(Sqrt(small));
    // The direction is stated to a tenth of a degree: the double arctangent
    // is ample for it.
    if (!(r == Ext(0))) {
        double theta = std::atan2(Hold(cxy * 2), Hold(half * 2)) * (90 / 3.14159265358979323846);
        if (theta < 0)
            theta += 180;
        p.ellipse.direction = theta >= 180 ? 0 : theta;
    }
    return p;
}

} // namespace

std::span<const PrecisionField> PrecisionFields() { return kPrecisionFields; }

const PrecisionField* FindPrecisionField(std::string_view key)
{
    for (const PrecisionField& field : kPrecisionFields)
        if (field.key == key)
            return &field;
    return nullptr;
}

std::string PrecisionRange(const PrecisionField& field)
{
    return std::string(field.zeroIsNone ? "0 или " : "") + "от " + FormatNumber(field.min) + " до " +
           FormatNumber(field.max);
}

std::optional<std::string> ReadPrecision(const PrecisionField& field, const std::string& text, double& out)
{
    double value = 0;
    try {
        value = Hold(ParseNumber(text));
    } catch (const CalcError&) {
        return std::string("«") + field.label + "»: введите число " + PrecisionRange(field) + " (с запятой: 2,5).";
    }
    if (!Allowed(field, value))
        return OutOfRange(field);
    out = value;
    return std::nullopt;
}

std::optional<std::string> ReadPrecisionList(const std::string& list, const std::string& option,
                                             std::vector<std::pair<const PrecisionField*, double>>& out)
{
    return ReadKeyValueList<PrecisionField>(list, option, kPrecisionFields, &ReadPrecision, out);
}

std::optional<std::string> PrecisionProblem(const Precision& p)
{
    for (const PrecisionField& field : kPrecisionFields)
        if (!Allowed(field, p.*field.member))
            return OutOfRange(field);
    return std::nullopt;
}

std::string PrecisionText(const Precision& p)
{
    std::string text = "углы " + FormatNumber(p.angleSeconds) + "``, базис " + FormatNumber(p.baseMillimetres) + "\u00A0мм";
    if (p.baseRatio > 0)
        text += " + 1:" + FormatNumber(p.baseRatio);
    if (p.givenMetres > 0)
        text += ", исходные пункты " + FormatNumber(p.givenMetres) + "\u00A0м";
    else
        text += ", исходные пункты безошибочны";
    return text;
}

double BaseError(const Precision& p, double base)
{
    const Ext a = Ext(p.baseMillimetres) / 1000;
    const Ext rel = p.baseRatio > 0 ? Ext(base) / p.baseRatio : Ext(0);
    return Hold(Sqrt(a * a + rel * rel));
}

std::string FormatMetres4(double metres) { return FormatNumber(Ext(Round(Ext(metres) * 10000)) / 10000); }

std::string FormatMetres3(double metres) { return FormatNumber(Ext(Round(Ext(metres) * 1000)) / 1000); }

std::string FormatAxisDirection(double degrees)
{
    const std::int64_t tenths = Round(Ext(degrees) * 10) % 1800;
    return FormatNumber(Ext(tenths < 0 ? tenths + 1800 : tenths) / 10);
}

std::optional<std::string> RigorousJacobian(const GivenPoints& given, const Measurements& measured, int v,
                                            VariantJacobian& out)
{
    try {
        const RigorousSolution solved = SolveRigorous(given, measured);
        return Derivatives(given, measured, v, solved.variant[v], out);
    } catch (const CalcError& e) {
        return std::string(kVariant[v]) + ": " + e.what();
    }
}

AccuracyEstimate EstimateAccuracy(const GivenPoints& given, const Measurements& measured, const Precision& precision)
{
    try {
        return EstimateAccuracy(given, measured, precision, SolveRigorous(given, measured));
    } catch (const CalcError& e) {
        AccuracyEstimate out;
        out.none = std::string("оценка не вычисляется: ") + e.what();
        return out;
    }
}

AccuracyEstimate EstimateAccuracy(const GivenPoints& given, const Measurements& measured, const Precision& precision,
                                  const RigorousSolution& solved)
{
    AccuracyEstimate out;
    out.xa = given.xa, out.ya = given.ya;
    try {
        VariantJacobian j[2];
        for (int v = 0; v < 2; ++v)
            if (std::optional<std::string> why = Derivatives(given, measured, v, solved.variant[v], j[v])) {
                out.none = *why;
                return out;
            }
        if (!solved.possible) {
            out.none = "среднее двух вариантов не вычисляется";
            return out;
        }
        const std::vector<Ext> var = Variances(measured, precision);
        Ext cxx[2] = {0, 0}, cxy[2] = {0, 0}, cyy[2] = {0, 0};
        for (int v = 0; v < 2; ++v) {
            cxx[v] = Covariance(j[v].x, j[v].x, var);
            cxy[v] = Covariance(j[v].x, j[v].y, var);
            cyy[v] = Covariance(j[v].y, j[v].y, var);
            out.variant[v] = Point(solved.variant[v].xp, solved.variant[v].yp, cxx[v], cxy[v], cyy[v]);
            out.md[v] = Hold(Sqrt(Covariance(j[v].d, j[v].d, var)));
        }
        // The two variants share A: its error moves both P alike, so the
        // cross terms do not vanish; they enter the mean with a plus and the
        // discrepancy with a minus.
        const Ext kxx = Covariance(j[0].x, j[1].x, var);
        const Ext kyy = Covariance(j[0].y, j[1].y, var);
        const Ext kxy = (Covariance(j[0].x, j[1].y, var) + Covariance(j[0].y, j[1].x, var)) / 2;
        out.mean = Point(solved.xp, solved.yp, (cxx[0] + cxx[1] + kxx * 2) / 4,
                         (cxy[0] + cxy[1] + kxy * 2) / 4, (cyy[0] + cyy[1] + kyy * 2) / 4);
        const Ext delta = cxx[0] + cyy[0] + cxx[1] + cyy[1] - (kxx + kyy) * 2;
        out.mDelta = delta < Ext(0) ? 0 : Hold(Sqrt(delta));
    } catch (const CalcError& e) {
        out = AccuracyEstimate{};
        out.none = std::string("оценка не вычисляется: ") + e.what();
    }
    return out;
}

} // namespace snesenie
