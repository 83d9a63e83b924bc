#pragma once

#include <cstddef>
#include <optional>
#include <string>
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

/// UTF-16, as Windows holds file names and command-line arguments, to UTF-8.
/// A lone surrogate becomes U+FFFD, so the result is always well-formed.
std::string Utf16ToUtf8(std::u16string_view text);

/// UTF-8 to UTF-16; a byte that NextCodePoint refuses becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

} // namespace snesenie
