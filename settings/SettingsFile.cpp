#include "SettingsFile.h"

#include "SafeFile.h"
#include "SystemReason.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <cctype>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

namespace snesenie::settings {
namespace {

char Hex(unsigned v) { return "0123456789abcdef"[v & 0xF]; }

// One item of a value from position i: a quoted text up to its closing
// quote, or bare text up to the next comma (or the end, when bare commas do
// not split).
std::string ReadItem(std::string_view v, std::size_t& i, bool splitAtComma)
{
    while (i < v.size() && (v[i] == ' ' || v[i] == '\t'))
        ++i;
    std::string out;
    if (i < v.size() && v[i] == '"') {
        ++i;
        while (i < v.size() && v[i] != '"') {
            char c = v[i++];
            if (c == '\\' && i < v.size()) {
                c = v[i++];
                switch (c) {
                case 'n': out += '\n'; break;
                case 't': out += '\t'; break;
                case 'r': out += '\r'; break;
                case '0': out += '\0'; break;
                case 'x': {
                    unsigned code = 0;
                    int digits = 0;
                    while (i < v.size() && digits < 4 && std::isxdigit(static_cast<unsigned char>(v[i]))) {
                        const char h = v[i++];
                        code = code * 16 + static_cast<unsigned>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
                        ++digits;
                    }
                    // A code point of the Basic Multilingual Plane, as UTF-8.
                    if (code < 0x80) {
                        out += static_cast<char>(code);
                    } else if (code < 0x800) {
                        out += static_cast<char>(0xC0 | (code >> 6));
                        out += static_cast<char>(0x80 | (code & 0x3F));
                    } else {
                        out += static_cast<char>(0xE0 | (code >> 12));
                        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                        out += static_cast<char>(0x80 | (code & 0x3F));
                    }
                    break;
                }
                default: out += c; break;
                }
            } else {
                out += c;
            }
        }
        if (i < v.size())
            ++i;  // the closing quote
        while (i < v.size() && v[i] != ',')
            ++i;
        return out;
    }
    const std::size_t start = i;
    while (i < v.size() && !(splitAtComma && v[i] == ','))
        ++i;
    out.assign(v.substr(start, i - start));
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t'))
        out.pop_back();
    return out;
}

} // namespace

std::optional<std::string> ReadFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& problem)
{
    problem.clear();
    // No file yet is no problem: the defaults stand.
    std::error_code ignored;
    if (std::filesystem::symlink_status(path, ignored).type() == std::filesystem::file_type::not_found)
        return std::nullopt;
    // The one reader of the program's files: a FIFO or device is refused at
    // once, without waiting for a writer that never comes.
    try {
        std::string content = job::ReadRegularFile(path, maxBytes);
        if (content.size() > maxBytes) {
            problem = "файл длиннее " + std::to_string(maxBytes / 1024) + "\u00A0КиБ, это не файл настроек";
            return std::nullopt;
        }
        return content;
    } catch (const job::FileError& e) {
        problem = e.what();
        return std::nullopt;
    }
}

std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view content)
{
    // The settings folder may not exist yet on a new account.
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    if (error)
        return job::SystemReason(error);
    try {
        job::WriteFileAtomically(path, content);
    } catch (const job::FileError& e) {
        return e.what();
    }
    return {};
}

WriteLock::WriteLock(const std::filesystem::path& file, std::string& error)
{
    error.clear();
    std::error_code made;
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), made);
    if (made) {
        error = job::SystemReason(made);
        return;
    }
#ifndef _WIN32
    // The lock is on the folder: the file itself is replaced by each save,
    // and a lock file of its own would be one more file to leave behind.
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    // A copy of the program stopped in the middle of a save (a debugger, a
    // frozen machine on a network file system) must not hang this one: after
    // a few seconds the save goes on without the lock.
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
#endif
}

WriteLock::~WriteLock()
{
#ifndef _WIN32
    if (fd_ >= 0)
        ::close(fd_);
#endif
}

std::string QuoteValue(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            // Always four digits: the reader takes up to four, and a shorter
            // escape would swallow a hex digit that follows it ("\x0a" + "b"
            // read back as «).
            out += "\\x00";
            out += Hex(u >> 4);
            out += Hex(u);
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string QuoteList(const std::vector<std::string>& texts)
{
    std::string out;
    for (const std::string& text : texts) {
        if (!out.empty())
            out += ", ";
        out += QuoteValue(text);
    }
    return out;
}

std::string UnquoteValue(std::string_view value)
{
    std::size_t i = 0;
    return ReadItem(value, i, false);
}

std::vector<std::string> UnquoteList(std::string_view value)
{
    std::vector<std::string> items;
    std::size_t i = 0;
    while (i < value.size()) {
        std::string item = ReadItem(value, i, true);
        items.push_back(std::move(item));
        if (i < value.size())
            ++i;  // the comma
    }
    return items;
}

} // namespace snesenie::settings
