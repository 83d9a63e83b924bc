#pragma once

#include <cstdint>
#include <type_traits>

namespace snesenie {

/// The 80-bit extended format done in integer arithmetic, for machines whose
/// long double is something else: a 64-bit significand with an explicit
/// integer bit, exponents from −16382 to 16383 with gradual underflow below,
/// and every +, −, ·, /, square root and conversion rounded to nearest, ties
/// to even, exactly as the x87 rounds in its extended precision. Overflow
/// gives an infinity and an invalid operation a NaN, as there; the checked
/// wrapper Ext turns both into errors.
class SoftExtended {
public:
    enum class Kind : std::uint8_t { Zero, Finite, Infinity, NaN };

    constexpr SoftExtended() = default;
    SoftExtended(double v);
    SoftExtended(long double v);
    template <class T>
        requires std::is_integral_v<T>
    SoftExtended(T v)
    {
        if constexpr (std::is_signed_v<T>)
            *this = FromInteger(v < 0, v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v));
        else
            *this = FromInteger(false, static_cast<std::uint64_t>(v));
    }
    SoftExtended(float v) : SoftExtended(static_cast<double>(v)) {}

    /// ±significand·2^exponent, both given exactly: the significand's set bits
    /// must fit the format (the caller rounds first).
    static SoftExtended FromParts(bool negative, std::uint64_t significand, int exponent);
    static SoftExtended Infinity(bool negative);
    static SoftExtended NaN();

    Kind Class() const { return kind_; }
    bool Negative() const { return negative_; }
    /// Finite values are ±Significand()·2^Exponent(): normal ones with the top
    /// bit of the significand set, subnormal ones at the least exponent.
    std::uint64_t Significand() const { return significand_; }
    int Exponent() const { return exponent_; }

    /// Rounded to nearest, ties to even, with the double's own gradual
    /// underflow; beyond its range an infinity.
    explicit operator double() const;
    /// Exact where long double holds at least 64 bits of significand.
    explicit operator long double() const;
    /// Toward zero; the caller has checked the range.
    explicit operator std::int64_t() const;

    SoftExtended operator-() const;
    friend SoftExtended operator+(SoftExtended a, SoftExtended b);
    friend SoftExtended operator-(SoftExtended a, SoftExtended b) { return a + -b; }
    friend SoftExtended operator*(SoftExtended a, SoftExtended b);
    friend SoftExtended operator/(SoftExtended a, SoftExtended b);
    SoftExtended& operator+=(SoftExtended b) { return *this = *this + b; }
    SoftExtended& operator-=(SoftExtended b) { return *this = *this - b; }
    SoftExtended& operator*=(SoftExtended b) { return *this = *this * b; }
    SoftExtended& operator/=(SoftExtended b) { return *this = *this / b; }

    // Ordered as IEEE values are: a NaN compares unequal and unordered, and
    // +0 equals −0.
    friend bool operator==(SoftExtended a, SoftExtended b);
    friend bool operator<(SoftExtended a, SoftExtended b);
    friend bool operator>(SoftExtended a, SoftExtended b) { return b < a; }
    friend bool operator<=(SoftExtended a, SoftExtended b) { return a < b || a == b; }
    friend bool operator>=(SoftExtended a, SoftExtended b) { return b < a || a == b; }

private:
    static SoftExtended FromInteger(bool negative, std::uint64_t magnitude);

    bool negative_ = false;
    Kind kind_ = Kind::Zero;
    std::int32_t exponent_ = 0;
    std::uint64_t significand_ = 0;
};

SoftExtended Sqrt(SoftExtended x);
/// Toward zero, and to the nearest integer with ties to even; both exact.
SoftExtended TruncToWhole(SoftExtended x);
SoftExtended RoundToWhole(SoftExtended x);

} // namespace snesenie
