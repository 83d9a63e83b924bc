#pragma once
// Starts a program as a script would, on Linux and on Windows alike, with its
// standard streams in files: the command line tests' one way to run it.

#include <string>
#include <vector>

/// Runs command (UTF-8 words, the program first; found on PATH when it has no
/// folder) with standard input read from the file in and standard output and
/// error written to the files out and err. The environment is this process's
/// less every variable whose name starts with one of drop ("LC_", "LANG="),
/// with set ("NAME=VALUE") added. A program still running after 20 s is ended:
/// the result is then -1, as it is for a program killed by a signal;
/// otherwise its exit status. Throws std::runtime_error if it cannot start.
int RunProgram(const std::vector<std::string>& command, const std::string& in, const std::string& out,
               const std::string& err, const std::vector<std::string>& drop, const std::vector<std::string>& set);
