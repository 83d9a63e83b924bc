#include "SoftExtended.h"

#include "Extended.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace snesenie {

using detail::BitLength;
using detail::kDoubleFormat;
using detail::kExtendedFormat;
using detail::RoundBits;
using Kind = SoftExtended::Kind;

namespace {

SoftExtended Zero(bool negative)
{
    return negative ? -SoftExtended() : SoftExtended();
}

SoftExtended Round(bool negative, U128 m, int exponent, bool sticky)
{
    const detail::Rounded r = RoundBits(m, exponent, sticky, kExtendedFormat);
    if (r.overflow)
        return SoftExtended::Infinity(negative);
    return SoftExtended::FromParts(negative, r.significand, r.exponent);
}

// The magnitude of a finite value as a normalised pair: the top bit of the
// significand set, the exponent lowered to match for a subnormal.
struct Normal {
    std::uint64_t m;
    int e;
};

Normal Normalised(SoftExtended x)
{
    const int lead = std::countl_zero(x.Significand());
    return {x.Significand() << lead, x.Exponent() - lead};
}

// |a| < |b| for finite non-zero values of the canonical form, where a normal
// value's top bit is set and a subnormal one sits at the least exponent.
bool MagnitudeBelow(SoftExtended a, SoftExtended b)
{
    if (a.Exponent() != b.Exponent())
        return a.Exponent() < b.Exponent();
    return a.Significand() < b.Significand();
}

} // namespace

SoftExtended SoftExtended::FromParts(bool negative, std::uint64_t significand, int exponent)
{
    SoftExtended x;
    x.negative_ = negative;
    if (significand == 0)
        return x;
    // Canonical form: normalised, unless that would go below the least exponent.
    const int lead = std::countl_zero(significand);
    int shift = lead;
    if (exponent - shift < kExtendedFormat.minExponent)
        shift = exponent - kExtendedFormat.minExponent;
    x.kind_ = Kind::Finite;
    x.significand_ = significand << shift;
    x.exponent_ = exponent - shift;
    return x;
}

SoftExtended SoftExtended::Infinity(bool negative)
{
    SoftExtended x;
    x.negative_ = negative;
    x.kind_ = Kind::Infinity;
    return x;
}

SoftExtended SoftExtended::NaN()
{
    SoftExtended x;
    x.kind_ = Kind::NaN;
    return x;
}

SoftExtended SoftExtended::FromInteger(bool negative, std::uint64_t magnitude)
{
    return FromParts(negative, magnitude, 0);
}

SoftExtended::SoftExtended(double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const bool negative = (bits >> 63) != 0;
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t(1) << 52) - 1);
    if (biased == 0x7FF)
        *this = fraction != 0 ? NaN() : Infinity(negative);
    else if (biased == 0)
        *this = FromParts(negative, fraction, -1074);
    else
        *this = FromParts(negative, fraction | (std::uint64_t(1) << 52), biased - 1075);
}

SoftExtended::SoftExtended(long double v)
{
    if (std::isnan(v)) {
        *this = NaN();
    } else if (std::isinf(v)) {
        *this = Infinity(std::signbit(v));
    } else if (v == 0) {
        *this = Zero(std::signbit(v));
    } else {
        // Whatever the width of long double: the top 64 bits of its
        // significand, then the rest only as far as rounding needs it.
        int e = 0;
        const long double f = std::ldexp(std::frexp(std::fabs(v), &e), 64);
        const long double top = std::trunc(f);
        const long double rest = f - top;  // exact, in [0, 1)
        U128 m = U128(static_cast<std::uint64_t>(top)) << 2;
        if (rest >= 0.5L) {
            m |= 2;
            if (rest != 0.5L)
                m |= 1;
        } else if (rest != 0) {
            m |= 1;
        }
        *this = Round(std::signbit(v), m, e - 66, false);
    }
}

SoftExtended::operator double() const
{
    switch (kind_) {
    case Kind::NaN:
        return std::numeric_limits<double>::quiet_NaN();
    case Kind::Infinity:
        return negative_ ? -HUGE_VAL : HUGE_VAL;
    case Kind::Zero:
        return negative_ ? -0.0 : 0.0;
    case Kind::Finite:
        break;
    }
    const detail::Rounded r = RoundBits(significand_, exponent_, false, kDoubleFormat);
    const double v = r.overflow ? HUGE_VAL : std::ldexp(static_cast<double>(r.significand), r.exponent);
    return negative_ ? -v : v;
}

