#include "SafeFile.h"

#include "SystemReason.h"

#include <windows.h>

#include <algorithm>
#include <random>

namespace snesenie::job {
namespace {

namespace fs = std::filesystem;

const char* const kDevice = "это устройство, а не обычный файл";
const char* const kFolder = "это папка, а не файл";
const char* const kPipe = "это именованный канал, а не обычный файл";

[[noreturn]] void Fail(DWORD code) { throw FileError(WindowsReason(code)); }
[[noreturn]] void FailLast() { Fail(GetLastError()); }

// A handle closed on every way out; Close() reports a failed close.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (Valid())
            CloseHandle(handle_);
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close()
    {
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

// Windows keeps these names for devices in every folder and with any
// extension: "nul", "C:\jobs\con.snesenie" and "aux .csv" all open a device.
bool IsDeviceName(const fs::path& path)
{
    std::wstring name = path.filename().native();
    name = name.substr(0, name.find_first_of(L".:"));
    while (!name.empty() && name.back() == L' ')
        name.pop_back();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; });
    if (name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"NUL" || name == L"CONIN$" ||
        name == L"CONOUT$")
        return true;
    if (name.size() == 4 && (name.starts_with(L"COM") || name.starts_with(L"LPT"))) {
        const wchar_t digit = name[3];
        return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
    }
    return false;
}

// \\.\ names a device or a pipe (\\.\pipe\name, \\.\COM1), not a file.
bool IsDeviceNamespace(const fs::path& path)
{
    const std::wstring& text = path.native();
    return text.size() >= 4 && (text[0] == L'\\' || text[0] == L'/') && (text[1] == L'\\' || text[1] == L'/') &&
           text[2] == L'.' && (text[3] == L'\\' || text[3] == L'/');
}

// Why a file of these attributes is neither read nor replaced, or empty.
std::string NotRegular(DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return kFolder;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return kDevice;
    return {};
}

// The same, of a file already open: what a name turned out to open.
std::string NotRegular(HANDLE file)
{
    switch (GetFileType(file)) {
    case FILE_TYPE_DISK: {
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileInformationByHandle(file, &info) == 0)
            return WindowsReason(GetLastError());
        return NotRegular(info.dwFileAttributes);
    }
    case FILE_TYPE_PIPE:
        return kPipe;
    case FILE_TYPE_CHAR:
        return kDevice;
    default:
        return "это не обычный файл";
    }
}

// The problem of a name before anything is opened: devices by their names,
// which must never be opened (opening a serial port raises its lines), then
// the attributes. Sets exists, and attributes when it does; missing says
// whether the file or a folder on the way to it is what is not there.
std::string LookAt(const fs::path& path, bool& exists, DWORD& attributes, DWORD* missing = nullptr)
{
    exists = false;
    if (IsDeviceName(path) || IsDeviceNamespace(path))
        return kDevice;
    attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        // No such file, or no such folder on the way to it: a new name.
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            if (missing != nullptr)
                *missing = code;
            return {};
        }
        return WindowsReason(code);
    }
    exists = true;
    return NotRegular(attributes);
}

// The file a save writes when path is a symbolic link or a junction: what it
// ends in. The link stays, as on Linux.
fs::path ResolveLinks(const fs::path& path)
{
    Handle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid())
        FailLast();
    std::wstring final(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(file.Get(), final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
        if (length == 0)
            FailLast();
        if (length < final.size()) {
            final.resize(length);
            return fs::path(final);
        }
        final.resize(length + 1);
    }
}

// A name in the target's folder that no other file has, short enough to be
// valid however long the target's is. Not marked hidden: the rename keeps a
// file's attributes, and the job would be hidden after it.
fs::path TemporaryName(const fs::path& target, unsigned long long salt)
{
    std::wstring stem = target.filename().native().substr(0, 180);
    // Never half a surrogate pair at the cut.
    if (!stem.empty() && stem.back() >= 0xD800 && stem.back() <= 0xDBFF)
        stem.pop_back();
    static constexpr wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
    std::wstring suffix;
    for (int i = 0; i < 8; ++i, salt /= 36)
        suffix += kDigits[salt % 36];
    return target.parent_path() / (L"." + stem + L"." + suffix + L".tmp");
}

void WriteAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        DWORD written = 0;
        if (WriteFile(file, bytes.data(), wanted, &written, nullptr) == 0)
            FailLast();
        // A write that takes nothing and names no error is a full disk.
        if (written == 0)
            Fail(ERROR_DISK_FULL);
        bytes.remove_prefix(written);
    }
}

// Replaces target by the whole temporary in one step. A scanner of new files
// (an antivirus, the search indexer) may hold the temporary for a moment
// after it is closed, so a refusal of that kind is tried again a few times.
void MoveOver(const fs::path& temporary, const fs::path& target)
{
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
            return;
        const DWORD code = GetLastError();
        const bool busy = code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED || code == ERROR_LOCK_VIOLATION;
        if (!busy || attempt == 10)
            Fail(code);
        Sleep(50);
    }
}

} // namespace

std::string NotRegularFileProblem(const fs::path& path)
{
    bool exists = false;
    DWORD attributes = 0;
    return LookAt(path, exists, attributes);
}

std::string ReadRegularFile(const fs::path& path, std::size_t limit)
{
    bool exists = false;
    DWORD attributes = 0;
    if (const std::string problem = LookAt(path, exists, attributes); !problem.empty())
        throw FileError(problem);
    // Others may go on reading and writing it, and replacing it: a save of
    // theirs waits for nothing of ours.
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        FailLast();
    if (const std::string problem = NotRegular(file.Get()); !problem.empty())
        throw FileError(problem);

    std::string content;
    char buffer[65536];
    while (content.size() <= limit) {
        const DWORD wanted = static_cast<DWORD>(std::min(sizeof buffer, limit + 1 - content.size()));
        DWORD got = 0;
        if (ReadFile(file.Get(), buffer, wanted, &got, nullptr) == 0)
            FailLast();
        if (got == 0)
            break;
        content.append(buffer, got);
    }
    return content;
}

std::string WriteFileAtomically(const fs::path& path, std::string_view bytes)
{
    if (path.empty())
        Fail(ERROR_FILE_NOT_FOUND);
    fs::path target = path;
    bool exists = false;
    DWORD attributes = 0, missing = 0;
    if (const std::string problem = LookAt(target, exists, attributes, &missing); !problem.empty())
        throw FileError(problem);
    if (exists && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        target = ResolveLinks(target);
        if (const std::string problem = LookAt(target, exists, attributes, &missing); !problem.empty())
            throw FileError(problem);
    }
    // A missing folder on the way is said as such.
    if (!exists && missing == ERROR_PATH_NOT_FOUND)
        Fail(missing);
    // A read-only job stays read-only: its owner made it so.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY))
        throw FileError("файл только для чтения");

    std::random_device seed;
    std::mt19937_64 random((static_cast<unsigned long long>(seed()) << 32) ^ seed() ^ GetCurrentProcessId());
    fs::path temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryName(target, random());
        created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE) {
            const DWORD code = GetLastError();
            if ((code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) || attempt == 100)
                Fail(code);
        }
    }
    Handle file(created);
    try {
        WriteAll(file.Get(), bytes);
        // On disk before the rename: otherwise a crash just after it could
        // leave an empty file where the old one stood.
        if (FlushFileBuffers(file.Get()) == 0)
            FailLast();
        if (!file.Close())
            FailLast();
        // A hidden or system job stays so; the rest of the old attributes
        // (read-only was refused above) describe the old contents.
        const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (exists && kept != 0 && SetFileAttributesW(temporary.c_str(), kept) == 0)
            FailLast();
        MoveOver(temporary, target);
    } catch (...) {
        if (file.Valid())
            file.Close();
        DeleteFileW(temporary.c_str());
        throw;
    }
    return {};
}

} // namespace snesenie::job
