#include "RunProgram.h"

#include "CommandWords.h"

#include <windows.h>

#include <stdexcept>

namespace {

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

HANDLE Open(const std::string& path, bool write)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE file = CreateFileW(Wide(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open " + path);
    return file;
}

} // namespace

int RunProgram(const std::vector<std::string>& command, const std::string& in, const std::string& out,
               const std::string& err, const std::vector<std::string>& drop, const std::vector<std::string>& set)
{
    std::wstring line;
    for (const std::string& word : command)
        line += (line.empty() ? L"" : L" ") + snesenie::cli::CommandLineWord(word);

    // The environment block: NAME=VALUE strings, each ended by a zero, and
    // one more zero at the end.
    std::wstring block;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* var = own; *var != L'\0'; var += wcslen(var) + 1) {
        const std::wstring text(var);
        bool dropped = false;
        for (const std::string& prefix : drop)
            dropped = dropped || text.starts_with(Wide(prefix));
        for (const std::string& added : set)
            dropped = dropped || text.starts_with(Wide(added.substr(0, added.find('=') + 1)));
        if (!dropped)
            block += text + L'\0';
    }
    FreeEnvironmentStringsW(own);
    for (const std::string& added : set)
        block += Wide(added) + L'\0';
    block += L'\0';

    const HANDLE streams[3] = {Open(in, false), Open(out, true), Open(err, true)};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = streams[0];
    startup.hStdOutput = streams[1];
    startup.hStdError = streams[2];
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT | DETACHED_PROCESS, block.data(), nullptr,
                                        &startup, &process) != 0;
    for (const HANDLE stream : streams)
        CloseHandle(stream);
    if (!started)
        throw std::runtime_error("cannot start " + command[0]);
    int status = -1;
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code) != 0)
            status = static_cast<int>(code);
    } else {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}
