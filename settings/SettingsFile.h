#pragma once

// The file under the settings store: reading it without ever blocking,
// writing it atomically, and the quoting of its values (the INI form the
// program has always kept its settings in: a text in double quotes with
// backslash escapes, a list as quoted texts joined by ", ").

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace snesenie::settings {

/// The whole file, or nothing with the reason in Russian in problem (and
/// nothing at all, problem empty, when there is no such file). Anything that
/// is not a regular file is refused without being read: a FIFO is opened
/// without waiting for a writer. A file longer than maxBytes is refused.
std::optional<std::string> ReadFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& problem);

/// Writes content to path atomically (temporary beside it, checked writes,
/// fsync, rename), creating its folder. A name that is not a regular file is
/// refused untouched. Returns an empty string, or the reason in Russian.
std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

/// Held while the settings file is read again and written, so that two
/// copies of the program saving at once take turns, and neither writes over
/// what the other has just saved. Creates the file's folder. Where no lock
/// can be had (a file system without locks) it is not waited for; a folder
/// that cannot be made is said in error.
class WriteLock {
public:
    WriteLock(const std::filesystem::path& file, std::string& error);
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    ~WriteLock();

private:
    int fd_ = -1;
};

/// A text as a value: in double quotes, with \\, \" and control characters
/// escaped.
std::string QuoteValue(std::string_view text);
/// A list of texts as a value.
std::string QuoteList(const std::vector<std::string>& texts);

/// The one text of a value: unquoted and unescaped if quoted, as it stands
/// (blanks at either end dropped) if not. A value left unquoted is never
/// split at its commas, so a tolerance written by hand as 0,01 reads as that.
std::string UnquoteValue(std::string_view value);
/// The texts of a list value: the items between commas outside quotes, each
/// read as UnquoteValue reads a value. An empty value is an empty list.
std::vector<std::string> UnquoteList(std::string_view value);

} // namespace snesenie::settings
