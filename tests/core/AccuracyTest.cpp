#include "Accuracy.h"
#include "Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

using namespace snesenie;

namespace {

constexpr long double kRad = 3.14159265358979323846264338327950288L / 180;

// A generator of our own, so that the surveys are the same on every library
// and platform: SplitMix64, and Box–Muller for the normal deviates.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    double Uniform()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) * 0x1.0p-53;
    }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    double Normal()
    {
        const double u = 1 - Uniform();
        return std::sqrt(-2 * std::log(u)) * std::cos(2 * 3.14159265358979323846 * Uniform());
    }

private:
    std::uint64_t state_;
};

struct Pt {
    long double x, y;
};
Pt Polar(Pt from, long double dirDeg, long double r)
{
    return {from.x + r * std::cos(dirDeg * kRad), from.y + r * std::sin(dirDeg * kRad)};
}
long double Direction(Pt from, Pt to) { return std::atan2(to.y - from.y, to.x - from.x) / kRad; }
long double Angle(Pt vertex, Pt a, Pt b)
{
    const long double ax = a.x - vertex.x, ay = a.y - vertex.y, bx = b.x - vertex.x, by = b.y - vertex.y;
    return std::fabs(std::atan2(ax * by - ay * bx, ax * bx + ay * by)) / kRad;
}

// A survey of known geometry: the true P and the exact measurements.
struct Truth {
    Pt p;
    GivenPoints given;
    Measurements measured;
};

Truth RandomSurvey(Random& r)
{
    Truth t{};
    const Pt a{r.Uniform(1000, 9000), r.Uniform(1000, 9000)};
    const long double d = r.Uniform(50, 150);
    const long double ap = r.Uniform(0, 360);  // every quadrant
    t.p = Polar(a, ap, d);
    Pt far[2];
    for (int v = 0; v < 2; ++v)
        far[v] = Polar(a, ap - r.Uniform(15, 165), r.Uniform(800, 12000));
    t.given = {double(a.x), double(a.y), double(far[0].x), double(far[0].y), double(far[1].x), double(far[1].y)};
    const long double pa = Direction(t.p, a);
    for (int v = 0; v < 2; ++v) {
        const long double b = d * r.Uniform(0.6, 1.2);
        const Pt k = Polar(t.p, pa + (v == 0 ? 1 : -1) * r.Uniform(40, 100), b);
        t.measured.beta1[v] = double(Angle(t.p, k, a));
        t.measured.beta2[v] = double(Angle(k, t.p, a));
        t.measured.delta[v] = double(Angle(t.p, a, far[v]));
        t.measured.base[v] = double(b);
    }
    return t;
}

// The same survey measured with noise of the stated precision.
void Measure(Random& r, const Precision& pr, Truth& t)
{
    const double angle = pr.angleSeconds / 3600;
    for (int v = 0; v < 2; ++v) {
        t.measured.beta1[v] += angle * r.Normal();
        t.measured.beta2[v] += angle * r.Normal();
        t.measured.delta[v] += angle * r.Normal();
        t.measured.base[v] += BaseError(pr, t.measured.base[v]) * r.Normal();
    }
    for (double* c : {&t.given.xa, &t.given.ya, &t.given.xb, &t.given.yb, &t.given.xc, &t.given.yc})
        *c += pr.givenMetres * r.Normal();
}

// The example sheet's inputs.
const GivenPoints kGiven{6327.46, 12351.48, 7049.74, 17577.28, 3700.05, 13936.62};
Measurements ExampleMeasurements()
{
    Measurements m{};
    m.beta1[0] = DmsToDegrees(45, 22, 45.1);
    m.beta2[0] = DmsToDegrees(94, 30, 54.6);
    m.beta1[1] = DmsToDegrees(63, 52, 54.7);
    m.beta2[1] = DmsToDegrees(89, 29, 37.2);
    m.delta[0] = DmsToDegrees(71, 12, 42.3);
    m.delta[1] = DmsToDegrees(137, 45, 52.8);
    m.base[0] = 60.76;
    m.base[1] = 42.14;
    return m;
}

} // namespace

