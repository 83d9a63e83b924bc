#pragma once

// What must hold whatever text a field holds: checked by both fuzz targets.
// A broken rule prints what broke and aborts, which libFuzzer reports as a
// crash together with the input that caused it.

#include "Errors.h"
#include "Numbers.h"
#include "Utf8.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void Broken(const std::string& rule, std::string_view detail)
{
    std::fprintf(stderr, "broken: %s: %s\n", rule.c_str(), snesenie::QuoteText(detail).c_str());
    std::abort();
}

inline void Require(bool ok, const std::string& rule, std::string_view detail = {})
{
    if (!ok)
        Broken(rule, detail);
}

/// A message shown to the user: well-formed UTF-8, no control or invisible
/// character, and short whatever the text it quotes.
inline void CheckMessage(std::string_view message)
{
    Require(snesenie::IsValidUtf8(message), "message is not UTF-8", message);
    Require(message.size() < 1200, "message too long", message);
    for (std::size_t i = 0; i < message.size();)
        Require(!snesenie::IsControlOrInvisible(*snesenie::NextCodePoint(message, i)),
                "raw control or invisible character in a message", message);
}

/// A printed number is in the one form FormatNumber writes: it reads back,
/// and what it reads back as prints the same text again.
inline void CheckNumberText(const std::string& text)
{
    Require(!text.empty() && text.size() <= 23, "number text of odd length", text);
    snesenie::Extended v = 0;
    try {
        v = snesenie::ParseNumber(text);
    } catch (const snesenie::ConversionError&) {
        Broken("printed number does not read back", text);
    }
    Require(std::isfinite(v), "printed number is not finite", text);
    Require(snesenie::FormatNumber(v) == text, "printed number is not in canonical form", text);
}

} // namespace fuzz
