#include "Errors.h"
#include "Numbers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <optional>
#include <random>
#include <string>
#include <utility>

using namespace snesenie;

namespace {

// How a computation ended: the text it returned, or the fault it raised.
template <class F>
std::string Outcome(F f)
{
    try {
        return f();
    } catch (const ArithmeticError& e) {
        const char* names[] = {"!DivisionByZero", "!InvalidOperation", "!Overflow"};
        return names[static_cast<int>(e.Fault())];
    }
}

struct Row {
    const char* name;
    std::string (*run)();
    const char* expected;
};

void ExpectRows(std::initializer_list<Row> rows)
{
    for (const Row& row : rows)
        EXPECT_EQ(Outcome(row.run), row.expected) << row.name;
}

// 15 significant digits as printed by the C library, put into the sheet's
// form: comma, no trailing zeros, E and a bare exponent.
std::string Reference15(long double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14Le", std::fabs(v));  // d.dddddddddddddde±XX
    const std::string s(buf);
    const std::size_t ePos = s.find('e');
    const int exponent = std::stoi(s.substr(ePos + 1));
    std::string digits = s.substr(0, 1) + s.substr(2, ePos - 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::size_t whole = 1;
    std::string out = v < 0 ? "-" : "";
    if (exponent < 0 && exponent >= -4)
        digits.insert(0, static_cast<std::size_t>(-exponent), '0');
    else if (exponent >= 0 && exponent < 15)
        whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() < whole)
        digits.append(whole - digits.size(), '0');
    out.append(digits, 0, whole);
    if (digits.size() > whole)
        out.append(",").append(digits, whole);
    if (exponent < -4 || exponent >= 15)
        out.append("E").append(std::to_string(exponent));
    return out;
}

} // namespace

TEST(ParseNumber, FollowsTheGrammar)
{
    const std::pair<const char*, std::optional<long double>> rows[] = {
        {"3700,05", 3700.05L}, {"45", 45.0L}, {"  -12,5  ", -12.5L}, {"+7", 7.0L}, {",5", 0.5L}, {"5,", 5.0L},
        {"2,5e-3", 2.5e-3L}, {"1E+3", 1000.0L}, {"1e-5000", 0.0L},  // too small is simply zero
        // a point reads as the comma does
        {"3700.05", 3700.05L}, {"-.5", -0.5L}, {"5.", 5.0L}, {"2.5e-3", 2.5e-3L},
        // a pasted cell: line breaks, tabs and no-break spaces around the number
        {"6327,46\r\n", 6327.46L}, {"6327,46\n", 6327.46L}, {"\t6327,46\t", 6327.46L},
        {"\xC2\xA0" "6327,46\xC2\xA0", 6327.46L}, {" \xC2\xA0\r\n-12,5\xC2\xA0\t ", -12.5L},
        // refused
        {"", {}}, {"   ", {}}, {"\r\n", {}}, {"\xC2\xA0", {}}, {"inf", {}}, {"nan", {}}, {"0x1A", {}},
        {"12 351,48", {}}, {"12.351,48", {}}, {"12,351.48", {}}, {"1.234.567", {}}, {"1,2,3", {}}, {"1.,5", {}},
        {"-", {}}, {",", {}}, {".", {}}, {"--1", {}}, {"1e", {}}, {"e5", {}}, {"1e2.5", {}}, {"94,02м", {}},
        {"1e5000", {}},
        // blanks inside a number, and a lone byte of a no-break space
        {"63\r\n27,46", {}}, {"6327,\t46", {}}, {"12\xC2\xA0" "351,48", {}}, {"- 5", {}}, {"5\xC2", {}},
        {"\xA0" "5", {}},
    };
    for (const auto& [text, value] : rows) {
        SCOPED_TRACE(text);
        if (value) {
            EXPECT_EQ(ParseNumber(text), Extended(*value));
            continue;
        }
        try {
            ParseNumber(text);
            ADD_FAILURE() << "accepted";
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.Text(), text);
            const std::string shown = *text == '\0' ? "«пусто»" : QuoteText(text);
            EXPECT_NE(std::string(e.what()).find(shown), std::string::npos) << e.what();
        }
    }
}