// Thousands of simulated surveys, each measured with Gaussian noise of the
// stated precision: the estimate must say how far the rigorous P really
// falls from the true one, for each variant and for the mean (whose two
// halves share A's error), at instruments from precise to coarse.
TEST(Accuracy, CalibratedBySimulatedSurveys)
{
    const Precision instruments[] = {{5, 5, 0, 0}, {2, 2, 10000, 0}, {15, 10, 2000, 0.01}, {1, 1, 0, 0.05}};
    Random r(20261208);
    for (const Precision& pr : instruments) {
        SCOPED_TRACE(PrecisionText(pr));
        const int n = 1200;
        double sum[3] = {0, 0, 0};
        int within[3] = {0, 0, 0};
        for (int i = 0; i < n; ++i) {
            Truth t = RandomSurvey(r);
            const Pt truth = t.p;
            Measure(r, pr, t);
            const AccuracyEstimate est = EstimateAccuracy(t.given, t.measured, pr);
            ASSERT_FALSE(est.none) << *est.none;
            const PointAccuracy* points[3] = {&est.variant[0], &est.variant[1], &est.mean};
            for (int k = 0; k < 3; ++k) {
                const double e = std::hypot(points[k]->xp - double(truth.x), points[k]->yp - double(truth.y));
                sum[k] += (e / points[k]->mP) * (e / points[k]->mP);
                within[k] += e <= 2 * points[k]->mP;
            }
        }
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(k);
            EXPECT_NEAR(std::sqrt(sum[k] / n), 1.0, 0.1);
            EXPECT_GE(within[k], 0.93 * n);
        }
    }
}

// Only the base uncertain: d = b·sin β2/sin γ, so m_d = d·m_b/b exactly.
// Only A uncertain: both P move with A, and the discrepancy not at all.
TEST(Accuracy, ClosedForms)
{
    const Measurements m = ExampleMeasurements();
    const RigorousSolution solved = SolveRigorous(kGiven, m);
    const AccuracyEstimate base = EstimateAccuracy(kGiven, m, {0, 7, 0, 0});
    ASSERT_FALSE(base.none);
    for (int v = 0; v < 2; ++v)
        EXPECT_NEAR(base.md[v], solved.variant[v].d * 0.007 / m.base[v], 1e-15);
    const AccuracyEstimate ratio = EstimateAccuracy(kGiven, m, {0, 3, 1000, 0});
    EXPECT_NEAR(ratio.md[0], solved.variant[0].d * std::hypot(0.003, m.base[0] / 1000) / m.base[0], 1e-15);

    // Given points uncertain alone: P follows A (√2·1 cm), the directions to
    // B and C 3 and 5 km away turning only a little with A; the two
    // variants, sharing A, hardly part.
    const AccuracyEstimate given = EstimateAccuracy(kGiven, m, {0, 0, 0, 0.01});
    ASSERT_FALSE(given.none);
    EXPECT_NEAR(given.mean.mP, 0.01 * std::sqrt(2.0), 0.0002);
    EXPECT_LT(given.mDelta, given.mean.mP / 10);
}

