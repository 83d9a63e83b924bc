#include "Numbers.h"

#include "Errors.h"

#include <algorithm>
#include <cmath>

namespace snesenie {
namespace {

Ext Checked(Extended r)
{
    if (IsNaN(r))
        throw ArithmeticError(ArithmeticFault::InvalidOperation);
    if (IsInf(r))
        throw ArithmeticError(ArithmeticFault::Overflow);
    return Ext(r);
}

// 2^63: the first magnitude a signed 64-bit integer cannot hold. -2^63 itself
// still fits.
const Extended kTwo63 = Extended(9223372036854775808.0);

std::int64_t ToInt64(Extended whole)
{
    if (!(whole >= -kTwo63 && whole < kTwo63))
        throw ArithmeticError(ArithmeticFault::Overflow);
    return static_cast<std::int64_t>(whole);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal comma of the sheet, or the point a pasted or habitually typed
// number may carry instead; a number has at most one of either.
bool IsSeparator(char c) { return c == ',' || c == '.'; }

// Length of the blank at i, 0 if there is none. Besides spaces, a cell copied
// from a spreadsheet brings tabs, a line break and the no-break space (U+00A0)
// of its number format; around a number they are blanks like any other.
std::size_t BlankAt(std::string_view s, std::size_t i)
{
    if (i >= s.size())
        return 0;
    if (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')
        return 1;
    return s.substr(i, 2) == "\xC2\xA0" ? 2 : 0;
}


// Separates thousands in the number formats people copy from: a blank, a
// no-break or narrow no-break space (U+202F), or an apostrophe. Returns its
// length at i, 0 if there is none.
std::size_t GroupMarkAt(std::string_view s, std::size_t i)
{
    if (i < s.size() && (s[i] == ' ' || s[i] == '\''))
        return 1;
    if (s.substr(i, 2) == "\xC2\xA0")
        return 2;
    return s.substr(i, 3) == "\xE2\x80\xAF" ? 3 : 0;
}

} // namespace

std::size_t RussianSeparatorAt(std::string_view text)
{
    for (const char* letter : {"\xD0\xB1", "\xD0\x91", "\xD1\x8E", "\xD0\xAE"})  // б Б ю Ю
        if (const std::size_t at = text.find(letter); at != std::string_view::npos)
            return at;
    return std::string_view::npos;
}

namespace {

// Why a refused text (blanks already trimmed) is not a number, when it is
// plainly one written in another convention: 12 351,48 or 1.234,5 or 1,2,3
// (separators), --5 (signs). Anything else gets no hint.
ConversionHint HintFor(std::string_view body)
{
    // In the Russian layout the comma key types «б» and the point key «ю»;
    // 435612б34 is a number with the keyboard in the wrong layout.
    if (RussianSeparatorAt(body) != std::string_view::npos) {
        std::string asTyped(body);
        asTyped.replace(RussianSeparatorAt(body), 2, ",");
        try {
            ParseNumber(asTyped);
            return ConversionHint::RussianLayout;
        } catch (const ConversionError&) {
            return ConversionHint::None;
        }
    }
    std::size_t i = 0;
    while (i < body.size() && (body[i] == '+' || body[i] == '-'))
        ++i;
    if (i >= 2) {
        try {
            ParseNumber(body.substr(i));
            return ConversionHint::Signs;
        } catch (const ConversionError&) {
            return ConversionHint::None;
        }
    }
    if (GroupMarkAt(body, i) != 0)
        return ConversionHint::None;  // "- 5": a stray blank, not grouping
    std::size_t digits = 0, separators = 0, groupMarks = 0;
    while (i < body.size()) {
        if (IsDigit(body[i])) {
            ++digits;
            ++i;
        } else if (IsSeparator(body[i])) {
            ++separators;
            ++i;
        } else if (const std::size_t len = GroupMarkAt(body, i)) {
            ++groupMarks;
            i += len;
        } else {
            return ConversionHint::None;
        }
    }
    return digits > 0 && (separators >= 2 || groupMarks > 0) ? ConversionHint::Separators : ConversionHint::None;
}

// Skips a run of digits and returns how many there were.
std::size_t SkipDigits(std::string_view s, std::size_t& i)
{
    const std::size_t start = i;
    while (i < s.size() && IsDigit(s[i]))
        ++i;
    return i - start;
}

// The exponent of a number already checked against the grammar, held within
// a range where any larger magnitude means the same: no value at all, or
// zero. Millions of digits of exponent must not wrap around.
long long ReadExponent(std::string_view digits, bool negative)
{
    long long e = 0;
    for (const char c : digits)
        e = std::min<long long>(e * 10 + (c - '0'), 1000000000);
    return negative ? -e : e;
}

// The first whole number of degrees FormatNumber would print in scientific form.
constexpr std::int64_t kDmsDegreeLimit = 1000000000000000;

// secondParts is 1 for whole seconds, 10 for tenths. The fraction of a minute
// is multiplied by 60 or by 600 in one operation: (x·60)·10 rounds differently.
std::string FormatDmsScaled(Ext degrees, int secondParts)
{
    const std::int64_t d = Trunc(degrees);
    // Sixteen digits of whole degrees would print as 1E18°0`0``: no angle a
    // sheet can show, and minutes and seconds are long lost at that size.
    if (d >= kDmsDegreeLimit || d <= -kDmsDegreeLimit)
        throw ArithmeticError(ArithmeticFault::Overflow);
    const Ext f = Frac(degrees);
    const std::int64_t m = Trunc(f * 60);
    const Ext s = Ext(Round(Frac(f * 60) * (60 * secondParts))) / secondParts;
    return FormatNumber(d) + "°" + FormatNumber(m) + "`" + FormatNumber(s) + "``";
}

} // namespace

std::string_view TrimBlanks(std::string_view s)
{
    std::size_t start = 0;
    while (const std::size_t len = BlankAt(s, start))
        start += len;
    std::size_t end = s.size();
    for (;;) {
        if (end > start && BlankAt(s, end - 1) == 1)
            end -= 1;
        else if (end >= start + 2 && BlankAt(s, end - 2) == 2)
            end -= 2;
        else
            break;
    }
    return s.substr(start, end - start);
}

void Ext::ThrowNotFinite(Extended r)
{
    throw ArithmeticError(IsNaN(r) ? ArithmeticFault::InvalidOperation : ArithmeticFault::Overflow);
}

void Ext::ThrowDivisionByZero(Extended numerator)
{
    throw ArithmeticError(numerator == 0 ? ArithmeticFault::InvalidOperation : ArithmeticFault::DivisionByZero);
}

double Hold(Ext x)
{
    const double d = static_cast<double>(x.Value());
    if (std::isinf(d))
        throw ArithmeticError(ArithmeticFault::Overflow);
    return d;
}

std::int64_t Trunc(Ext x) { return ToInt64(TruncWhole(x.Value())); }

std::int64_t Round(Ext x) { return ToInt64(RoundWhole(x.Value())); }

Ext Frac(Ext x) { return x - Trunc(x); }

Ext TruncTo(Ext x, int scale) { return Ext(Trunc(x * scale)) / scale; }

Ext SinDeg(Ext degrees) { return Checked(SinRounded((kPi * degrees / 180).Value())); }
Ext CosDeg(Ext degrees) { return Checked(CosRounded((kPi * degrees / 180).Value())); }
Ext AtanDeg(Ext q) { return Checked(AtanRounded(q.Value())) * 180 / kPi; }
Ext AsinDeg(Ext q) { return Checked(AsinRounded(q.Value())) * 180 / kPi; }
Ext Sqrt(Ext x) { return Checked(SquareRoot(x.Value())); }
Ext Abs(Ext x) { return Ext(Abs(x.Value())); }
Ext Remainder(Ext x, Ext y) { return Checked(RemainderOf(x.Value(), y.Value())); }

Extended ParseNumber(std::string_view text)
{
    // Validate the whole grammar, then convert the digits exactly ourselves:
    // no C library conversion is locale-free and correctly rounded everywhere.
    const std::string_view body = TrimBlanks(text);
    const std::size_t n = body.size();
    std::size_t i = 0;
    const bool negative = i < n && body[i] == '-';
    if (i < n && (body[i] == '+' || body[i] == '-'))
        ++i;
    std::size_t start = i;
    std::string digits(body.substr(start, SkipDigits(body, i)));
    std::size_t fractionDigits = 0;
    if (i < n && IsSeparator(body[i])) {
        start = ++i;
        fractionDigits = SkipDigits(body, i);
        digits += body.substr(start, fractionDigits);
    }
    if (digits.empty())
        throw ConversionError(std::string(text), {}, HintFor(body));
    long long exponent = 0;
    if (i < n && (body[i] == 'E' || body[i] == 'e')) {
        ++i;
        const bool below = i < n && body[i] == '-';
        if (i < n && (body[i] == '+' || body[i] == '-'))
            ++i;
        start = i;
        if (SkipDigits(body, i) == 0)
            throw ConversionError(std::string(text), {}, HintFor(body));
        exponent = ReadExponent(body.substr(start, i - start), below);
    }
    if (i != n)
        throw ConversionError(std::string(text), {}, HintFor(body));

    const Extended v = DecimalToExtended(negative, digits, exponent - static_cast<long long>(fractionDigits));
    // Too large for the extended range is a text that names no number we can
    // work with; a value too small simply becomes zero or subnormal.
    if (IsInf(v))
        throw ConversionError(std::string(text));
    return v;
}

namespace {

// The 15 significant digits of v (finite, non-zero), correctly rounded with
// ties to even, and the decimal exponent of the first digit.
struct Digits15 {
    std::string digits;
    int exponent;
};

Digits15 SlowDigits(Extended v)
{
    SignificantDigits d = ExactDigits15(v);
    return {std::move(d.digits), d.exponent};
}

// The same digits by integer arithmetic for the magnitudes a sheet prints
// (1E-5 to 1E15), an order of magnitude faster than the general conversion.
// |v| = m·2^-shift exactly, so |v|·10^p = m·10^p / 2^shift, and with p at
// most 19 the product fits 128 bits.
bool FastDigits(Extended v, Digits15& out)
{
    const ExtendedParts parts = Decompose(v);
    const std::uint64_t m = parts.significand;  // top bit set, but for a subnormal
    const int binExp = parts.exponent + 64;
    const int shift = -parts.exponent;
    // floor(log10 |v|) to within one, from the binary exponent: 78913/2^18 is
    // log10(2) to six digits. The loop below corrects the estimate.
    int e = ((binExp - 1) * 78913) >> 18;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int p = 14 - e;
        if (p < 0 || p > 19 || shift <= 0 || shift >= 127)
            return false;
        std::uint64_t pow10 = 1;
        for (int k = 0; k < p; ++k)
            pow10 *= 10;
        const U128 prod = U128(m) * pow10;
        U128 q = prod >> shift;
        const U128 rem = prod & ((U128(1) << shift) - 1);
        const U128 half = U128(1) << (shift - 1);
        if (rem > half || (rem == half && (q & 1) != 0))
            ++q;
        if (q >= U128(1000000000000000ULL)) {
            ++e;  // rounded up to the next power of ten, or the estimate was low
        } else if (q < U128(100000000000000ULL)) {
            --e;
        } else {
            out.digits = std::to_string(static_cast<std::uint64_t>(q));
            out.exponent = e;
            return true;
        }
    }
    return false;
}

} // namespace

std::string CountOf(std::int64_t count, std::string_view one, std::string_view few, std::string_view many)
{
    // The last two digits decide: 11 to 14 take the many form whatever their
    // last digit says.
    const std::int64_t lastTwo = (count < 0 ? -(count % 100) : count % 100);
    const std::int64_t last = lastTwo % 10;
    const std::string_view noun = lastTwo >= 11 && lastTwo <= 14 ? many
                                  : last == 1                     ? one
                                  : last >= 2 && last <= 4        ? few
                                                                  : many;
    return std::to_string(count) + ' ' + std::string(noun);
}

std::string FormatNumber(Ext value)
{
    const Extended v = value.Value();
    if (IsNaN(v) || IsInf(v))
        throw ArithmeticError(ArithmeticFault::InvalidOperation);
    if (v == Extended(0))
        return "0";

    Digits15 d;
    if (!FastDigits(v, d))
        d = SlowDigits(v);
    std::string& digits = d.digits;
    const int exponent = d.exponent;
    digits.resize(std::max<std::size_t>(digits.find_last_not_of('0') + 1, 1));

    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on chains of
    // string operator+ here.
    std::string out;
    if (v < Extended(0))
        out += '-';
    if (exponent < -4 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1) {
            out += ',';
            out.append(digits, 1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0,";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
        out.append(digits, 0, whole);
        if (digits.size() <= whole) {
            out.append(whole - digits.size(), '0');
        } else {
            out += ',';
            out.append(digits, whole);
        }
    }
    return out;
}

double DmsToDegrees(double g, double m, double s)
{
    return Hold((Ext(s) / 60 + m) / 60 + g);
}

std::string FormatDms(Ext degrees) { return FormatDmsScaled(degrees, 1); }

std::string FormatDmsTenths(Ext degrees) { return FormatDmsScaled(degrees, 10); }

double DirectionAngle(Ext dX, Ext dY)
{
    // Due north and south come out exact through the arctangent of 0; due
    // east and west have no tangent and are named directly.
    if (dX == Ext(0)) {
        if (dY == Ext(0))
            throw ArithmeticError(ArithmeticFault::InvalidOperation);
        return dY < Ext(0) ? 270 : 90;
    }
    const double a = Hold(AtanDeg(dY / dX));
    if (dX < 0)
        return Hold(Ext(a) + 180);
    if (a < 0)
        return Hold(Ext(a) + 360);
    return a;
}

} // namespace snesenie
