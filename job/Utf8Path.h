#pragma once

// File names as the program holds them (UTF-8 text: typed, given on the
// command line, kept in the recent list) and as the system takes them. On
// Linux a name is its bytes; on Windows it is UTF-16, and the C library's
// own narrow conversion goes through the ANSI code page, which turns a
// Cyrillic name into another one or refuses it. Every path made from our text
// and every path shown in a message passes through these two.

#include <filesystem>
#include <string>
#include <string_view>

namespace snesenie::job {

/// The path named by UTF-8 text. Where names are bytes (POSIX) the bytes are
/// taken as they are, well-formed or not; where they are UTF-16 (Windows) a
/// byte that is not UTF-8 becomes U+FFFD, so that no text makes it throw.
std::filesystem::path PathFromUtf8(std::string_view text);

/// The path as UTF-8 text, for a message or a stored list. Never throws: on
/// Windows a lone surrogate in a name becomes U+FFFD.
std::string PathToUtf8(const std::filesystem::path& path);

} // namespace snesenie::job
