#pragma once

// The two ways to the correctly rounded sin, cos, atan and asin of Extended.
// The quick one works in 128-bit integers with a proven error bound and says
// when that bound leaves the rounding open; the wide one works at 256 bits
// and always decides. SinRounded and the others try the first, then the
// second, so both give the same bits; the tests hold them to each other.

#include "Extended.h"

#include <cstdint>
#include <optional>

namespace snesenie::detail {

/// The correctly rounded value, or nothing where the quick evaluation cannot
/// be sure of it: next to a rounding boundary, for zeros and non-finite
/// arguments, for sin and cos of 2^20 and more or within 2^-40 of a multiple
/// of π/2, and for asin at and beyond ±1.
std::optional<Extended> SinQuick(Extended radians);
std::optional<Extended> CosQuick(Extended radians);
std::optional<Extended> AtanQuick(Extended x);
std::optional<Extended> AsinQuick(Extended x);

/// The same at 256 bits: always the correctly rounded value (a NaN for asin
/// beyond ±1).
Extended SinWide(Extended radians);
Extended CosWide(Extended radians);
Extended AtanWide(Extended x);
Extended AsinWide(Extended x);

/// The constants of the quick path, each truncated toward zero from its
/// 256-bit value, so each lies less than a unit of its last bit below the
/// true value.
struct QuickConstants {
    std::uint64_t piHalf192[4];  // ⌊π/2·2^192⌋, least significant limb first
    U128 piHalf;                 // ⌊π/2·2^127⌋
    U128 atanSixteenths[17];     // ⌊atan(j/16)·2^127⌋, j = 0…16
    std::uint64_t twoOverPi;     // ⌊2/π·2^64⌋
};
const QuickConstants& WideConstants();

} // namespace snesenie::detail
