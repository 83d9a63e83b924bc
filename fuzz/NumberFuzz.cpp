// ParseNumber and FormatNumber on anything: a typed text either reads as a
// finite number or is refused with a conversion error naming it; every
// number prints in canonical form and its 15 digits read back to a number
// that prints the same.

#include "FuzzChecks.h"

#include <cfloat>
#include <cstdint>
#include <cstring>

using namespace snesenie;

namespace {

void CheckRoundTrip(Extended v)
{
    const std::string text = FormatNumber(v);
    fuzz::CheckNumberText(text);
    // Below the normal range fewer than 15 digits are held, so only normal
    // numbers must come back within half a unit of the fifteenth digit.
    if (std::fabs(v) >= LDBL_MIN) {
        const Extended back = ParseNumber(text);
        fuzz::Require(std::fabs(back - v) <= 5.01e-15L * std::fabs(v), "15 digits far from the number", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const Extended v = ParseNumber(text);
        fuzz::Require(std::isfinite(v), "read a non-finite number", text);
        CheckRoundTrip(v);
        CheckRoundTrip(-v);
        // as a value is held between steps
        try {
            CheckRoundTrip(Hold(v));
        } catch (const ArithmeticError& e) {
            fuzz::Require(e.Fault() == ArithmeticFault::Overflow && std::fabs(v) > 1e308L, "held wrongly", text);
        }
    } catch (const ConversionError& e) {
        fuzz::Require(e.Text() == text, "conversion error names another text", text);
        fuzz::CheckMessage(e.what());
    }

    // The same bytes as an extended number: 64 bits of significand and an
    // exponent over the whole range, denormals included.
    if (size >= 10) {
        std::uint64_t significand = 0;
        std::int16_t exponent = 0;
        std::memcpy(&significand, data, 8);
        std::memcpy(&exponent, data + 8, 2);
        const Extended v = std::ldexp(static_cast<Extended>(significand), exponent % 16500 - 63);
        if (std::isfinite(v))
            CheckRoundTrip(v);
    }
    return 0;
}
