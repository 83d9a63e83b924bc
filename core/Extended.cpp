#include "Extended.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace snesenie {
namespace detail {

int BitLength(U128 m)
{
    const auto high = static_cast<std::uint64_t>(m >> 64);
    if (high != 0)
        return 128 - std::countl_zero(high);
    return 64 - std::countl_zero(static_cast<std::uint64_t>(m));
}

Rounded RoundBits(U128 m, int exponent, bool sticky, Format f)
{
    if (m == 0)
        return {false, 0, f.minExponent};  // only a sticky rest, far below the least subnormal
    const int n = BitLength(m);
    int shift = n - f.precision;
    if (exponent + shift < f.minExponent)
        shift = f.minExponent - exponent;  // gradual underflow: fewer bits at the least exponent
    U128 q = 0;
    if (shift <= 0) {
        q = m << -shift;
    } else if (shift > n) {
        q = 0;  // below half the least subnormal
    } else if (shift == n) {
        // Between half and one unit of the least subnormal: exactly half is a
        // tie, and 0 is the even neighbour.
        const bool half = m == U128(1) << (n - 1) && !sticky;
        q = half ? 0 : 1;
    } else {
        q = m >> shift;
        const U128 rest = m & ((U128(1) << shift) - 1);
        const U128 half = U128(1) << (shift - 1);
        if (rest > half || (rest == half && (sticky || (q & 1) != 0)))
            ++q;
    }
    int e = exponent + shift;
    if (q >> f.precision != 0) {  // rounded up to the next power of two
        q >>= 1;
        ++e;
    }
    if (q == 0)
        return {false, 0, f.minExponent};
    if (e > f.maxExponent)
        return {true, 0, 0};
    return {false, static_cast<std::uint64_t>(q), e};
}

} // namespace detail

#ifdef SNESENIE_EXTENDED_IS_SOFT

ExtendedParts Decompose(Extended x) { return {x.Negative(), x.Significand(), x.Exponent()}; }

Extended Compose(bool negative, U128 m, int exponent, bool sticky)
{
    const detail::Rounded r = detail::RoundBits(m, exponent, sticky, detail::kExtendedFormat);
    if (r.overflow)
        return SoftExtended::Infinity(negative);
    return SoftExtended::FromParts(negative, r.significand, r.exponent);
}

bool IsNaN(Extended x) { return x.Class() == SoftExtended::Kind::NaN; }
bool IsInf(Extended x) { return x.Class() == SoftExtended::Kind::Infinity; }
Extended Abs(Extended x) { return x.Negative() ? -x : x; }
Extended TruncWhole(Extended x) { return TruncToWhole(x); }
Extended RoundWhole(Extended x) { return RoundToWhole(x); }
Extended SquareRoot(Extended x) { return Sqrt(x); }

#else

// The bits of the x87 format as it lies in memory: the 64-bit significand
// with its explicit integer bit, then the sign and the 15-bit exponent biased
// by 16383. Read and written directly: through frexp and ldexp these two took
// a tenth of a batch's time.
static_assert(std::endian::native == std::endian::little, "the x87 format is read as it lies on x86");
constexpr int kBias = 16383;

ExtendedParts Decompose(Extended x)
{
    std::uint64_t m = 0;
    std::uint16_t signExponent = 0;
    std::memcpy(&m, &x, sizeof m);
    std::memcpy(&signExponent, reinterpret_cast<const unsigned char*>(&x) + sizeof m, sizeof signExponent);
    const bool negative = (signExponent >> 15) != 0;
    const int biased = signExponent & 0x7FFF;
    if (m == 0)
        return {negative, 0, -64};
    // A subnormal has the least exponent and no integer bit.
    return {negative, m, (biased == 0 ? 1 : biased) - kBias - 63};
}

Extended Compose(bool negative, U128 m, int exponent, bool sticky)
{
    const detail::Rounded r = detail::RoundBits(m, exponent, sticky, detail::kExtendedFormat);
    const int biased = r.exponent + kBias + 63;
    long double v = 0;
    if (r.overflow) {
        v = HUGE_VALL;
    } else if ((r.significand >> 63) != 0 && biased >= 1 && biased <= 0x7FFE) {
        const std::uint16_t signExponent = static_cast<std::uint16_t>(biased);
        std::memcpy(&v, &r.significand, sizeof r.significand);
        std::memcpy(reinterpret_cast<unsigned char*>(&v) + sizeof r.significand, &signExponent, sizeof signExponent);
    } else {
        v = std::ldexp(static_cast<long double>(r.significand), r.exponent);  // subnormal or zero
    }
    return negative ? -v : v;
}
Extended Abs(Extended x) { return std::fabs(x); }
Extended TruncWhole(Extended x) { return std::trunc(x); }
// nearbyint rounds in the current mode, which is never changed here: to
// nearest, ties to even.
Extended RoundWhole(Extended x) { return std::nearbyint(x); }
Extended SquareRoot(Extended x) { return std::sqrt(x); }
Extended RemainderOf(Extended x, Extended y) { return std::remainder(x, y); }

#endif

} // namespace snesenie
