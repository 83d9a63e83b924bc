#include "CheckColumns.h"

#include "Errors.h"
#include "Numbers.h"

#include <string>
#include <string_view>

namespace snesenie::batch {
namespace {

// The number at the start of text, up to the first character that is none
// of a number's.
std::string_view Leading(std::string_view text)
{
    const std::size_t end = text.find_first_not_of("-0123456789,E");
    return text.substr(0, end);
}

// An angle as FormatDmsTenths prints it, 26°37`28,1``, in decimal degrees.
std::string Degrees(std::string_view text)
{
    const std::size_t deg = text.find("°");
    if (deg == std::string_view::npos)
        return {};
    const std::string_view rest = text.substr(deg + std::string_view("°").size());
    const std::size_t minute = rest.find('`');
    if (minute == std::string_view::npos)
        return {};
    const std::string_view seconds = Leading(rest.substr(minute + 1));
    const double g = static_cast<double>(ParseNumber(text.substr(0, deg)));
    const double m = static_cast<double>(ParseNumber(rest.substr(0, minute)));
    const double s = static_cast<double>(ParseNumber(seconds));
    // Tenths of a second are some 3·10⁻⁵ of a degree: seven decimals keep them.
    return FormatNumber(Ext(Round(Ext(DmsToDegrees(g, m, s)) * 10000000)) / 10000000);
}

std::string Number(const Check& check)
{
    const std::string_view value = check.value;
    if (check.name == "D") {
        const std::size_t ratio = value.find("(1:");
        if (ratio == std::string_view::npos)
            return value.find("больше") != std::string_view::npos ? "0" : "";
        // N is printed in groups of three parted by no-break spaces (1:12 345).
        std::string digits(value.substr(ratio + 3));
        for (std::size_t at; (at = digits.find("\u00A0")) != std::string::npos;)
            digits.erase(at, std::string_view("\u00A0").size());
        return std::string(Leading(digits));
    }
    if (check.name == "GAMMA1" || check.name == "GAMMA2")
        return Degrees(value);
    if (check.name == "AP" || check.name == "P" || check.name == "RIGOROUS") {
        const std::string_view number = Leading(value);
        // A value that is no number (a check that could not be computed)
        // has none to give.
        if (number.empty() || number == "-")
            return {};
        ParseNumber(number);
        return std::string(number);
    }
    return {};
}

} // namespace

std::string CheckNumber(const Check& check, char decimal)
{
    try {
        return WithDecimal(Number(check), decimal);
    } catch (const CalcError&) {
        return {};
    }
}

std::string WithDecimal(std::string number, char decimal)
{
    for (char& c : number)
        if (c == ',')
            c = decimal;
    return number;
}

} // namespace snesenie::batch
