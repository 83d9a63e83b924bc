#include "WindowProgram.h"

#include "SystemReason.h"
#include "Utf8.h"

#include <windows.h>

namespace snesenie::cli {
namespace {

// The window program's error output is a line per failed station at most,
// and a message or two; anything beyond this is not read into memory.
constexpr std::size_t kMaxErrorBytes = 4 * 1024 * 1024;

std::wstring Wide(const std::string& text)
{
    const std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

// One word of a command line as the program's CommandLineToArgvW reads it.
std::wstring Quoted(const std::wstring& word)
{
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

} // namespace

std::vector<std::filesystem::path> WindowProgramPlaces()
{
    // Only beside this program: Windows has no common folder of programs.
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (length == 0)
            return {};
        if (length < self.size()) {
            self.resize(length);
            break;
        }
        self.resize(self.size() * 2);
    }
    return {std::filesystem::path(self).parent_path() / L"snesenie.exe"};
}

std::filesystem::path FindWindowProgram()
{
    for (const std::filesystem::path& place : WindowProgramPlaces()) {
        const DWORD attributes = GetFileAttributesW(place.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return place;
    }
    return {};
}

ChildRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments)
{
    ChildRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (CreatePipe(&readEnd, &writeEnd, &inherit, 0) == 0) {
        run.error = job::WindowsReason(GetLastError());
        return run;
    }
    // Only the writing end goes to the child.
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const HANDLE nothing = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                       OPEN_EXISTING, 0, nullptr);

    std::wstring line = Quoted(program.native());
    for (const std::string& argument : arguments)
        line += L" " + Quoted(Wide(argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process) != 0;
    const DWORD startError = GetLastError();
    CloseHandle(writeEnd);
    if (nothing != INVALID_HANDLE_VALUE)
        CloseHandle(nothing);
    if (!started) {
        CloseHandle(readEnd);
        run.error = job::WindowsReason(startError);
        return run;
    }
    run.started = true;

    // Read to the end before waiting, so a child with much to say never
    // blocks on a full pipe.
    std::string text;
    char buffer[8192];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) != 0 && got > 0)
        if (text.size() < kMaxErrorBytes)
            text.append(buffer, got);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.exited = true;
    run.status = static_cast<int>(code);

    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        run.errorLines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return run;
}

} // namespace snesenie::cli
