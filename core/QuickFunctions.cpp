// sin, cos, atan and asin in 128-bit integer arithmetic, each with a bound on
// its error, and a test of whether that bound decides the rounding.
//
// Why the bounds hold. Every quantity is an unsigned 128-bit integer in a
// fixed scale; every step truncates, so each product, quotient and constant
// is less than one unit of its last bit below the exact value. A series on a
// variable t ≤ 0.62 evaluated by Horner's rule adds at most two such units a
// step to what the step before left (multiplied by t < 1), plus what the error
// in t itself moves the sum: for at most 16 steps that stays below 64 units of
// 2^-127. The series are cut where the first term left out is below 2^-128.
// Each function's bound below adds up its own steps from these, and is taken
// with a margin of two or more; with 128 bits for a 64-bit result the margin
// costs nothing but a fallback in some 2^-50 of the arguments.
//
// The rounding test: rounding to nearest is monotonic, so when the two ends
// of [value − bound, value + bound] round to one and the same extended value,
// so does the true result, and that value is correctly rounded. Otherwise the
// caller goes to the 256-bit evaluation, which always decides.
//
// Only integer arithmetic: the same bits on every processor and compiler.

#include "RoundedFunctions.h"

#include <array>
#include <bit>
#include <utility>

namespace snesenie::detail {
namespace {

// ⌊a·b/2^128⌋, exactly.
U128 MulHigh(U128 a, U128 b)
{
    const auto a0 = static_cast<std::uint64_t>(a), a1 = static_cast<std::uint64_t>(a >> 64);
    const auto b0 = static_cast<std::uint64_t>(b), b1 = static_cast<std::uint64_t>(b >> 64);
    const U128 low = U128(a0) * b0, cross1 = U128(a0) * b1, cross2 = U128(a1) * b0;
    const U128 middle = (low >> 64) + static_cast<std::uint64_t>(cross1) + static_cast<std::uint64_t>(cross2);
    return U128(a1) * b1 + (cross1 >> 64) + (cross2 >> 64) + (middle >> 64);
}

// ⌊a·2^128/b⌋ for a < b < 2^127, one bit at a time: no branch to mispredict.
U128 DivideFraction(U128 a, U128 b)
{
    U128 q = 0;
    for (int i = 0; i < 128; ++i) {
        a <<= 1;
        const U128 fits = a >= b ? 1 : 0;
        a -= b & (0 - fits);
        q = (q << 1) | fits;
    }
    return q;
}

// ⌊√(high·2^128 + low)⌋ for a radicand below 2^248, two bits at a time.
U128 SquareRootFloor(U128 high, U128 low)
{
    U128 root = 0, rest = 0;
    for (int pair = 123; pair >= 0; --pair) {
        const int bit = 2 * pair;
        const U128 next = (bit >= 128 ? high >> (bit - 128) : low >> bit) & 3;
        rest = (rest << 2) | next;
        const U128 trial = (root << 2) | 1;
        const U128 fits = rest >= trial ? 1 : 0;
        rest -= trial & (0 - fits);
        root = (root << 1) | fits;
    }
    return root;
}

// A power series in Q1.127 (1 is 2^127): its coefficients, largest first.
struct Series {
    std::array<U128, 16> c;
    int terms;
};

constexpr U128 kOne = U128(1) << 127;

constexpr Series Reciprocals(int terms, int step, int first)  // 1/first, 1/(first + step), …
{
    Series s{{}, terms};
    for (int k = 0; k < terms; ++k)
        s.c[k] = kOne / static_cast<unsigned>(first + step * k);
    return s;
}

constexpr Series InverseFactorials(int first)  // 1/first!, 1/(first + 2)!, …, sixteen terms
{
    Series s{{}, 16};
    U128 factorial = 1;
    for (int n = 1; n <= first; ++n)
        factorial *= static_cast<unsigned>(n);
    for (int k = 0; k < 16; ++k) {
        s.c[k] = kOne / factorial;
        const int n = first + 2 * k;
        factorial *= static_cast<unsigned>((n + 1) * (n + 2));  // 31! < 2^113
    }
    return s;
}

// sin r/r and cos r, alternating, for r² ≤ 0.62: the 17th term is below 2^-128.
constexpr Series kSinOverR = InverseFactorials(1);
constexpr Series kCos = InverseFactorials(0);
// atan z/z, alternating, for z² < 2^-9.9: the 15th term is below 2^-138.
constexpr Series kAtanOverZ = Reciprocals(14, 2, 1);
// asin q/q = Σ C(2k,k)/(4^k(2k+1))·q^2k, all terms positive, for q² < 2^-10:
// the rest after 13 terms is below 2^-129.
constexpr Series kAsinOverQ = [] {
    Series s{{}, 13};
    std::uint64_t central = 1;  // C(2k, k)
    for (int k = 0; k < 13; ++k) {
        s.c[k] = (U128(central) << (127 - 2 * k)) / static_cast<unsigned>(2 * k + 1);
        central = central * static_cast<unsigned>(2 * (2 * k + 1)) / static_cast<unsigned>(k + 1);
    }
    return s;
}();

// The series at t (Q0.128), in Q1.127.
U128 Sum(const Series& s, U128 t, bool alternating)
{
    U128 h = s.c[s.terms - 1];
    for (int k = s.terms - 2; k >= 0; --k)
        h = alternating ? s.c[k] - MulHigh(t, h) : s.c[k] + MulHigh(t, h);
    return h;
}

// ±value·2^exponent, within error units of 2^exponent of the true result.
struct Approximation {
    bool negative;
    U128 value;
    int exponent;
    U128 error;
};

std::optional<Extended> RoundIfSure(const Approximation& a)
{
    if (a.value <= a.error || a.value >= ~U128(0) - a.error)
        return std::nullopt;
    const Rounded low = RoundBits(a.value - a.error, a.exponent, false, kExtendedFormat);
    const Rounded high = RoundBits(a.value + a.error, a.exponent, false, kExtendedFormat);
    if (low.overflow || high.overflow || low.significand != high.significand || low.exponent != high.exponent)
        return std::nullopt;
    return Compose(a.negative, a.value, a.exponent, false);
}

// ±mantissa·2^exponent with the top bit of the mantissa set.
struct Float128 {
    bool negative;
    U128 mantissa;
    int exponent;
};

Float128 Normalized(const ExtendedParts& p)
{
    const int lead = std::countl_zero(p.significand);
    return {p.negative, U128(p.significand << lead) << 64, p.exponent - lead - 64};
}

// The 64-bit significand with its top bit set, and its exponent.
std::pair<std::uint64_t, int> Significand64(const ExtendedParts& p)
{
    const int lead = std::countl_zero(p.significand);
    return {p.significand << lead, p.exponent - lead};
}

// x² in Q0.128 for |x| < 1 (its exponent at most −128).
U128 SquareFixed(const Float128& x)
{
    const int shift = -2 * x.exponent - 256;
    return shift >= 128 ? 0 : MulHigh(x.mantissa, x.mantissa) >> shift;
}

// For |x| < 1 with a mantissa within 2 units of the true one: x² lies within
// 6 units of 2^-128, the series S(x²) within 64 of 2^-127 (see above), and
// x·S(x²) within 2 + 64 + 2 units of its last bit; S(x²) alone within 64.
constexpr U128 kSeriesError = 128;

Approximation OddSeries(const Float128& x, const Series& s, bool alternating)
{
    return {x.negative, MulHigh(x.mantissa, Sum(s, SquareFixed(x), alternating)), x.exponent + 1, kSeriesError};
}

Approximation EvenSeries(const Float128& x, const Series& s)
{
    return {false, Sum(s, SquareFixed(x), true), -127, kSeriesError};
}

// x = k·π/2 + r for 1/2 ≤ x < 2^20, in units of 2^-192 on four 64-bit limbs.
// x itself is exact there; k·⌊π/2·2^192⌋ lies less than k < 2^20 units below
// k·π/2. r is refused below 2^-40, so it keeps at least 152 bits, and its
// 128-bit mantissa lies within 1 + 2^20/2^24 < 2 units of the true r.
struct QuarterTurns {
    Float128 r;
    unsigned k;
};

std::optional<QuarterTurns> Reduce(std::uint64_t m, int e)
{
    const QuickConstants& constants = WideConstants();
    // k = x·2/π to the nearest: any error here only moves |r| a little past
    // π/4, which the series' range allows for.
    const U128 scaled = U128(m) * constants.twoOverPi;
    const auto k = static_cast<std::uint64_t>(((scaled >> (63 - e)) + 1) >> 1);
    const U128 top = U128(m) << (e + 192 - 128);
    std::uint64_t x[4] = {0, 0, static_cast<std::uint64_t>(top), static_cast<std::uint64_t>(top >> 64)};
    std::uint64_t carry = 0, borrow = 0;
    for (int i = 0; i < 4; ++i) {
        const U128 product = U128(k) * constants.piHalf192[i] + carry;
        carry = static_cast<std::uint64_t>(product >> 64);
        const U128 difference = U128(x[i]) - static_cast<std::uint64_t>(product) - borrow;
        x[i] = static_cast<std::uint64_t>(difference);
        borrow = static_cast<std::uint64_t>(difference >> 64) & 1;
    }
    const bool negative = (x[3] >> 63) != 0;
    if (negative) {  // two's complement
        std::uint64_t add = 1;
        for (std::uint64_t& limb : x) {
            limb = ~limb + add;
            add = add != 0 && limb == 0 ? 1 : 0;
        }
    }
    const U128 high = (U128(x[3]) << 64) | x[2], low = (U128(x[1]) << 64) | x[0];
    const int length = 128 + BitLength(high);
    if (length < 152)
        return std::nullopt;  // r below 2^-40: too close to a multiple of π/2
    const int shift = length - 128;
    return QuarterTurns{{negative, (high << (128 - shift)) | (low >> shift), shift - 192},
                        static_cast<unsigned>(k & 3)};
}

std::optional<Extended> SinOrCos(Extended x, bool cosine)
{
    if (IsNaN(x) || IsInf(x) || x == Extended(0))
        return std::nullopt;
    const ExtendedParts p = Decompose(x);
    const auto [m, e] = Significand64(p);
    if (e > -44)
        return std::nullopt;  // 2^20 and beyond
    QuarterTurns turns{Normalized(p), 0};
    turns.r.negative = false;
    if (e >= -64) {  // 1/2 and more
        const std::optional<QuarterTurns> reduced = Reduce(m, e);
        if (!reduced)
            return std::nullopt;
        turns = *reduced;
    }
    // cos x = sin(x + π/2); sin of −x is −sin x, cos of −x is cos x.
    const unsigned quadrant = turns.k + (cosine ? 1 : 0);
    Approximation a = quadrant % 2 == 0 ? OddSeries(turns.r, kSinOverR, true) : EvenSeries(turns.r, kCos);
    a.negative = (a.negative != (quadrant % 4 >= 2)) != (!cosine && p.negative);
    return RoundIfSure(a);
}

// atan(n/d) in Q1.127, for 0 ≤ n, d ≤ 2^123 with the larger at least 2^122,
// each within a unit of the true value (or exact). With c = j/16 the nearest
// sixteenth to the smaller ratio, atan(n/d) = atan c + atan z for
// z = (n − c·d)/(d + c·n), |z| ≤ 1/31. z comes within 3·2^6 + 1 units of
// 2^-128 (its quotient's parts within 3 units, over a divisor of at least
// 2^122), and atan c ± atan z within about 110 units of 2^-127 with the
// series and the table; π/2 less that within one more.
Approximation AtanOfRatio(bool negative, U128 n, U128 d)
{
    const QuickConstants& constants = WideConstants();
    const bool inverted = n > d;  // atan(n/d) = π/2 − atan(d/n)
    if (inverted)
        std::swap(n, d);
    const int shift = BitLength(d) - 59;
    const auto dTop = static_cast<std::uint64_t>(d >> shift), nTop = static_cast<std::uint64_t>(n >> shift);
    const unsigned j = static_cast<unsigned>((16 * nTop + dTop / 2) / dTop);
    const U128 cd = (j * d) >> 4, cn = (j * n) >> 4;  // j·d ≤ 2^127
    const bool below = n < cd;
    const U128 z = DivideFraction(below ? cd - n : n - cd, d + cn);
    const U128 atanZ = MulHigh(z, Sum(kAtanOverZ, MulHigh(z, z), true));
    U128 angle = below ? constants.atanSixteenths[j] - atanZ : constants.atanSixteenths[j] + atanZ;
    if (inverted)
        angle = constants.piHalf - angle;
    return {negative, angle, -127, 256};
}

} // namespace

std::optional<Extended> SinQuick(Extended x) { return SinOrCos(x, false); }
std::optional<Extended> CosQuick(Extended x) { return SinOrCos(x, true); }

std::optional<Extended> AtanQuick(Extended x)
{
    if (IsNaN(x) || IsInf(x) || x == Extended(0))
        return std::nullopt;
    const ExtendedParts p = Decompose(x);
    const auto [m, e] = Significand64(p);  // |x| in [2^(63+e), 2^(64+e))
    if (e <= -69)  // below 1/32: the series itself, to keep every bit of a tiny x
        return RoundIfSure(OddSeries(Normalized(p), kAtanOverZ, true));
    if (e >= -58) {
        // 32 and more: π/2 − atan(1/x), 1/x = ⌊2^190/m⌋·2^(-190-e) within 2
        // units of 2^-128.
        const int shift = 62 + e;
        const U128 inverse = shift >= 128 ? 0 : DivideFraction(U128(1) << 124, U128(m) << 62) >> shift;
        const U128 atanInverse = MulHigh(inverse, Sum(kAtanOverZ, MulHigh(inverse, inverse), true));
        return RoundIfSure({p.negative, WideConstants().piHalf - atanInverse, -127, 256});
    }
    // Both exact: x·2^122 over 2^122 below 1, m·2^59 over 2^(59−e) from 1 on.
    if (e <= -64)
        return RoundIfSure(AtanOfRatio(p.negative, U128(m) << (e + 122), U128(1) << 122));
    return RoundIfSure(AtanOfRatio(p.negative, U128(m) << 59, U128(1) << (59 - e)));
}

std::optional<Extended> AsinQuick(Extended x)
{
    if (IsNaN(x) || IsInf(x) || x == Extended(0))
        return std::nullopt;
    const ExtendedParts p = Decompose(x);
    const auto [m, e] = Significand64(p);
    if (e > -64)
        return std::nullopt;  // ±1 and beyond: the wide path says π/2 or NaN
    if (e <= -69)
        return RoundIfSure(OddSeries(Normalized(p), kAsinOverQ, false));
    // asin q = atan(q/√(1 − q²)), with q and the root in units of 2^-123.
    // 1 − q² = (2^(−2e) − m²)·2^(2e) is exact on 256 bits, and its root is
    // truncated once: within a unit.
    const U128 square = U128(m) * m;
    U128 high = (U128(1) << (-2 * e - 128)) - (square != 0 ? 1 : 0);
    U128 low = 0 - square;
    const int shift = 2 * e + 246;  // even, from 110 to 118
    high = (high << shift) | (low >> (128 - shift));
    low <<= shift;
    return RoundIfSure(AtanOfRatio(p.negative, U128(m) << (e + 123), SquareRootFloor(high, low)));
}

} // namespace snesenie::detail
