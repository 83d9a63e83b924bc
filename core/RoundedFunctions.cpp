// The parts of the extended arithmetic that need more than 128 bits: the
// transcendental functions where the quick evaluation (QuickFunctions.cpp)
// cannot decide, exact decimal conversion and the remainder. Both
// number types come here through Decompose and Compose, so the same text gives
// the same bits, and the same bits the same digits, on every machine.

#include "RoundedFunctions.h"

// Boost's integers include <iostream> for nothing they use here. With GCC's
// library each file that includes it sets up the standard streams and the
// C++ locale at every start of the program, a third of a megabyte of the
// library touched before the window shows; the streams' own headers are
// enough, and its guard keeps the rest out.
#include <istream>
#include <ostream>
#ifndef _GLIBCXX_IOSTREAM
#define _GLIBCXX_IOSTREAM 1
#endif
#include <boost/multiprecision/cpp_bin_float.hpp>
#include <boost/multiprecision/cpp_int.hpp>

#include <algorithm>
#include <vector>
#include <bit>

namespace snesenie {
namespace {

namespace mp = boost::multiprecision;

// 256 bits: the 64 of the result and 192 guard bits. Near a zero of sin or
// cos the reduction by π loses as many bits as the argument has above the
// zero's distance; for any argument below 2^64 that is far less than 192.
using Wide = mp::number<mp::cpp_bin_float<256, mp::digit_base_2>, mp::et_off>;
// For arguments of 2^64 and more: enough bits to take the whole multiple of 2π
// away from the largest extended value and keep 256 below the point.
using Huge = mp::number<mp::cpp_bin_float<16384 + 64 + 320, mp::digit_base_2>, mp::et_off>;
using mp::cpp_int;

Wide ToWide(Extended x)
{
    const ExtendedParts p = Decompose(x);
    Wide w = ldexp(Wide(p.significand), p.exponent);
    return p.negative ? -w : w;
}

U128 ToU128(const cpp_int& v)
{
    const cpp_int mask = (cpp_int(1) << 64) - 1;
    return (U128(static_cast<std::uint64_t>((v >> 64) & mask)) << 64) | static_cast<std::uint64_t>(v & mask);
}

// A big positive integer times 2^exponent, rounded into the format: the top
// 128 bits and whatever lies below as sticky.
Extended RoundBig(bool negative, const cpp_int& m, long long exponent, bool sticky)
{
    const long long n = static_cast<long long>(msb(m)) + 1;
    if (n <= 128)
        return Compose(negative, ToU128(m), static_cast<int>(exponent), sticky);
    const long long drop = n - 128;
    const bool lost = lsb(m) < static_cast<unsigned long long>(drop);
    return Compose(negative, ToU128(m >> static_cast<unsigned>(drop)), static_cast<int>(exponent + drop),
                   sticky || lost);
}

Extended FromWide(const Wide& w)
{
    if (w == 0)
        return Extended(0);
    int e = 0;
    const Wide f = frexp(abs(w), &e);  // [0.5, 1)
    const Wide scaled = ldexp(f, 127);
    const Wide whole = trunc(scaled);
    return Compose(w < 0, ToU128(static_cast<cpp_int>(whole)), e - 127, scaled != whole);
}

// 2π at the Huge width, made when the first argument needs it: the library's
// own constant of that width would be computed at every start of every
// program, a tenth of a second. Machin's π = 16·atan(1/5) − 4·atan(1/239) in
// integers with 64 bits beyond the Huge width; every term is truncated, so
// the few thousand of them leave the sum within 2^13 units of its last bit.
Huge Turn()
{
    static const Huge turn = [] {
        const unsigned bits = 16384 + 64 + 320 + 64;
        const auto atanInverse = [bits](unsigned x) {
            cpp_int power = (cpp_int(1) << bits) / x;
            cpp_int sum = power;
            for (unsigned n = 3; power != 0; n += 2) {
                power /= x * x;
                if (n % 4 == 1)
                    sum += power / n;
                else
                    sum -= power / n;
            }
            return sum;
        };
        const cpp_int pi = 16 * atanInverse(5) - 4 * atanInverse(239);
        return ldexp(Huge(pi), 1 - static_cast<int>(bits));
    }();
    return turn;
}

// The argument less a whole number of turns, for arguments so large that the
// 256-bit π would leave too few of its bits after the point.
Wide Reduced(Extended x)
{
    const Wide w = ToWide(x);
    if (abs(w) < ldexp(Wide(1), 64))
        return w;
    const ExtendedParts p = Decompose(x);
    Huge h = ldexp(Huge(p.significand), p.exponent);
    const Huge turn = Turn();
    h -= floor(h / turn) * turn;
    return static_cast<Wide>(p.negative ? -h : h);
}

// atan at the full 256 bits. The angle is brought to at most π/4 (through
// 1/x) and halved until its tangent is below 1/40, where some 25 terms of
// the series reach 2^-256; each halving is exact in angle, so only the
// rounding of a few dozen operations is left, far inside the guard bits.
// Several times faster than the library's general atan at this precision.
Wide AtanSeries(Wide x)
{
    const bool negative = x < 0;
    x = abs(x);
    const bool inverted = x > 1;
    if (inverted)
        x = 1 / x;
    int halvings = 0;
    const Wide small = Wide(1) / 40;
    while (x > small) {
        x = x / (1 + sqrt(1 + x * x));  // tan(θ/2) from tan θ
        ++halvings;
    }
    // 1/3, 1/5, … once: a product is much cheaper than a quotient here.
    static const std::vector<Wide> reciprocals = [] {
        std::vector<Wide> r;
        for (int n = 1; n <= 48; ++n)
            r.push_back(Wide(1) / (2 * n + 1));
        return r;
    }();
    const Wide x2 = x * x;
    const Wide least = ldexp(abs(x), -260);
    Wide power = x, sum = x;
    for (const Wide& reciprocal : reciprocals) {
        power = -(power * x2);
        const Wide term = power * reciprocal;
        if (abs(term) < least)
            break;
        sum += term;
    }
    sum = ldexp(sum, halvings);
    if (inverted)
        sum = boost::math::constants::half_pi<Wide>() - sum;
    return negative ? -sum : sum;
}

// ⌊v·2^bits⌋ of a positive v.
cpp_int FixedBits(const Wide& v, int bits) { return static_cast<cpp_int>(trunc(ldexp(v, bits))); }

} // namespace

namespace detail {

Extended SinWide(Extended x) { return FromWide(sin(Reduced(x))); }
Extended CosWide(Extended x) { return FromWide(cos(Reduced(x))); }
Extended AtanWide(Extended x) { return FromWide(AtanSeries(ToWide(x))); }

Extended AsinWide(Extended x)
{
    // asin q = atan(q/√(1 − q²)): 1 − q² is exact at this width.
    const Wide q = ToWide(x);
    if (abs(q) > 1)
        return Extended(0) / Extended(0);  // NaN, as the library gives; Ext reports it
    if (abs(q) == 1)
        return FromWide(q * boost::math::constants::half_pi<Wide>());
    return FromWide(AtanSeries(q / sqrt(1 - q * q)));
}

const QuickConstants& WideConstants()
{
    static const QuickConstants constants = [] {
        QuickConstants c{};
        const Wide halfPi = boost::math::constants::half_pi<Wide>();
        const cpp_int bits = FixedBits(halfPi, 192);
        for (unsigned i = 0; i < 4; ++i)
            c.piHalf192[i] = static_cast<std::uint64_t>((bits >> (64 * i)) & ((cpp_int(1) << 64) - 1));
        c.piHalf = ToU128(FixedBits(halfPi, 127));
        for (int j = 0; j <= 16; ++j)
            c.atanSixteenths[j] = ToU128(FixedBits(AtanSeries(Wide(j) / 16), 127));
        c.twoOverPi = static_cast<std::uint64_t>(FixedBits(1 / halfPi, 64));
        return c;
    }();
    return constants;
}

} // namespace detail

Extended SinRounded(Extended x)
{
    if (const std::optional<Extended> quick = detail::SinQuick(x))
        return *quick;
    return detail::SinWide(x);
}

Extended CosRounded(Extended x)
{
    if (const std::optional<Extended> quick = detail::CosQuick(x))
        return *quick;
    return detail::CosWide(x);
}

Extended AtanRounded(Extended x)
{
    if (const std::optional<Extended> quick = detail::AtanQuick(x))
        return *quick;
    return detail::AtanWide(x);
}

Extended AsinRounded(Extended x)
{
    if (const std::optional<Extended> quick = detail::AsinQuick(x))
        return *quick;
    return detail::AsinWide(x);
}

Extended DecimalToExtended(bool negative, const std::string& digitText, long long exponent10)
{
    const std::size_t first = digitText.find_first_not_of('0');
    if (first == std::string::npos)
        return negative ? -Extended(0) : Extended(0);
    std::string digits = digitText.substr(first);
    if (digits.size() <= 19 && exponent10 >= -18 && exponent10 <= 19) {
        // What people type: few digits, a small exponent. The exact value
        // fits 128 bits, or its quotient by a power of ten below 2^60 keeps
        // more than 66 bits and a remainder that says what was dropped.
        const std::uint64_t d = std::stoull(digits);
        U128 power = 1;
        for (long long k = 0; k < (exponent10 < 0 ? -exponent10 : exponent10); ++k)
            power *= 10;
        if (exponent10 >= 0)
            return Compose(negative, d * power, 0, false);
        const int lead = std::countl_zero(d);
        const U128 n = U128(d << lead) << 64;
        return Compose(negative, n / power, -64 - lead, n % power != 0);
    }
    // A tie between two extended values has at most about 11,500 significant
    // digits; beyond 12,000 a digit can only say whether the rest is zero.
    constexpr std::size_t kKept = 12000;
    if (digits.size() > kKept) {
        const bool rest = digits.find_first_not_of('0', kKept) != std::string::npos;
        exponent10 += static_cast<long long>(digits.size() - kKept);
        digits.resize(kKept);
        if (rest) {
            digits += '1';
            exponent10 -= 1;
        }
    }
    // 10^4933 is past the largest value, 10^-4952 below half the least one.
    const long long magnitude = exponent10 + static_cast<long long>(digits.size()) - 1;
    if (magnitude > 4933)
        return Compose(negative, 1, 20000, false);  // an infinity
    if (magnitude < -4952)
        return negative ? -Extended(0) : Extended(0);
    const cpp_int d(digits);
    if (exponent10 >= 0)
        return RoundBig(negative, d * mp::pow(cpp_int(10), static_cast<unsigned>(exponent10)), 0, false);
    const cpp_int divisor = mp::pow(cpp_int(10), static_cast<unsigned>(-exponent10));
    // Enough quotient bits for a 64-bit significand and its rounding.
    const long long shift = std::max<long long>(
        0, 130 + static_cast<long long>(msb(divisor)) - static_cast<long long>(msb(d)));
    cpp_int q, r;
    divide_qr(cpp_int(d << static_cast<unsigned>(shift)), divisor, q, r);
    return RoundBig(negative, q, -shift, r != 0);
}

SignificantDigits ExactDigits15(Extended v)
{
    const ExtendedParts p = Decompose(v);
    // m·2^e exactly in decimal: m·2^e itself, or m·5^-e with the point -e
    // places from the right.
    std::string all;
    int exponent = 0;
    if (p.exponent >= 0) {
        all = (cpp_int(p.significand) << p.exponent).str();
        exponent = static_cast<int>(all.size()) - 1;
    } else {
        all = (cpp_int(p.significand) * mp::pow(cpp_int(5), static_cast<unsigned>(-p.exponent))).str();
        exponent = static_cast<int>(all.size()) - 1 + p.exponent;
    }
    if (all.size() <= 15)
        return {all + std::string(15 - all.size(), '0'), exponent};
    std::string digits = all.substr(0, 15);
    const char next = all[15];
    const bool restNonZero = all.find_first_not_of('0', 16) != std::string::npos;
    const bool up = next > '5' || (next == '5' && (restNonZero || (digits.back() - '0') % 2 == 1));
    if (up) {
        int i = 14;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9')
            digits[static_cast<std::size_t>(i--)] = '0';
        if (i < 0) {
            digits = "1" + std::string(14, '0');
            ++exponent;
        } else {
            ++digits[static_cast<std::size_t>(i)];
        }
    }
    return {digits, exponent};
}

#ifdef SNESENIE_EXTENDED_IS_SOFT

Extended RemainderOf(Extended x, Extended y)
{
    if (IsNaN(x) || IsNaN(y) || IsInf(x) || y == Extended(0))
        return SoftExtended::NaN();
    if (IsInf(y) || x == Extended(0))
        return x;
    const ExtendedParts px = Decompose(x), py = Decompose(y);
    const int e = std::min(px.exponent, py.exponent);
    const cpp_int mx = cpp_int(px.significand) << (px.exponent - e);
    const cpp_int my = cpp_int(py.significand) << (py.exponent - e);
    cpp_int n, r;
    divide_qr(mx, my, n, r);
    // n = x/y to nearest, ties to even; r = x − n·y in units of 2^e.
    const cpp_int twice = r * 2;
    if (twice > my || (twice == my && (n & 1) != 0))
        r -= my;
    if (r == 0)
        return px.negative ? -Extended(0) : Extended(0);
    const bool negative = (r < 0) != px.negative;
    return RoundBig(negative, abs(r), e, false);
}

#endif

} // namespace snesenie
