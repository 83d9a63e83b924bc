#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace snesenie {

/// The code point that starts at text[i], moving i past it. Only well-formed
/// UTF-8 is decoded: an overlong form, a surrogate (U+D800–U+DFFF), a code
/// point above U+10FFFF, a lead byte C0, C1 or F5–FF, a stray continuation
/// byte or a sequence cut short gives nullopt and moves i on by one byte.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& i);

/// Whether the whole text is well-formed UTF-8 in the sense of NextCodePoint.
bool IsValidUtf8(std::string_view text);

/// Characters a terminal or a message box would act on or not show at all:
/// C0 and C1 controls, DEL, the byte-order mark, zero-width and bidirectional
/// formatting characters, separators of lines and paragraphs, tags.
bool IsControlOrInvisible(char32_t c);

} // namespace snesenie
