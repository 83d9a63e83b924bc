#include "WindowProgram.h"

#include "CommandWords.h"

#include "SystemReason.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace snesenie::cli {
namespace {

// The window program's error output is a line per failed station at most,
// and a message or two; anything beyond this is not read into memory.
constexpr std::size_t kMaxErrorBytes = 4 * 1024 * 1024;

std::filesystem::path OwnExecutable()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self;
}

bool Runnable(const std::filesystem::path& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

} // namespace

std::vector<std::filesystem::path> WindowProgramPlaces()
{
    std::vector<std::filesystem::path> places;
    if (const std::filesystem::path self = OwnExecutable(); !self.empty())
        places.push_back(self.parent_path() / "snesenie");
    // Where this build installs, and where the Debian package does.
    for (const char* folder : {SNESENIE_INSTALLED_BINDIR, "/usr/bin"}) {
        const std::filesystem::path place = std::filesystem::path(folder) / "snesenie";
        if (std::find(places.begin(), places.end(), place) == places.end())
            places.push_back(place);
    }
    return places;
}

std::filesystem::path FindWindowProgram()
{
    for (const std::filesystem::path& place : WindowProgramPlaces())
        if (Runnable(place))
            return place;
    return {};
}

ChildRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments)
{
    ChildRun run;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        run.error = job::SystemReason(errno);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);

    std::vector<std::string> texts{program.string()};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        run.error = job::SystemReason(spawned);
        return run;
    }
    run.started = true;

    // Read to the end before waiting, so a child with much to say never
    // blocks on a full pipe.
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        if (text.size() < kMaxErrorBytes)
            text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exited = WIFEXITED(status);
    run.status = run.exited ? WEXITSTATUS(status) : WTERMSIG(status);

    run.errorLines = OutputLines(text);
    return run;
}

} // namespace snesenie::cli
