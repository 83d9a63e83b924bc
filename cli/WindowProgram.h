#pragma once

// The command line draws no PDF itself: it has no toolkit to lay out and
// paint a page. For the bundle of a batch it starts the window program,
// which makes it headless, with no display.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace snesenie::cli {

/// The places the window program is looked for, in order: beside this
/// program's own executable (a build tree, an unpacked package), then where
/// it is installed.
std::vector<std::filesystem::path> WindowProgramPlaces();

/// The first of WindowProgramPlaces that is a regular file this process may
/// run; empty when there is none.
std::filesystem::path FindWindowProgram();

/// What a run of the window program came to.
struct ChildRun {
    bool started = false;  ///< false: it could not be started; why is in error
    bool exited = false;   ///< it ended with an exit status (not killed by a signal)
    int status = 0;        ///< the exit status, or the signal's number
    std::string error;     ///< why it could not be started, in Russian
    /// What it wrote to standard error, line by line.
    std::vector<std::string> errorLines;
};

/// What is looked at while the window program runs.
struct ChildWatch {
    /// Given, the program is asked (SNESENIE_PROGRESS=lines) to count its
    /// stations on lines "progress DONE TOTAL", which are handed here as they
    /// come and not kept among the error lines. Not on Windows.
    std::function<void(int done, int total)> progress;
    /// Asked a few times a second; once it says stop, the program is sent
    /// the interrupt of a Ctrl+C and waited for.
    std::function<bool()> stop;
};

/// Runs program with the arguments (not through a shell), standard input
/// closed to it, its standard output passed through and its standard error
/// collected, and waits for it to end.
ChildRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                    const ChildWatch& watch = {});

} // namespace snesenie::cli