// The analytic derivatives against central differences of the solution.
TEST(Accuracy, DerivativesAgreeWithCentralDifferences)
{
    const Measurements m = ExampleMeasurements();
    for (int v = 0; v < 2; ++v) {
        VariantJacobian j;
        ASSERT_FALSE(RigorousJacobian(kGiven, m, v, j));
        for (int q = 0; q < kQuantities; ++q) {
            SCOPED_TRACE(q);
            const bool angle = q < kXa && q % kPerVariant != kBase;
            const double h = angle ? 1e-4 : 1e-3;  // degrees or metres
            auto shifted = [&](double sign) {
                GivenPoints g = kGiven;
                Measurements mm = m;
                double* values[kQuantities] = {&mm.beta1[0], &mm.beta2[0], &mm.delta[0], &mm.base[0],
                                               &mm.beta1[1], &mm.beta2[1], &mm.delta[1], &mm.base[1],
                                               &g.xa,        &g.ya,        &g.xb,        &g.yb,
                                               &g.xc,        &g.yc};
                *values[q] += sign * h;
                return SolveRigorous(g, mm).variant[v];
            };
            const RigorousVariant plus = shifted(1), minus = shifted(-1);
            const double per = angle ? 2 * h * double(kRad) : 2 * h;
            EXPECT_NEAR(j.x[q], (plus.xp - minus.xp) / per, 1e-5 * (1 + std::fabs(j.x[q])));
            EXPECT_NEAR(j.y[q], (plus.yp - minus.yp) / per, 1e-5 * (1 + std::fabs(j.y[q])));
            EXPECT_NEAR(j.d[q], (plus.d - minus.d) / per, 1e-5 * (1 + std::fabs(j.d[q])));
        }
    }
}

// Where no estimate exists it says why, and never gives a number instead.
TEST(Accuracy, NoEstimate)
{
    Measurements m = ExampleMeasurements();
    GivenPoints g = kGiven;
    g.xb = g.xa + 50, g.yb = g.ya;  // B nearer to A than d·sin δ: no triangle
    const AccuracyEstimate impossible = EstimateAccuracy(g, m, Precision{});
    ASSERT_TRUE(impossible.none);
    EXPECT_NE(impossible.none->find("АВР"), std::string::npos) << *impossible.none;
    EXPECT_EQ(impossible.mean.mP, 0);

    // ψ of 90°: d·sin δ equal to S.
    const RigorousSolution solved = SolveRigorous(kGiven, m);
    g = kGiven;
    const double s = solved.variant[0].d;
    m.delta[0] = 90;
    const double dir = std::atan2(g.yb - g.ya, g.xb - g.xa);
    g.xb = g.xa + s * std::cos(dir), g.yb = g.ya + s * std::sin(dir);
    // Rounding leaves d·sin δ/S at 1 or a hair beyond: either way no number.
    const AccuracyEstimate right = EstimateAccuracy(g, m, Precision{});
    ASSERT_TRUE(right.none);
    EXPECT_NE(right.none->find("АВР"), std::string::npos) << *right.none;
}

TEST(Accuracy, ReadingPrecisions)
{
    const PrecisionField& angle = *FindPrecisionField("angleSeconds");
    const PrecisionField& ratio = *FindPrecisionField("baseRatio");
    const PrecisionField& given = *FindPrecisionField("givenMetres");
    const std::tuple<const PrecisionField*, const char*, double> good[] = {
        {&angle, "0,5", 0.5}, {&angle, "120", 120}, {&ratio, "0", 0}, {&ratio, "500", 500}, {&given, "0", 0}};
    for (const auto& [field, text, expected] : good) {
        double out = 7;
        EXPECT_FALSE(ReadPrecision(*field, text, out)) << text;
        EXPECT_EQ(out, expected) << text;
    }
    const std::tuple<const PrecisionField*, const char*, const char*> bad[] = {
        {&angle, "0", "от 0,5 до 120"}, {&ratio, "499", "0 или от 500 до 100000"}, {&given, "1,5", "от 0 до 1"},
        {&angle, "пять", "введите число"}};
    for (const auto& [field, text, words] : bad) {
        double out = 7;
        const std::optional<std::string> message = ReadPrecision(*field, text, out);
        ASSERT_TRUE(message) << text;
        EXPECT_NE(message->find(words), std::string::npos) << *message;
        EXPECT_EQ(out, 7);
    }
    std::vector<std::pair<const PrecisionField*, double>> list;
    EXPECT_FALSE(ReadPrecisionList("angleSeconds=2;baseRatio=10000;angleSeconds=3", "--precision", list));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].second, 3);
    EXPECT_TRUE(ReadPrecisionList("angle=2", "--precision", list));
    EXPECT_FALSE(PrecisionProblem(Precision{}));
}
