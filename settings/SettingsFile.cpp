#include "SettingsFile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace snesenie::settings {
namespace {

std::string SystemReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "нет прав";
    case ENOSPC:
        return "на диске нет места";
    case EROFS:
        return "файловая система только для чтения";
    case ENOENT:
        return "нет такой папки";
    case ELOOP:
        return "слишком много символических ссылок";
    case ENAMETOOLONG:
        return "слишком длинное имя";
    case EDQUOT:
        return "превышена квота";
    case EIO:
        return "ошибка ввода-вывода";
    default:
        return std::strerror(error);
    }
}

std::string TypeProblem(mode_t mode)
{
    if (S_ISDIR(mode))
        return "это папка, а не файл";
    if (S_ISFIFO(mode))
        return "это именованный канал (FIFO), а не обычный файл";
    if (S_ISCHR(mode))
        return "это символьное устройство, а не обычный файл";
    if (S_ISBLK(mode))
        return "это блочное устройство, а не обычный файл";
    if (S_ISSOCK(mode))
        return "это сокет, а не обычный файл";
    return "это не обычный файл";
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

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
    // Not blocking: opening a FIFO for reading would otherwise wait, for
    // ever, for a writer that never comes, before the window is painted.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) {
        if (errno != ENOENT)
            problem = SystemReason(errno);
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        problem = SystemReason(errno);
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        problem = TypeProblem(st.st_mode);
        return std::nullopt;
    }
    if (static_cast<std::size_t>(st.st_size) > maxBytes) {
        problem = "файл длиннее " + std::to_string(maxBytes / 1024) + " КиБ, это не файл настроек";
        return std::nullopt;
    }
    std::string content;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            problem = SystemReason(errno);
            return std::nullopt;
        }
        if (n == 0)
            break;
        content.append(buf, static_cast<std::size_t>(n));
        // The file may grow while it is read.
        if (content.size() > maxBytes) {
            problem = "файл длиннее " + std::to_string(maxBytes / 1024) + " КиБ, это не файл настроек";
            return std::nullopt;
        }
    }
    return content;
}

std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view content)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return TypeProblem(st.st_mode);
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    if (error)
        return SystemReason(error.value());

    std::string temporary = path.string() + ".XXXXXX";
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.Get() < 0)
        return SystemReason(errno);
    auto fail = [&](int saved) {
        ::unlink(temporary.c_str());
        return SystemReason(saved);
    };
    if (!WriteAll(fd.Get(), content) || ::fsync(fd.Get()) != 0)
        return fail(errno);
    if (::close(fd.Release()) != 0)
        return fail(errno);
    // Replaces a link's target rather than the link: the settings file of a
    // user who links it from elsewhere stays where they keep it.
    std::error_code linkError;
    struct stat link {};
    const bool isLink = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    const std::filesystem::path target = isLink ? std::filesystem::canonical(path, linkError) : path;
    if (linkError)
        return fail(linkError.value());
    if (std::rename(temporary.c_str(), target.c_str()) != 0)
        return fail(errno);
    return {};
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
