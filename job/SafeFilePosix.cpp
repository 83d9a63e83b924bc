#include "SafeFile.h"

#include "SystemReason.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace snesenie::job {
namespace {

namespace fs = std::filesystem;

// Symbolic links are followed this far, as the kernel follows them.
constexpr int kMaxLinks = 40;

[[noreturn]] void Fail(int errnum) { throw FileError(SystemReason(errnum)); }

// Why a file of this type is neither read nor replaced, or empty for a
// regular file.
std::string NotRegular(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
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

// A descriptor closed on every way out; Close() reports a failed close, which
// on some file systems is where a failed write shows.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }
    int Close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

// The file a save writes: path, or what its chain of symbolic links ends in,
// whether or not that exists yet.
fs::path ResolveLinks(fs::path path)
{
    for (int depth = 0;; ++depth) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        if (depth == kMaxLinks)
            Fail(ELOOP);
        std::string target(4096, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            Fail(errno);
        target.resize(static_cast<std::size_t>(length));
        const fs::path next(target);
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
}

// A name in the target's folder that no other file has: a hidden one, so a
// file manager does not show a half-written job, and short enough to be a
// valid name however long the target's is.
fs::path TemporaryName(const fs::path& target, unsigned long long salt)
{
    std::string stem = target.filename().string().substr(0, 180);
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 8; ++i, salt /= 36)
        suffix += kDigits[salt % 36];
    return target.parent_path() / ("." + stem + "." + suffix + ".tmp");
}

void WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            Fail(errno);
        // A write that takes nothing and names no error is a full disk.
        if (written == 0)
            Fail(ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace

std::string NotRegularFileProblem(const fs::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? std::string() : SystemReason(errno);
    return NotRegular(info.st_mode);
}

std::string ReadRegularFile(const fs::path& path, std::size_t limit)
{
    // Looked at before it is opened: opening a FIFO for reading waits for a
    // writer, and opening a device may have effects of its own.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        Fail(errno);
    if (const std::string problem = NotRegular(info.st_mode); !problem.empty())
        throw FileError(problem);
    // Non-blocking, and looked at again once open, in case the name was
    // replaced by a FIFO in between.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.Get() < 0)
        Fail(errno);
    if (::fstat(file.Get(), &info) != 0)
        Fail(errno);
    if (const std::string problem = NotRegular(info.st_mode); !problem.empty())
        throw FileError(problem);

    std::string content;
    char buffer[65536];
    while (content.size() <= limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit + 1 - content.size());
        const ssize_t got = ::read(file.Get(), buffer, wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail(errno);
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return content;
}

void WriteFileAtomically(const fs::path& path, std::string_view bytes)
{
    if (path.empty())
        Fail(ENOENT);
    const fs::path target = ResolveLinks(path);

    struct stat info {};
    bool exists = false;
    if (::stat(target.c_str(), &info) == 0) {
        if (const std::string problem = NotRegular(info.st_mode); !problem.empty())
            throw FileError(problem);
        // A read-only job stays read-only: its owner made it so.
        if (::access(target.c_str(), W_OK) != 0)
            Fail(errno);
        exists = true;
    } else if (errno != ENOENT) {
        Fail(errno);
    }

    std::random_device seed;
    std::mt19937_64 random((static_cast<unsigned long long>(seed()) << 32) ^ seed() ^ static_cast<unsigned>(::getpid()));
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = TemporaryName(target, random());
        // 0666 less the umask, as any new file of the user's.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100))
            Fail(errno);
    }
    Descriptor file(fd);
    try {
        if (exists && ::fchmod(file.Get(), info.st_mode & 07777) != 0)
            Fail(errno);
        WriteAll(file.Get(), bytes);
        // On disk before the rename: otherwise a crash just after it could
        // leave an empty file where the old one stood.
        if (::fsync(file.Get()) != 0)
            Fail(errno);
        if (file.Close() != 0)
            Fail(errno);
        if (::rename(temporary.c_str(), target.c_str()) != 0)
            Fail(errno);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    // The rename itself made durable. The new file is already whole under its
    // name, so a folder that cannot be synced (some file systems refuse)
    // changes nothing for the user.
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() >= 0)
        ::fsync(directory.Get());
}

} // namespace snesenie::job
