// Calls of the C library made to fail on request, for the tests of saves
// whose later steps fail: a disk that fills up during the flush, a rename
// refused after the whole new file is written. Linked into the test program
// itself, these definitions come before the C library's for every call the
// program makes; each passes on to the real function unless told to fail.

#include "FailingCalls.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char* g_failing = nullptr;
int g_error = 0;

bool ShouldFail(const char* call)
{
    if (g_failing == nullptr || std::strcmp(g_failing, call) != 0)
        return false;
    errno = g_error;
    return true;
}

template <typename Function>
Function Real(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

void FailCall(const char* call, int error)
{
    g_failing = call;
    g_error = error;
}

extern "C" {

int rename(const char* from, const char* to)
{
    static const auto real = Real<int (*)(const char*, const char*)>("rename");
    return ShouldFail("rename") ? -1 : real(from, to);
}

int fsync(int fd)
{
    static const auto real = Real<int (*)(int)>("fsync");
    return ShouldFail("fsync") ? -1 : real(fd);
}

int fchmod(int fd, mode_t mode)
{
    static const auto real = Real<int (*)(int, mode_t)>("fchmod");
    return ShouldFail("fchmod") ? -1 : real(fd, mode);
}

} // extern "C"
