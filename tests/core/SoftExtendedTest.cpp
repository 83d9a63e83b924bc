// The software extended type against the x87 itself: where long double is the
// x87 format, every operation must give the same bits on any operands.

#include "Errors.h"
#include "Extended.h"
#include "Numbers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <string>

using namespace snesenie;

namespace {

constexpr bool kX87 = LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384;

std::string Describe(long double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%La", v);
    return buf;
}

// Same value, same sign of zero, or both NaN.
::testing::AssertionResult SameBits(long double soft, long double native)
{
    if ((std::isnan(soft) && std::isnan(native)) ||
        (soft == native && std::signbit(soft) == std::signbit(native)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "soft " << Describe(soft) << ", x87 " << Describe(native);
}

// Operands spread where the arithmetic has its cases: ordinary magnitudes,
// close ones (cancellation), the whole exponent range, subnormals and the
// neighbourhood of the largest value.
class Operands {
public:
    explicit Operands(unsigned seed) : gen_(seed) {}

    long double Next()
    {
        std::uint64_t m = gen_();
        int e = 0;
        switch (gen_() % 6) {
        case 0: e = static_cast<int>(gen_() % 80) - 100; break;         // around 1
        case 1: e = static_cast<int>(gen_() % 8) - 66; m |= 0xFFFF000000000000ULL; break;  // close
        case 2: e = static_cast<int>(gen_() % 32000) - 16000; break;    // anywhere
        case 3: e = -16445 - static_cast<int>(gen_() % 70); m |= std::uint64_t(1) << 63; break;  // subnormal
        case 4: e = 16300 + static_cast<int>(gen_() % 20); m |= std::uint64_t(1) << 63; break;   // near the top
        default: m >>= gen_() % 64; e = static_cast<int>(gen_() % 40) - 20; break;           // few bits
        }
        const long double v = std::ldexp(static_cast<long double>(m), e);
        return (gen_() & 1) != 0 ? -v : v;
    }

private:
    std::mt19937_64 gen_;
};

long double Soft(SoftExtended x) { return static_cast<long double>(x); }

} // namespace

TEST(SoftExtended, ArithmeticMatchesTheX87)
{
    if (!kX87)
        GTEST_SKIP() << "long double is not the x87 format here";
    struct Operation {
        const char* name;
        std::function<SoftExtended(SoftExtended, SoftExtended)> soft;
        std::function<long double(long double, long double)> native;
    };
    const Operation operations[] = {
        {"+", [](SoftExtended a, SoftExtended b) { return a + b; }, [](long double a, long double b) { return a + b; }},
        {"-", [](SoftExtended a, SoftExtended b) { return a - b; }, [](long double a, long double b) { return a - b; }},
        {"*", [](SoftExtended a, SoftExtended b) { return a * b; }, [](long double a, long double b) { return a * b; }},
        {"/", [](SoftExtended a, SoftExtended b) { return a / b; }, [](long double a, long double b) { return a / b; }},
        {"sqrt", [](SoftExtended a, SoftExtended) { return Sqrt(a); },
         [](long double a, long double) { return std::sqrt(a); }},
        {"trunc", [](SoftExtended a, SoftExtended) { return TruncToWhole(a); },
         [](long double a, long double) { return std::trunc(a); }},
        {"round", [](SoftExtended a, SoftExtended) { return RoundToWhole(a); },
         [](long double a, long double) { return std::nearbyint(a); }},
        {"via double", [](SoftExtended a, SoftExtended) { return SoftExtended(static_cast<double>(a)); },
         [](long double a, long double) { return static_cast<long double>(static_cast<double>(a)); }},
    };
    Operands operands(20261207);
    for (const Operation& op : operations) {
        int wrong = 0;
        for (int i = 0; i < 200000 && wrong < 5; ++i) {
            long double a = operands.Next(), b = operands.Next();
            if (op.name[0] == 's' || op.name[0] == 'r' || op.name[0] == 't')
                a = (i % 7 == 0) ? std::fabs(a) * std::ldexp(1.0L, -16300) : std::fabs(a);  // tiny ones too
            const auto check = SameBits(Soft(op.soft(a, b)), op.native(a, b));
            if (!check) {
                ++wrong;
                ADD_FAILURE() << Describe(a) << " " << op.name << " " << Describe(b) << ": " << check.message();
            }
        }
    }
}

TEST(SoftExtended, FaultsAndEdgesMatchTheX87)
{
    if (!kX87)
        GTEST_SKIP() << "long double is not the x87 format here";
    const long double inf = HUGE_VALL, nan = std::nanl(""), tiny = LDBL_TRUE_MIN, min = LDBL_MIN;
    const long double pairs[][2] = {
        {LDBL_MAX, LDBL_MAX},    // overflow on + and ·
        {LDBL_MAX, -LDBL_MAX},   // exactly zero, and +0
        {1, 0},                  // x/0
        {0, 0},                  // 0/0
        {-0.0L, 0},              // signed zeros
        {-0.0L, -0.0L},
        {inf, inf},              // ∞ − ∞, ∞/∞
        {inf, 0},                // ∞·0
        {nan, 1},
        {tiny, 0.5L},            // half the least subnormal: a tie to zero
        {3 * tiny, 0.5L},        // 1.5 units: a tie to even
        {min, 1 - LDBL_EPSILON}, // a normal becoming subnormal
        {min - tiny, tiny},      // a subnormal becoming normal
        {1, LDBL_EPSILON / 2},   // a tie to even at 1
        {1 + LDBL_EPSILON, LDBL_EPSILON / 2},
        {1.5L, 0x1.0000000000000002p-64L},  // a bit far below a tie decides it
        {LDBL_MAX, 0.5L},
        {1e4000L, 1e-4000L},
        {1e-4000L, 1e4000L},
    };
    for (const auto& p : pairs) {
        const long double a = p[0], b = p[1];
        const SoftExtended sa(a), sb(b);
        EXPECT_TRUE(SameBits(Soft(sa + sb), a + b)) << Describe(a) << " + " << Describe(b);
        EXPECT_TRUE(SameBits(Soft(sa - sb), a - b)) << Describe(a) << " - " << Describe(b);
        EXPECT_TRUE(SameBits(Soft(sa * sb), a * b)) << Describe(a) << " * " << Describe(b);
        EXPECT_TRUE(SameBits(Soft(sa / sb), a / b)) << Describe(a) << " / " << Describe(b);
        EXPECT_TRUE(SameBits(Soft(sb / sa), b / a)) << Describe(b) << " / " << Describe(a);
        EXPECT_TRUE(SameBits(Soft(Sqrt(sa)), std::sqrt(a))) << "sqrt " << Describe(a);
        EXPECT_EQ(sa < sb, a < b) << Describe(a) << " < " << Describe(b);
        EXPECT_EQ(sa == sb, a == b) << Describe(a) << " == " << Describe(b);
        EXPECT_EQ(sb < sa, b < a) << Describe(b) << " < " << Describe(a);
        EXPECT_TRUE(SameBits(static_cast<double>(sa), static_cast<double>(a))) << "double of " << Describe(a);
    }
}

// The same faults reach the sheet whichever type is in use.
TEST(SoftExtended, CheckedOperationsFailAsTheX87Does)
{
    const Ext big(1e4000L), zero(0);
    const auto fault = [](auto f) {
        try {
            f();
        } catch (const ArithmeticError& e) {
            return static_cast<int>(e.Fault());
        }
        return -1;
    };
    EXPECT_EQ(fault([&] { return big * big; }), static_cast<int>(ArithmeticFault::Overflow));
    EXPECT_EQ(fault([&] { return Ext(1) / zero; }), static_cast<int>(ArithmeticFault::DivisionByZero));
    EXPECT_EQ(fault([&] { return zero / zero; }), static_cast<int>(ArithmeticFault::InvalidOperation));
    EXPECT_EQ(fault([&] { return Sqrt(Ext(-1)); }), static_cast<int>(ArithmeticFault::InvalidOperation));
    EXPECT_EQ(fault([&] { return Remainder(Ext(1), zero); }), static_cast<int>(ArithmeticFault::InvalidOperation));
    EXPECT_EQ(fault([&] { return Hold(big); }), static_cast<int>(ArithmeticFault::Overflow));
}

// Values of sin, cos, atan and asin to 36 digits, from an arbitrary-precision
// library at 600 bits (17,500 for the largest value), rounded to 64 bits by
// the parser. The arguments make the work hard: next to a zero of sin and
// cos, and far beyond any turn the 256-bit π can reduce, up to the largest
// value, whose reduction needs π to some 16,640 bits.
TEST(RoundedFunctions, AreCorrectlyRoundedWhereItIsHard)
{
    const auto from = [](const char* text) { return Ext(ParseNumber(text)); };
    struct Row {
        const char* name;
        Extended (*f)(Extended);
        const char* argument;
        const char* value;
    };
    const Row rows[] = {
        {"sin near π", SinRounded, "3,14159265358979323851280895940618620443274267017841339111328125",
         "-5,01655761266833202355732708033075701e-20"},
        {"cos near π/2", CosRounded, "1,570796326794896619256404479703093102216371335089206695556640625",
         "-2,50827880633416601177866354016537851e-20"},
        {"sin of 1e22", SinRounded, "1e22", "-0,852200849767188801772705893753029368"},
        {"cos of 1e22", CosRounded, "1e22", "0,523214785395138945497594473384709492"},
        // 1e300 and 1e4000 as held: their nearest 64-bit values, not 10^300
        {"sin of 1e300", SinRounded, "1e300", "0,708025844329195920836761436855903176"},
        {"cos of 1e4000", CosRounded, "1e4000", "0,824482163705375619835499853975989762"},
        {"sin of the largest value", SinRounded, "1,18973149535723176502e4932",
         "0,992151099123526495942615220975511609"},
        {"atan of 1", AtanRounded, "1", "0,785398163397448309615660845819875721"},
        {"atan near 0", AtanRounded, "1e-10", "9,99999999999999999996666666666666667e-11"},
        {"asin of ½", AsinRounded, "0,5", "0,523598775598298873077107230546583814"},
    };
    for (const Row& row : rows) {
        const Extended got = row.f(ParseNumber(row.argument));
        EXPECT_TRUE(from(row.value) == Ext(got)) << row.name << ": " << FormatNumber(got);
    }
}

TEST(RoundedFunctions, StayWithinAUnitOfTheCLibrary)
{
#ifndef __GLIBC__
    // MinGW's own sinl and atanl, for one, are off by thousands of units.
    GTEST_SKIP() << "only glibc's long double functions are good to a unit";
#endif
    if (!kX87)
        GTEST_SKIP() << "compared with the x87 library functions";
    std::mt19937_64 gen(17);
    std::uniform_real_distribution<long double> angle(-7.0L, 7.0L), wide(-1e6L, 1e6L);
    for (int i = 0; i < 2000; ++i) {
        const long double x = i % 2 == 0 ? angle(gen) : wide(gen);
        const long double q = angle(gen) / 7;
        const long double pairs[][2] = {{static_cast<long double>(SinRounded(x)), std::sin(x)},
                                        {static_cast<long double>(CosRounded(x)), std::cos(x)},
                                        {static_cast<long double>(AtanRounded(x)), std::atan(x)},
                                        {static_cast<long double>(AsinRounded(q)), std::asin(q)}};
        for (const auto& p : pairs)
            EXPECT_LE(std::fabs(p[0] - p[1]), std::fabs(p[1]) * LDBL_EPSILON) << Describe(x);
    }
}

// Decimal texts must give the bits the C library's correctly rounded
// conversion gives, including ties, subnormals and overflow.
TEST(DecimalConversion, MatchesTheCLibraryOnTheX87)
{
    if (!kX87)
        GTEST_SKIP() << "compared with strtold of the x87 format";
    std::mt19937_64 gen(4933);
    const char* fixed[] = {"1e-4951", "3,6451995318824746025e-4951", "1,8225997659412373012e-4951",
                           "1,1897314953572317650e4932", "1,18973149535723176505e4932",
                           "0,1", "9007199254740993", "18446744073709551617", "1e-400", "1e308"};
    for (const char* text : fixed) {
        std::string c = text;
        for (char& ch : c)
            if (ch == ',')
                ch = '.';
        const long double want = std::strtold(c.c_str(), nullptr);
        if (std::isinf(want))
            EXPECT_THROW(ParseNumber(text), ConversionError) << text;
        else
            EXPECT_TRUE(SameBits(static_cast<long double>(ParseNumber(text)), want)) << text;
    }
    for (int i = 0; i < 20000; ++i) {
        std::string digits = std::to_string(gen() % 100000000000000000ULL);
        if (i % 3 == 0)
            digits += std::to_string(gen());  // more digits than any tie needs to be exact
        // Half of them as typed on a sheet, half anywhere in the range.
        const int exponent = i % 2 == 0 ? static_cast<int>(gen() % 50) - 25 : static_cast<int>(gen() % 9800) - 4900;
        const std::string text = digits + "e" + std::to_string(exponent);
        const long double want = std::strtold(text.c_str(), nullptr);
        if (std::isinf(want))
            continue;
        EXPECT_TRUE(SameBits(static_cast<long double>(ParseNumber(text)), want)) << text;
    }
}
