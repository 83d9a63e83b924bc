#pragma once

#include "Extended.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace snesenie {

/// π rounded to a 64-bit significand: 3.14159265358979323851…
#ifdef SNESENIE_EXTENDED_IS_SOFT
inline const Extended kPi = Extended::FromParts(false, 0xC90FDAA22168C235, -62);
#else
inline constexpr Extended kPi = 3.14159265358979323846264338327950288L;
#endif

/// An extended value whose every operation is checked. Each +, −, ·, / is
/// rounded to the extended format on its own, and a result that is not a
/// finite number raises ArithmeticError at that very operation, so a step
/// that fails never gets as far as writing its field.
class Ext {
public:
    template <class T>
        requires std::is_arithmetic_v<T>
    constexpr Ext(T v) : v_(static_cast<Extended>(v)) {}
    constexpr Ext(Extended v) : v_(v) {}

    Extended Value() const { return v_; }

    // Inline, with the throwing kept out of line: a batch does these by the
    // million.
    friend Ext operator+(Ext a, Ext b) { return Checked(a.v_ + b.v_); }
    friend Ext operator-(Ext a, Ext b) { return Checked(a.v_ - b.v_); }
    friend Ext operator*(Ext a, Ext b) { return Checked(a.v_ * b.v_); }
    /// Throws DivisionByZero for x/0, InvalidOperation for 0/0.
    friend Ext operator/(Ext a, Ext b)
    {
        if (b.v_ == 0)
            ThrowDivisionByZero(a.v_);
        return Checked(a.v_ / b.v_);
    }
    friend bool operator<(Ext a, Ext b) { return a.v_ < b.v_; }
    friend bool operator==(Ext a, Ext b) { return a.v_ == b.v_; }

private:
    static Ext Checked(Extended r)
    {
        if (IsNaN(r) || IsInf(r)) [[unlikely]]
            ThrowNotFinite(r);
        return Ext(r);
    }
    [[noreturn]] static void ThrowNotFinite(Extended r);
    [[noreturn]] static void ThrowDivisionByZero(Extended numerator);

    Extended v_;
};

/// Rounds to double, as every stored value is. Throws Overflow when the value
/// is beyond the range of a double.
double Hold(Ext x);

/// Toward zero, to a signed 64-bit integer. Throws Overflow when out of range.
std::int64_t Trunc(Ext x);
/// To the nearest integer, ties to even (2.5 → 2, 3.5 → 4). Throws Overflow
/// when out of the signed 64-bit range.
std::int64_t Round(Ext x);
/// x − Trunc(x); keeps the sign of x.
Ext Frac(Ext x);
/// Trunc(x·scale)/scale: x cut toward zero to 1/scale (scale 100, 1000, 100000).
Ext TruncTo(Ext x, int scale);

/// Sine and cosine of an angle in decimal degrees, of the radian value π·a/180
/// (π times the angle first, then divided by 180), at extended precision.
Ext SinDeg(Ext degrees);
Ext CosDeg(Ext degrees);
/// atan(q) in decimal degrees, as atan(q)·180/π (times 180 first).
Ext AtanDeg(Ext q);
/// asin(q) in decimal degrees, as asin(q)·180/π. Throws InvalidOperation when
/// |q| > 1.
Ext AsinDeg(Ext q);
/// Square root, correctly rounded. Throws InvalidOperation below zero.
Ext Sqrt(Ext x);
Ext Abs(Ext x);
/// x − n·y, n the integer nearest x/y (ties to even): exact. Throws
/// InvalidOperation when y is zero.
Ext Remainder(Ext x, Ext y);

/// Reads a number as typed or pasted by the user: optional blanks, optional
/// sign, digits with at most one decimal separator, optional exponent (E or e,
/// optional sign, digits), optional blanks. The separator is the comma or the
/// point, whatever the system locale (6327.46 reads as 6327,46), never both;
/// blanks are spaces, tabs, line breaks and no-break spaces (U+00A0), and only
/// around the number. Anything else, the empty text and thousands grouping
/// included, throws ConversionError naming the text (with a hint when it is a
/// number in another convention); so does a number beyond the extended range.
Extended ParseNumber(std::string_view text);

/// Where the text holds «б», «Б», «ю» or «Ю», the letters the comma and point
/// keys type in the Russian layout (each two bytes), or npos.
std::size_t RussianSeparatorAt(std::string_view text);

/// The text without the blanks ParseNumber ignores around a number: spaces,
/// tabs, line breaks and no-break spaces (U+00A0), as a pasted spreadsheet
/// cell brings them. Blanks inside are kept.
std::string_view TrimBlanks(std::string_view text);

/// Prints with 15 significant digits, trailing zeros dropped, a comma only when
/// a fraction remains: 722,28; 9; -0,6033. Magnitudes below 0,0001 or of 16
/// and more integer digits print as 1,5E-5 or 1,23456789012346E20. Zero
/// prints as 0. Never prints a non-finite value.
std::string FormatNumber(Ext value);

/// A count and its noun in the form Russian gives it after that count: one
/// for 1, 21, 101; few for 2–4, 22–24; many for 0, 5–20, 111–114 and the
/// rest. CountOf(3, "ячейка", "ячейки", "ячеек") is "3 ячейки".
std::string CountOf(std::int64_t count, std::string_view one, std::string_view few, std::string_view many);

/// Decimal degrees from degrees, minutes, seconds as (s/60 + m)/60 + g, held
/// as a double.
double DmsToDegrees(double g, double m, double s);

/// Degrees, minutes and whole seconds: 82°7`51``. Each part is printed on its
/// own, so a negative angle carries a minus on every part and seconds that
/// round to 60 print as 60. Throws Overflow for angles of 10^15 degrees and
/// more, whose degrees would no longer print as a whole number.
std::string FormatDms(Ext degrees);
/// As FormatDms with seconds to a tenth: 189°57`8,6``, 189°57`9``.
std::string FormatDmsTenths(Ext degrees);

/// Direction angle of the line with coordinate differences dX, dY, in decimal
/// degrees from 0 up to 360, held as a double: the quadrant follows the signs
/// of both differences (a direction a hair west of north may round to 360
/// itself when held). A line along a grid axis gets exactly 0, 90, 180 or
/// 270. Throws ArithmeticError when both differences are zero.
double DirectionAngle(Ext dX, Ext dY);

} // namespace snesenie
