#include "Console.h"

#ifdef _WIN32
#include "Utf8.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace snesenie::cli {

#ifdef _WIN32

std::vector<std::string> Utf8Arguments(int, char**)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> out;
    if (wide == nullptr)
        return out;
    for (int i = 1; i < count; ++i) {
        const std::wstring_view arg(wide[i]);
        out.push_back(Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
    }
    LocalFree(wide);
    return out;
}

void PrepareConsole()
{
    SetConsoleOutputCP(CP_UTF8);
    // Bytes in and out as on Linux: no CR LF made of a newline, and an input
    // file given as "-" is not cut at a Ctrl-Z.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The count of stations redraws its line with an escape sequence, which a
    // console takes only once asked to.
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(err, &mode) != 0)
        SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

#else

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

void PrepareConsole() {}

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

#endif

} // namespace snesenie::cli