SoftExtended::operator long double() const
{
    switch (kind_) {
    case Kind::NaN:
        return std::numeric_limits<long double>::quiet_NaN();
    case Kind::Infinity:
        return negative_ ? -HUGE_VALL : HUGE_VALL;
    case Kind::Zero:
        return negative_ ? -0.0L : 0.0L;
    case Kind::Finite:
        break;
    }
    const long double v = std::ldexp(static_cast<long double>(significand_), exponent_);
    return negative_ ? -v : v;
}

SoftExtended::operator std::int64_t() const
{
    const SoftExtended whole = TruncToWhole(*this);
    if (whole.kind_ != Kind::Finite)
        return 0;
    const std::uint64_t magnitude = whole.exponent_ >= 0 ? whole.significand_ << whole.exponent_
                                                         : whole.significand_ >> -whole.exponent_;
    return negative_ ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
}

SoftExtended SoftExtended::operator-() const
{
    SoftExtended x = *this;
    x.negative_ = !x.negative_;
    return x;
}

SoftExtended operator+(SoftExtended a, SoftExtended b)
{
    if (a.kind_ == Kind::NaN || b.kind_ == Kind::NaN)
        return SoftExtended::NaN();
    if (a.kind_ == Kind::Infinity || b.kind_ == Kind::Infinity) {
        if (a.kind_ == Kind::Infinity && b.kind_ == Kind::Infinity && a.negative_ != b.negative_)
            return SoftExtended::NaN();
        return a.kind_ == Kind::Infinity ? a : b;
    }
    if (a.kind_ == Kind::Zero && b.kind_ == Kind::Zero)
        return Zero(a.negative_ && b.negative_);
    if (a.kind_ == Kind::Zero)
        return b;
    if (b.kind_ == Kind::Zero)
        return a;
    if (MagnitudeBelow(a, b))
        std::swap(a, b);
    // a's significand sits at bits 63–126, leaving a bit for the carry; b is
    // shifted down beside it, and what falls off the bottom is only sticky.
    const U128 ma = U128(a.significand_) << 63;
    const int exponent = a.exponent_ - 63;
    const int d = a.exponent_ - b.exponent_;
    U128 mb = 0;
    bool sticky = false;
    if (d < 127) {
        const U128 wide = U128(b.significand_) << 63;
        mb = wide >> d;
        sticky = d > 0 && (wide & ((U128(1) << d) - 1)) != 0;
    } else {
        sticky = true;
    }
    if (a.negative_ == b.negative_)
        return Round(a.negative_, ma + mb, exponent, sticky);
    // A sticky rest of b makes the difference a little smaller than ma − mb:
    // one unit less, with the rest of that unit sticky.
    const U128 m = ma - mb - (sticky ? 1 : 0);
    if (m == 0 && !sticky)
        return SoftExtended();  // x − x is +0 when rounding to nearest
    return Round(a.negative_, m, exponent, sticky);
}

SoftExtended operator*(SoftExtended a, SoftExtended b)
{
    const bool negative = a.negative_ != b.negative_;
    if (a.kind_ == Kind::NaN || b.kind_ == Kind::NaN)
        return SoftExtended::NaN();
    if (a.kind_ == Kind::Infinity || b.kind_ == Kind::Infinity) {
        if (a.kind_ == Kind::Zero || b.kind_ == Kind::Zero)
            return SoftExtended::NaN();
        return SoftExtended::Infinity(negative);
    }
    if (a.kind_ == Kind::Zero || b.kind_ == Kind::Zero)
        return Zero(negative);
    return Round(negative, U128(a.significand_) * b.significand_, a.exponent_ + b.exponent_, false);
}

