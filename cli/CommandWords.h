#pragma once

// Words handed to another program and what comes back from it, the same on
// every system, so that the command line and its tests start programs by one
// rule.

#include <string>
#include <string_view>
#include <vector>

namespace snesenie::cli {

/// One word of a Windows command line, UTF-8 in, UTF-16 out, quoted so that
/// the program's CommandLineToArgvW reads back exactly the word: the quotes
/// escaped, and the backslashes escaped only where a quote follows them.
std::wstring CommandLineWord(std::string_view utf8);

/// A program's output parted at its line breaks (LF or CR LF); no empty last
/// line for a text that ends with one.
std::vector<std::string> OutputLines(std::string_view text);

} // namespace snesenie::cli