TEST(ParseNumber, HintsForNumbersInAnotherConvention)
{
    const std::pair<const char*, ConversionHint> rows[] = {
        {"12 351,48", ConversionHint::Separators},
        {"12\xC2\xA0" "351,48", ConversionHint::Separators},
        {"12\xE2\x80\xAF" "351,48", ConversionHint::Separators},
        {"12'351.48", ConversionHint::Separators},
        {"12.351,48", ConversionHint::Separators},
        {"12,351.48", ConversionHint::Separators},
        {"1.234.567", ConversionHint::Separators},
        {"1,2,3", ConversionHint::Separators},
        {"-1,2,3", ConversionHint::Separators},
        {"--5", ConversionHint::Signs},
        {"+-5,5", ConversionHint::Signs},
        // «б» and «ю» are what the comma and point keys type in the Russian layout
        {"435612б34", ConversionHint::RussianLayout},
        {"45ю1", ConversionHint::RussianLayout},
        {"-0Б5", ConversionHint::RussianLayout},
        {"Ю5", ConversionHint::RussianLayout},
        {"7б", ConversionHint::RussianLayout},
        {"1б2б3", ConversionHint::None},
        {"1,2б3", ConversionHint::None},
        {"б", ConversionHint::None},
        {"абв", ConversionHint::None},
        // not a number in any convention: no hint
        {"", ConversionHint::None},
        {"45ор", ConversionHint::None},
        {"- 5", ConversionHint::None},
        {"--", ConversionHint::None},
        {"--5x", ConversionHint::None},
        {",", ConversionHint::None},
        {"1e2.5", ConversionHint::None},
    };
    for (const auto& [text, hint] : rows) {
        SCOPED_TRACE(text);
        try {
            ParseNumber(text);
            ADD_FAILURE() << "accepted";
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.Hint(), hint);
        }
    }
}

