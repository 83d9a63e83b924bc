#pragma once

// The working number type, chosen in this one place. The digits of a hand
// computation sheet depend on every step being rounded to a 64-bit
// significand, so where long double is the x87 80-bit format the machine does
// the arithmetic, and everywhere else (aarch64, Apple, MSVC) SoftExtended does
// the same in integer arithmetic. -DSNESENIE_SOFT_EXTENDED=ON picks the
// software type on x86 too, so both are built and tested on one machine.

#include "SoftExtended.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace snesenie {

#if defined(SNESENIE_SOFT_EXTENDED) || LDBL_MANT_DIG != 64 || LDBL_MAX_EXP != 16384
#define SNESENIE_EXTENDED_IS_SOFT 1
using Extended = SoftExtended;
inline constexpr bool kSoftExtended = true;
#else
using Extended = long double;
inline constexpr bool kSoftExtended = false;
static_assert(std::numeric_limits<Extended>::digits == 64, "the native path needs the x87 extended format");
#endif

using U128 = unsigned __int128;

/// A finite extended value taken apart exactly: ±significand·2^exponent.
struct ExtendedParts {
    bool negative;
    std::uint64_t significand;
    int exponent;
};

ExtendedParts Decompose(Extended finite);
/// ±m·2^exponent, with sticky saying that more non-zero bits lie below m,
/// rounded to nearest (ties to even) into the extended format, gradual
/// underflow included; an infinity when beyond its range.
Extended Compose(bool negative, U128 m, int exponent, bool sticky);

#ifdef SNESENIE_EXTENDED_IS_SOFT
bool IsNaN(Extended x);
bool IsInf(Extended x);
#else
// Inline: every checked operation asks both.
inline bool IsNaN(Extended x) { return std::isnan(x); }
inline bool IsInf(Extended x) { return std::isinf(x); }
#endif
Extended Abs(Extended x);
/// Toward zero and to the nearest (ties to even), as whole numbers: exact.
Extended TruncWhole(Extended x);
Extended RoundWhole(Extended x);
/// Correctly rounded, as the x87's own square root is.
Extended SquareRoot(Extended x);
/// x − n·y with n the integer nearest x/y (ties to even): exact.
Extended RemainderOf(Extended x, Extended y);

/// sin, cos, atan and asin correctly rounded to the extended format: first in
/// 128-bit integers with a proven error bound, and where that bound cannot
/// decide the rounding, with 192 guard bits; rounded once either way. The
/// same functions serve both types, so both print the same digits.
Extended SinRounded(Extended radians);
Extended CosRounded(Extended radians);
Extended AtanRounded(Extended x);
Extended AsinRounded(Extended x);

/// ±digits·10^exponent10 (digits a non-empty run of 0–9) correctly rounded to
/// the extended format; an infinity when beyond its range.
Extended DecimalToExtended(bool negative, const std::string& digits, long long exponent10);

/// The 15 significant digits of a finite non-zero |v|, correctly rounded with
/// ties to even, and the decimal exponent of the first: from the exact decimal
/// expansion, so any magnitude the format holds prints right.
struct SignificantDigits {
    std::string digits;
    int exponent;
};
SignificantDigits ExactDigits15(Extended finite);

namespace detail {

struct Format {
    int precision;    // significand bits
    int minExponent;  // exponent of the least subnormal's bit
    int maxExponent;  // exponent of the last bit of the largest finite value
};
inline constexpr Format kExtendedFormat{64, -16445, 16320};
inline constexpr Format kDoubleFormat{53, -1074, 971};

/// m·2^exponent plus sticky rounded to f: significand 0 is a zero.
struct Rounded {
    bool overflow;
    std::uint64_t significand;
    int exponent;
};
Rounded RoundBits(U128 m, int exponent, bool sticky, Format f);
int BitLength(U128 m);

} // namespace detail
} // namespace snesenie
