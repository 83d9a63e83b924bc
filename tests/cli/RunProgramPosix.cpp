#include "RunProgram.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

extern char** environ;

int RunProgram(const std::vector<std::string>& command, const std::string& in, const std::string& out,
               const std::string& err, const std::vector<std::string>& drop, const std::vector<std::string>& set)
{
    std::vector<std::string> words = command, vars;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string var(*e);
        bool dropped = false;
        for (const std::string& prefix : drop)
            dropped = dropped || var.starts_with(prefix);
        if (!dropped)
            vars.push_back(var);
    }
    vars.insert(vars.end(), set.begin(), set.end());
    auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> p;
        for (std::string& s : strings)
            p.push_back(s.data());
        p.push_back(nullptr);
        return p;
    };
    std::vector<char*> argv = pointers(words), envp = pointers(vars);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    // posix_spawnp: an emulator in front of the program is found on PATH.
    const int spawned = posix_spawnp(&pid, words[0].c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + words[0]);
    // A program that hangs (on a FIFO, say) is ended after a while and
    // reported as not having exited on its own.
    int status = 0;
    bool exited = false;
    for (int tick = 0; tick < 2000 && !exited; ++tick) {
        exited = waitpid(pid, &status, WNOHANG) == pid;
        if (!exited)
            usleep(10000);
    }
    if (!exited) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
