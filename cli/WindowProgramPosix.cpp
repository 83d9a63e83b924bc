#include "WindowProgram.h"

#include "CommandWords.h"

#include "SystemReason.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
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

ChildRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                    const ChildWatch& watch)
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

    // The environment as it is, with the request for the count of stations.
    std::vector<char*> envp;
    std::string progressRequest = "SNESENIE_PROGRESS=lines";
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (!std::string_view(*variable).starts_with("SNESENIE_PROGRESS="))
            envp.push_back(*variable);
    if (watch.progress)
        envp.push_back(progressRequest.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        run.error = job::SystemReason(spawned);
        return run;
    }
    run.started = true;

    // Read to the end before waiting, so a child with much to say never
    // blocks on a full pipe; line by line, so that the count of stations is
    // passed on as it comes, and a stop is heard within a tenth of a second.
    std::string text, pending;
    char buffer[8192];
    bool stopSent = false;
    const auto keep = [&](std::string_view line) {
        int done = 0, total = 0;
        char end = 0;
        if (watch.progress && line.starts_with("progress ") &&
            std::sscanf(std::string(line).c_str(), "progress %d %d%c", &done, &total, &end) == 2) {
            watch.progress(done, total);
            return;
        }
        if (text.size() < kMaxErrorBytes)
            text.append(line).append("\n");
    };
    for (;;) {
        if (watch.stop && !stopSent && watch.stop()) {
            ::kill(pid, SIGINT);
            stopSent = true;
        }
        pollfd ready{pipeEnds[0], POLLIN, 0};
        const int polled = ::poll(&ready, 1, 100);
        if (polled == 0 || (polled < 0 && errno == EINTR))
            continue;
        const ssize_t got = polled < 0 ? -1 : ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(got));
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1)
            keep(std::string_view(pending).substr(start, end - start));
        pending.erase(0, start);
        // A line with no end, longer than any the program writes, is kept as it is.
        if (pending.size() > kMaxErrorBytes) {
            keep(pending);
            pending.clear();
        }
    }
    if (!pending.empty() && text.size() < kMaxErrorBytes)
        text.append(pending);
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
