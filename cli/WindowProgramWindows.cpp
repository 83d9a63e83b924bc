#include "WindowProgram.h"

#include "CommandWords.h"

#include "SystemReason.h"
#include "Utf8Path.h"

#include <windows.h>

namespace snesenie::cli {
namespace {

// The window program's error output is a line per failed station at most,
// and a message or two; anything beyond this is not read into memory.
constexpr std::size_t kMaxErrorBytes = 4 * 1024 * 1024;

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

// The count of stations and a stop are not passed to the program here: it
// runs to its end, and its error output is read at once.
ChildRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                    const ChildWatch&)
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

    std::wstring line = CommandLineWord(job::PathToUtf8(program));
    for (const std::string& argument : arguments)
        line += L" " + CommandLineWord(argument);
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

    run.errorLines = OutputLines(text);
    return run;
}

} // namespace snesenie::cli
