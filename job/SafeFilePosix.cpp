#include "SafeFile.h"

#include "SystemReason.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
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

// The folder a name is in, as the system opens it.
fs::path FolderOf(const fs::path& path)
{
    return path.parent_path().empty() ? fs::path(".") : path.parent_path();
}

// Whether the system itself would follow the link at path when opening it:
// in a sticky folder that everyone may write (/tmp), a link is followed only
// when it belongs to the caller or to the folder's owner. Anyone may plant a
// link there, and following it blindly lets them choose what root replaces.
bool MayFollow(const fs::path& path, const struct stat& link)
{
    struct stat folder {};
    if (::stat(FolderOf(path).c_str(), &folder) != 0)
        Fail(errno);
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

// The file a save writes: path, or what its chain of symbolic links ends in,
// whether or not that exists yet. Folders on the way are the system's to
// resolve; only the last name's links are followed here, and by its rules.
fs::path ResolveLinks(fs::path path)
{
    for (int depth = 0;; ++depth) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        if (depth == kMaxLinks)
            Fail(ELOOP);
        if (!MayFollow(path, info))
            throw FileError("это символическая ссылка другого пользователя в общей папке, по ней не пишут");
        std::string target(4096, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            Fail(errno);
        target.resize(static_cast<std::size_t>(length));
        const fs::path next(target);
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
}

// Temporaries are named ".NAME.XXXXXXXX.tmp": hidden, so a file manager
// does not show a half-written job, and short enough to be a valid name
// however long the target's is.
constexpr std::size_t kMaxStem = 180;
constexpr int kSaltLength = 8;
constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string TemporaryStem(const fs::path& target)
{
    std::string stem = ".";
    stem += target.filename().string().substr(0, kMaxStem);
    stem += '.';
    return stem;
}

// A name in the target's folder that no other file has.
fs::path TemporaryName(const fs::path& target, unsigned long long salt)
{
    std::string suffix;
    for (int i = 0; i < kSaltLength; ++i, salt /= 36)
        suffix += kDigits[salt % 36];
    return target.parent_path() / (TemporaryStem(target) + suffix + ".tmp");
}

// Whether name is one of our temporaries for target.
bool IsTemporaryOf(const std::string& name, const std::string& stem)
{
    if (name.size() != stem.size() + kSaltLength + 4 || !name.starts_with(stem) || !name.ends_with(".tmp"))
        return false;
    const std::string_view salt = std::string_view(name).substr(stem.size(), kSaltLength);
    return salt.find_first_not_of(kDigits) == std::string_view::npos;
}

// Temporaries of earlier saves of target that were never finished (the
// program killed, the machine off): each may be as large as the file, and
// nothing else ever removes them. Only what is plainly stale goes: our own
// name, the caller's own regular file, untouched for a minute, and not held
// by a save still writing it (a save holds a lock on its temporary to the
// end). Anything in doubt stays.
void RemoveStaleTemporaries(const fs::path& target)
{
    const std::string stem = TemporaryStem(target);
    DIR* folder = ::opendir(FolderOf(target).c_str());
    if (folder == nullptr)
        return;
    const int folderFd = ::dirfd(folder);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(folder)) {
        if (!IsTemporaryOf(entry->d_name, stem))
            continue;
        Descriptor candidate(
            ::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        struct stat info {};
        if (candidate.Get() < 0 || ::fstat(candidate.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid() || now - info.st_mtime < 60)
            continue;
        if (::flock(candidate.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(folder);
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

std::string WriteFileAtomically(const fs::path& path, std::string_view bytes)
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
    RemoveStaleTemporaries(target);

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
        // Held to the end, so that a later save never takes this temporary
        // for the leftover of a killed one.
        ::flock(file.Get(), LOCK_EX | LOCK_NB);
        if (exists) {
            // Root saving a user's job leaves it the user's, or the user
            // could no longer save it. Anyone else keeps what the system
            // lets them: the group, if they are in it.
            if ((info.st_uid != ::geteuid() || info.st_gid != ::getegid()) &&
                ::fchown(file.Get(), info.st_uid, info.st_gid) != 0 &&
                ::fchown(file.Get(), static_cast<uid_t>(-1), info.st_gid) != 0) {
                // Neither: the file is the caller's, as any file they make.
            }
            // After the owner: a change of owner clears the set-id bits.
            if (::fchmod(file.Get(), info.st_mode & 07777) != 0)
                Fail(errno);
        }
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
    Descriptor directory(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() >= 0)
        ::fsync(directory.Get());
    // The rename gave the name a file of its own; the old file's other names
    // (hard links) still show the old contents. Said once: the new file has
    // this one name only, and the next save is silent.
    if (exists && info.st_nlink > 1) {
        const std::size_t others = static_cast<std::size_t>(info.st_nlink) - 1;
        return "у файла были и другие имена (жёсткие ссылки: " + std::to_string(others) +
               "); сохранённый файл теперь отдельный, под другими именами осталось прежнее содержимое";
    }
    return {};
}

} // namespace snesenie::job
