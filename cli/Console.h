#pragma once

#include <string>
#include <vector>

namespace snesenie::cli {

/// The arguments after the program's name, as UTF-8. On Windows they are
/// taken from the UTF-16 command line the system keeps, so that a field text
/// or a job's name in any script arrives whole whatever the console's code
/// page; elsewhere argv is UTF-8 already.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

/// Standard output and error take the program's UTF-8 bytes as they are: on
/// Windows the console is switched to UTF-8 and no newline is rewritten, so
/// a script reads the same bytes on every system.
void PrepareConsole();

/// Whether standard error is a terminal (a console window on Windows), where
/// a person watches a count of the stations done.
bool StderrIsTerminal();

} // namespace snesenie::cli