SoftExtended operator/(SoftExtended a, SoftExtended b)
{
    const bool negative = a.negative_ != b.negative_;
    if (a.kind_ == Kind::NaN || b.kind_ == Kind::NaN)
        return SoftExtended::NaN();
    if (a.kind_ == Kind::Infinity)
        return b.kind_ == Kind::Infinity ? SoftExtended::NaN() : SoftExtended::Infinity(negative);
    if (b.kind_ == Kind::Infinity)
        return Zero(negative);
    if (b.kind_ == Kind::Zero)
        return a.kind_ == Kind::Zero ? SoftExtended::NaN() : SoftExtended::Infinity(negative);
    if (a.kind_ == Kind::Zero)
        return Zero(negative);
    const Normal na = Normalised(a), nb = Normalised(b);
    // 64 or 65 quotient bits, then two more and the remainder's sticky bit:
    // enough to round once, correctly.
    const U128 q = (U128(na.m) << 64) / nb.m;
    const U128 r = (U128(na.m) << 64) % nb.m;
    const U128 low = (r << 2) / nb.m;
    const bool sticky = (r << 2) % nb.m != 0;
    return Round(negative, (q << 2) | low, na.e - nb.e - 66, sticky);
}

bool operator==(SoftExtended a, SoftExtended b)
{
    if (a.kind_ == Kind::NaN || b.kind_ == Kind::NaN)
        return false;
    if (a.kind_ == Kind::Zero || b.kind_ == Kind::Zero)
        return a.kind_ == b.kind_;
    return a.negative_ == b.negative_ && a.kind_ == b.kind_ && a.exponent_ == b.exponent_ &&
           a.significand_ == b.significand_;
}

bool operator<(SoftExtended a, SoftExtended b)
{
    if (a.kind_ == Kind::NaN || b.kind_ == Kind::NaN)
        return false;
    if (a.kind_ == Kind::Zero && b.kind_ == Kind::Zero)
        return false;
    if (a.kind_ == Kind::Zero)
        return !b.negative_;
    if (b.kind_ == Kind::Zero)
        return a.negative_;
    if (a.negative_ != b.negative_)
        return a.negative_;
    // Same sign: compare magnitudes, an infinity above every finite value.
    bool below = false;
    if (a.kind_ == Kind::Infinity || b.kind_ == Kind::Infinity)
        below = a.kind_ != Kind::Infinity && b.kind_ == Kind::Infinity;
    else
        below = MagnitudeBelow(a, b);
    const bool above = !below && !(a == b);
    return a.negative_ ? above : below;
}

SoftExtended Sqrt(SoftExtended x)
{
    if (x.Class() == Kind::NaN || (x.Negative() && x.Class() != Kind::Zero))
        return SoftExtended::NaN();
    if (x.Class() != Kind::Finite)
        return x;
    Normal n = Normalised(x);
    // An even exponent, and a radicand of 127 or 128 bits whose root has 64.
    U128 radicand = U128(n.m) << 64;
    int e = n.e - 64;
    if ((e & 1) != 0) {
        radicand >>= 1;
        e += 1;
    }
    // Bit by bit: slow beside the hardware, but the root is rarely asked for.
    U128 root = 0, rest = radicand;
    for (int bit = 63; bit >= 0; --bit) {
        const U128 trial = (root << (bit + 1)) + (U128(1) << (2 * bit));
        if (rest >= trial) {
            rest -= trial;
            root |= U128(1) << bit;
        }
    }
    // rest = radicand − root², at most 2·root. The root lies above root + ½
    // exactly when rest > root; it is never exactly halfway.
    const bool up = rest > root;
    const U128 m = (root << 1) | (up ? 1 : 0);
    return Round(false, m, e / 2 - 1, rest != 0);
}

SoftExtended TruncToWhole(SoftExtended x)
{
    if (x.Class() != Kind::Finite || x.Exponent() >= 0)
        return x;
    if (x.Exponent() <= -64)
        return Zero(x.Negative());
    const int k = -x.Exponent();
    return SoftExtended::FromParts(x.Negative(), (x.Significand() >> k) << k, x.Exponent());
}

SoftExtended RoundToWhole(SoftExtended x)
{
    if (x.Class() != Kind::Finite || x.Exponent() >= 0)
        return x;
    if (x.Exponent() < -64)
        return Zero(x.Negative());  // below ½
    const int k = -x.Exponent();
    const U128 m = x.Significand();
    U128 q = m >> k;
    const U128 rest = m & ((U128(1) << k) - 1);
    const U128 half = U128(1) << (k - 1);
    if (rest > half || (rest == half && (q & 1) != 0))
        ++q;
    if (q == 0)
        return Zero(x.Negative());
    return Round(x.Negative(), q, 0, false);
}

} // namespace snesenie