// The message names the field as the window labels it, quotes the text and,
// for a number in another convention, says what is expected.
TEST(ConversionError, Messages)
{
    const struct {
        const char* text;
        const char* field;
        ConversionHint hint;
        const char* message;
    } rows[] = {
        {"45ор", "Ebb11s", ConversionHint::None, "В поле «β1, секунды, вариант АСР» не число: «45ор»."},
        {"", "EXc", ConversionHint::None, "В поле «Xc» не число: «пусто»."},
        {"12 351,48", "EYa", ConversionHint::Separators,
         "В поле «Ya» не число: «12 351,48». Дробную часть отделяйте запятой (или точкой), разряды не "
         "разделяйте."},
        {"--5", "Eb2", ConversionHint::Signs, "В поле «b, вариант АСР» не число: «--5». Перед числом не более "
                                              "одного знака «+» или «-»."},
        {"435612б34", "EXc", ConversionHint::RussianLayout,
         "В поле «Xc» не число: «435612б34». Буква «б» стоит на месте десятичной запятой: клавиатура в "
         "русской раскладке."},
        {"45Ю1", "Ebb1s", ConversionHint::RussianLayout,
         "В поле «β1, секунды, вариант АВР» не число: «45Ю1». Буква «Ю» стоит на месте десятичной запятой: "
         "клавиатура в русской раскладке."},
        {"x", "", ConversionHint::None, "Не число: «x»."},
        {"x", "NoSuchField", ConversionHint::None, "В поле «NoSuchField» не число: «x»."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(std::string(ConversionError(row.text, row.field, row.hint).what()), row.message) << row.text;
}

TEST(FormatNumber, Texts)
{
    ExpectRows({
        // the doubles 7049,74 and 6327,46 differ by 722,2799999999997…
        {"HeldDifference", [] { return FormatNumber(Ext(7049.74) - 6327.46); }, "722,28"},
        {"NegativeFraction", [] { return FormatNumber(-0.6033); }, "-0,6033"},
        {"Zero", [] { return FormatNumber(0); }, "0"},
        {"NegativeZero", [] { return FormatNumber(-0.0L); }, "0"},
        {"SmallestFixed", [] { return FormatNumber(0.0001L); }, "0,0001"},
        {"BelowFixed", [] { return FormatNumber(0.00005L); }, "5E-5"},
        {"NegativeScientific", [] { return FormatNumber(-1.5e-5L); }, "-1,5E-5"},
        {"RoundsUpToFixed", [] { return FormatNumber(0.00009999999999999999L); }, "0,0001"},
        {"FifteenDigits", [] { return FormatNumber(123456789012345.0L); }, "123456789012345"},
        {"SixteenDigits", [] { return FormatNumber(1e15L); }, "1E15"},
        {"RoundsUpToSixteenDigits", [] { return FormatNumber(999999999999999.6L); }, "1E15"},
        {"LargeRounded", [] { return FormatNumber(123456789012345678901.0L); }, "1,23456789012346E20"},
        // exact binary ties at the fifteenth digit go to the even digit
        {"TieDown", [] { return FormatNumber(1234567890123.125L); }, "1234567890123,12"},
        {"TieUp", [] { return FormatNumber(1234567890123.375L); }, "1234567890123,38"},
        {"LargestExtended", [] { return FormatNumber(Compose(false, ~std::uint64_t(0), 16320, false)); }, "1,18973149535723E4932"},
        {"NotFinite", [] { return FormatNumber(HUGE_VALL); }, "!InvalidOperation"},
        // a negative cut is toward zero: ΔXap -92,605161037… prints -92,60516
        {"TruncToNegative", [] { return FormatNumber(TruncTo(-92.605161037, 100000)); }, "-92,60516"},
    });
}

TEST(CountOf, RussianPlural)
{
    const std::pair<std::int64_t, const char*> rows[] = {
        {1, "1 ячейка"},     {2, "2 ячейки"},     {4, "4 ячейки"},     {5, "5 ячеек"},
        {0, "0 ячеек"},      {11, "11 ячеек"},    {12, "12 ячеек"},    {14, "14 ячеек"},
        {21, "21 ячейка"},   {22, "22 ячейки"},   {101, "101 ячейка"}, {112, "112 ячеек"},
        {123, "123 ячейки"},
    };
    for (const auto& [count, expected] : rows)
        EXPECT_EQ(CountOf(count, "ячейка", "ячейки", "ячеек"), expected) << count;
}

TEST(FormatDms, Texts)
{
    ExpectRows({
        {"DirectionAB", [] { return FormatDms(82.13076350799626); }, "82°7`51``"},
        {"TenthsShown", [] { return FormatDmsTenths(189.95238427663475); }, "189°57`8,6``"},
        {"WholeTenthDropped", [] { return FormatDmsTenths(189.9525078777585); }, "189°57`9``"},
        {"NegativeEveryPart", [] { return FormatDms(-5.5042); }, "-5°-30`-15``"},
        {"NegativeBelowOneDegree", [] { return FormatDmsTenths(-0.5); }, "0°-30`0``"},
        {"Zero", [] { return FormatDms(0); }, "0°0`0``"},
        {"SecondsRoundTo60", [] { return FormatDms(DmsToDegrees(10, 59, 59.6)); }, "10°59`60``"},
        {"TenthsRoundTo60", [] { return FormatDmsTenths(DmsToDegrees(10, 59, 59.97)); }, "10°59`60``"},
        {"LargestWholeDegrees", [] { return FormatDms(999999999999999.0L); }, "999999999999999°0`0``"},
        {"DegreesPastFifteenDigits", [] { return FormatDmsTenths(-1e15L); }, "!Overflow"},
        {"BeyondInt64", [] { return FormatDms(1e19L); }, "!Overflow"},
    });
}

TEST(Arithmetic, Faults)
{
    ExpectRows({
        {"DivisionByZero", [] { return FormatNumber(Ext(-5) / 0); }, "!DivisionByZero"},
        {"ZeroByZero", [] { return FormatNumber(Ext(0) / 0); }, "!InvalidOperation"},
        {"NegativeZeroByZero", [] { return FormatNumber(Ext(-0.0) / 0); }, "!InvalidOperation"},
        {"ProductOverflow", [] { return FormatNumber(Ext(LDBL_MAX) * 2); }, "!Overflow"},
        {"SumOverflow", [] { return FormatNumber(Ext(-LDBL_MAX) - LDBL_MAX); }, "!Overflow"},
        {"HoldBeyondDouble", [] { return FormatNumber(Hold(-1e309L)); }, "!Overflow"},
        {"HoldUnderflowIsZero", [] { return FormatNumber(Hold(1e-400L)); }, "0"},
    });
}

TEST(DirectionAngle, AllQuadrants)
{
    ExpectRows({
        {"NorthEast", [] { return FormatNumber(DirectionAngle(1, 1)); }, "45"},
        {"SouthEast", [] { return FormatNumber(DirectionAngle(-1, 1)); }, "135"},
        // direction of a line to the south-west used to come out 180° off
        {"SouthWest", [] { return FormatNumber(DirectionAngle(-1, -1)); }, "225"},
        // direction of a line to the north-west used to come out 180° off
        {"NorthWest", [] { return FormatNumber(DirectionAngle(1, -1)); }, "315"},
        {"North", [] { return FormatNumber(DirectionAngle(5, 0)); }, "0"},
        {"South", [] { return FormatNumber(DirectionAngle(-5, 0)); }, "180"},
        {"WorkedAC", [] { return FormatDms(DirectionAngle(-2627.41, 1585.14)); }, "148°53`49``"},
        // a line due east or west used to stop at the tangent, dividing by ΔX = 0
        {"East", [] { return FormatNumber(DirectionAngle(0, 1)); }, "90"},
        {"West", [] { return FormatNumber(DirectionAngle(0, -1)); }, "270"},
        {"SamePoint", [] { return FormatNumber(DirectionAngle(0, 0)); }, "!InvalidOperation"},
    });
}

TEST(TruncRound, ToSigned64)
{
    const struct {
        long double x;
        const char *trunc, *round;
    } rows[] = {
        {2.5L, "2", "2"}, {3.5L, "3", "4"}, {-2.5L, "-2", "-2"}, {-3.5L, "-3", "-4"}, {-0.7L, "0", "-1"},
        {9223372036854775807.0L, "9223372036854775807", "9223372036854775807"},
        {-9223372036854775808.0L, "-9223372036854775808", "-9223372036854775808"},
        // 2^63 − 0,5 is an extended value: its tie goes to the even 2^63
        {9223372036854775807.5L, "9223372036854775807", "!Overflow"},
        {9223372036854775808.0L, "!Overflow", "!Overflow"},
        {-9223372036854775809.0L, "!Overflow", "!Overflow"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Outcome([&] { return std::to_string(Trunc(row.x)); }), row.trunc) << double(row.x);
        EXPECT_EQ(Outcome([&] { return std::to_string(Round(row.x)); }), row.round) << double(row.x);
    }
}

// The integer fast path and the general conversion must both agree with the C
// library digit for digit, at every magnitude a sheet can produce.
TEST(FormatNumber, MatchesIndependentFifteenDigits)
{
    std::mt19937_64 gen(20240517);
    std::uniform_int_distribution<int> decade(-7, 17);
    std::uniform_real_distribution<long double> unit(1.0L, 10.0L);
    std::uniform_int_distribution<long long> fifteen(100000000000000LL, 999999999999999LL);
    int failures = 0;
    for (int i = 0; i < 200000; ++i) {
        const long double scale = std::pow(10.0L, static_cast<long double>(decade(gen)));
        const long double toward = (i & 8) ? HUGE_VALL : 0.0L;
        long double v = scale;
        switch (i % 4) {
        case 0: v = unit(gen) * scale; break;  // anywhere in the decade
        case 1: v = static_cast<double>(unit(gen) * scale); break;  // as held in a double
        case 2:  // a few units in the last place around a power of ten
            for (int k = static_cast<int>(gen() % 4); k >= 0; --k)
                v = std::nextafter(v, toward);
            break;
        case 3:  // at or next to a tie of the fifteenth digit
            v = (static_cast<long double>(fifteen(gen)) + 0.5L) * scale / 1e14L;
            if (gen() % 2)
                v = std::nextafter(v, toward);
            break;
        }
        if (i & 16)
            v = -v;
        v = static_cast<long double>(Extended(v));  // a wider long double (aarch64) is rounded first
        const std::string got = FormatNumber(v), want = Reference15(v);
        if (got != want && ++failures <= 10)
            ADD_FAILURE() << std::setprecision(21) << v << ": got " << got << ", want " << want;
    }
    EXPECT_EQ(failures, 0);
}

// Sines and cosines of round angles cut to five decimals, worked out with
// π rounded to 64 bits, the radians π·a/180 rounded after each operation and
// the cosine taken to 120 digits: π so rounded lies above π, so cos 60° comes
// out a hair below ½ and cuts to 0,49999. Forming (π/180)·a instead turns
// each of these rows the other way.
TEST(SinCos, RoundAnglesCutToFiveDecimals)
{
    ExpectRows({
        {"Cos60", [] { return FormatNumber(TruncTo(CosDeg(60), 100000)); }, "0,49999"},
        {"Cos120", [] { return FormatNumber(TruncTo(CosDeg(120), 100000)); }, "-0,5"},
        {"Cos240", [] { return FormatNumber(TruncTo(CosDeg(240), 100000)); }, "-0,49999"},
    });
}

// Values as held in a double, worked out in exact rational arithmetic rounded
// to a 64-bit significand after every operation (the arctangent taken to 120
// digits first). In each row another order of the same operations holds a
// different double, which then runs on into the carried values.
TEST(HeldValues, FollowTheOrderOfOperations)
{
    const struct {
        const char* name;
        double got, want;
    } rows[] = {
        // (s/60 + m)/60 + g; g + m/60 + s/3600, (g·3600 + m·60 + s)/3600 and
        // s/3600 + m/60 + g all hold 0.18334166666666668
        {"Dms 0 11 0,03", DmsToDegrees(0, 11, 0.03), 0.18334166666666665},
        // g + m/60 + s/3600 holds 4.5238611111111107
        {"Dms 4 31 25,9", DmsToDegrees(4, 31, 25.9), 4.5238611111111116},
        // atan(q)·180/π; atan(q)·(180/π) holds 44.246151666929229
        {"Direction 77 75", DirectionAngle(77, 75), 44.246151666929237},
        // atan(q)·(180/π) holds 62.32494343912758
        {"Direction 193 368", DirectionAngle(193, 368), 62.324943439127573},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.got, row.want) << std::setprecision(17) << row.name;
}
