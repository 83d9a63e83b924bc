// The quick sin, cos, atan and asin against the 256-bit ones: wherever the
// quick path gives a value it must be the very bits the wide path gives, and
// it must give one nearly everywhere the sheet goes, or it is not quick.

#include "RoundedFunctions.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <ostream>
#include <random>
#include <string>

using namespace snesenie;
using namespace snesenie::detail;

namespace {

std::string Describe(Extended v)
{
    if (IsNaN(v) || IsInf(v))
        return IsNaN(v) ? "NaN" : "inf";
    const ExtendedParts p = Decompose(v);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s0x%016" PRIx64 "p%d", p.negative ? "-" : "", p.significand, p.exponent);
    return buf;
}

bool SameBits(Extended a, Extended b)
{
    if (IsNaN(a) || IsNaN(b))
        return IsNaN(a) && IsNaN(b);
    if (IsInf(a) || IsInf(b) || a == Extended(0) || b == Extended(0))
        return a == b && Decompose(a).negative == Decompose(b).negative;
    const ExtendedParts pa = Decompose(a), pb = Decompose(b);
    return pa.negative == pb.negative && pa.significand == pb.significand && pa.exponent == pb.exponent;
}

// A random value of either sign with |value| in [2^low, 2^high): a random
// 64-bit significand at a random exponent.
Extended Between(std::mt19937_64& gen, int low, int high)
{
    const int e = std::uniform_int_distribution<int>(low, high - 1)(gen);
    const std::uint64_t m = gen() | (std::uint64_t(1) << 63);
    return Compose(gen() % 2 == 0, m, e - 63, false);
}

// Up to spread units of the last place away from the nearest value to k·π/2,
// k up to 400: next to the zeros of sin and cos.
Extended NearQuarterTurn(std::mt19937_64& gen, int spread)
{
    constexpr int maxK = 400;
    const auto k = std::uniform_int_distribution<int>(1, maxK)(gen);
    const Extended center = Compose(false, (WideConstants().piHalf >> 8) * static_cast<unsigned>(k), -119, false);
    const ExtendedParts p = Decompose(center);
    const auto units = std::uniform_int_distribution<int>(-spread, spread)(gen);
    return Compose(gen() % 2 == 0, U128(p.significand) + static_cast<U128>(static_cast<__int128>(units)),
                   p.exponent, false);
}

// Within a few units of ±limit (a power of two): the edges of the quick
// ranges and of asin's domain.
Extended NearPowerOfTwo(std::mt19937_64& gen, int exponent)
{
    const auto units = std::uniform_int_distribution<int>(-300, 300)(gen);
    const U128 m = (U128(1) << 63) + static_cast<U128>(static_cast<__int128>(units));
    return Compose(gen() % 2 == 0, m, exponent - 63, false);
}

Extended Subnormal(std::mt19937_64& gen)
{
    const bool negative = gen() % 2 == 0;
    const std::uint64_t m = (gen() >> (gen() % 64)) | 1;
    return Compose(negative, m, kExtendedFormat.minExponent, false);
}

struct Row {
    const char* name;
    std::optional<Extended> (*quick)(Extended);
    Extended (*wide)(Extended);
    Extended (*argument)(std::mt19937_64&);
    int maxFallbacks;  // of kCount; -1: the range lies outside the quick one on purpose
};

constexpr int kCount = 1000;

const Row kRows[] = {
    {"sin of the sheet's angles", SinQuick, SinWide, [](auto& g) { return Between(g, -6, 3); }, 1},
    {"cos of the sheet's angles", CosQuick, CosWide, [](auto& g) { return Between(g, -6, 3); }, 1},
    {"sin of small angles", SinQuick, SinWide, [](auto& g) { return Between(g, -80, -6); }, 1},
    {"cos of small angles", CosQuick, CosWide, [](auto& g) { return Between(g, -80, -6); }, 1},
    {"sin up to 2^20", SinQuick, SinWide, [](auto& g) { return Between(g, 3, 20); }, 1},
    {"cos up to 2^20", CosQuick, CosWide, [](auto& g) { return Between(g, 3, 20); }, 1},
    // within 2^-40 of a zero the quick path gives up; just outside, the
    // reduction has cancelled some 40 leading bits and must still decide right
    {"sin right at its zeros", SinQuick, SinWide, [](auto& g) { return NearQuarterTurn(g, 1000); }, -1},
    {"cos right at its zeros", CosQuick, CosWide, [](auto& g) { return NearQuarterTurn(g, 1000); }, -1},
    {"sin at 2^-40 from its zeros", SinQuick, SinWide, [](auto& g) { return NearQuarterTurn(g, 1 << 20); }, -1},
    {"cos at 2^-40 from its zeros", CosQuick, CosWide, [](auto& g) { return NearQuarterTurn(g, 1 << 20); }, -1},
    {"sin next to its zeros", SinQuick, SinWide, [](auto& g) { return NearQuarterTurn(g, 1 << 30); }, 1},
    {"cos next to its zeros", CosQuick, CosWide, [](auto& g) { return NearQuarterTurn(g, 1 << 30); }, 1},
    {"sin from 2^19 on", SinQuick, SinWide, [](auto& g) { return Between(g, 19, 200); }, -1},
    {"cos of subnormals", CosQuick, CosWide, Subnormal, 1},
    {"sin of subnormals", SinQuick, SinWide, Subnormal, 1},
    {"atan around 1", AtanQuick, AtanWide, [](auto& g) { return Between(g, -6, 6); }, 1},
    {"atan of small and large", AtanQuick, AtanWide, [](auto& g) { return Between(g, -90, 90); }, 1},
    {"atan at ±1/32", AtanQuick, AtanWide, [](auto& g) { return NearPowerOfTwo(g, -5); }, 1},
    {"atan at ±32", AtanQuick, AtanWide, [](auto& g) { return NearPowerOfTwo(g, 5); }, 1},
    {"atan of huge", AtanQuick, AtanWide, [](auto& g) { return Between(g, 100, 16383); }, 1},
    {"atan of subnormals", AtanQuick, AtanWide, Subnormal, 1},
    {"asin inside ±1", AsinQuick, AsinWide, [](auto& g) { return Between(g, -6, 0); }, 1},
    {"asin of small", AsinQuick, AsinWide, [](auto& g) { return Between(g, -90, -5); }, 1},
    {"asin at ±1/32", AsinQuick, AsinWide, [](auto& g) { return NearPowerOfTwo(g, -5); }, 1},
    {"asin at the domain's edges", AsinQuick, AsinWide, [](auto& g) { return NearPowerOfTwo(g, 0); }, -1},
    {"asin of subnormals", AsinQuick, AsinWide, Subnormal, 1},
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class QuickFunctions : public ::testing::TestWithParam<Row> {};

TEST_P(QuickFunctions, GiveTheWideBitsAndRarelyFallBack)
{
    const Row& row = GetParam();
    std::mt19937_64 gen(20261207);
    int fallbacks = 0, failures = 0;
    for (int i = 0; i < kCount && failures < 5; ++i) {
        const Extended x = row.argument(gen);
        const std::optional<Extended> quick = row.quick(x);
        if (!quick) {
            ++fallbacks;
            continue;
        }
        const Extended wide = row.wide(x);
        if (!SameBits(*quick, wide)) {
            ++failures;
            ADD_FAILURE() << row.name << " of " << Describe(x) << ": quick " << Describe(*quick) << ", wide "
                          << Describe(wide);
        }
    }
    if (row.maxFallbacks >= 0)
        EXPECT_LE(fallbacks, row.maxFallbacks) << row.name;
    else
        EXPECT_LT(fallbacks, kCount) << row.name << ": the quick path never answered";
}

INSTANTIATE_TEST_SUITE_P(AgainstTheWidePath, QuickFunctions, ::testing::ValuesIn(kRows),
                         [](const auto& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c != 0; ++c)
                                 if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9'))
                                     name += *c;
                             return name;
                         });

// Zeros, infinities and NaN are left to the wide path, which knows their
// signs; so is everything that the quick one cannot reach.
TEST(QuickFunctionsEdges, LeaveSpecialArgumentsToTheWidePath)
{
    const Extended zero(0), one(1), inf = Compose(false, 1, 20000, false);
    const Extended cases[] = {zero, -zero, inf, -inf, inf - inf};
    for (const Extended x : cases) {
        EXPECT_FALSE(SinQuick(x)) << Describe(x);
        EXPECT_FALSE(CosQuick(x)) << Describe(x);
        EXPECT_FALSE(AtanQuick(x)) << Describe(x);
        EXPECT_FALSE(AsinQuick(x)) << Describe(x);
    }
    EXPECT_FALSE(AsinQuick(one));
    EXPECT_FALSE(AsinQuick(-one));
    EXPECT_FALSE(SinQuick(Compose(false, 1, 20, false)));
    // and what the functions give there is what the wide path gives
    EXPECT_TRUE(SameBits(SinRounded(-zero), SinWide(-zero)));
    EXPECT_TRUE(SameBits(CosRounded(zero), one));
    EXPECT_TRUE(IsNaN(AsinRounded(Extended(2))));
}

// Arguments whose asin lies within a few 2^-64 units of the last place of a
// halfway point between two extended values (asin x = x + x³/6 + …, solved
// for m·2^-94 exactly with rationals): the quick path must give up or give
// the wide path's bits, whichever way the true value falls.
TEST(QuickFunctionsEdges, AsinNextToAHalfwayPointDeclinesOrMatches)
{
    for (const std::uint64_t m : {0x9285ff0d8417a7ccULL, 0x9285ff0d8417a7cdULL, 0x9285ff0d8417a7ceULL,
                                  0xd352c6aaf183deedULL, 0xd352c6aaf183deeeULL, 0xd352c6aaf183deefULL}) {
        for (const bool negative : {false, true}) {
            const Extended x = Compose(negative, m, -94, false);
            const std::optional<Extended> quick = AsinQuick(x);
            EXPECT_TRUE(!quick || SameBits(*quick, AsinWide(x))) << Describe(x);
        }
    }
}

} // namespace
