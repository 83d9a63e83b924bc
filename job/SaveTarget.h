#pragma once

// Where a file may be saved. Both the job and the statement's PDF are written
// to a temporary file that is then renamed over the chosen name, and a rename
// replaces whatever has that name: a FIFO, a device node such as /dev/null,
// a socket. Only a regular file, or a name not yet taken, may be replaced.

#include <filesystem>
#include <string>

namespace snesenie::job {

/// Why nothing may be saved at path, in Russian, to follow "…: " in a message
/// ("это именованный канал (FIFO), а не обычный файл"); an empty string when
/// path names a regular file or nothing yet. Symbolic links are followed, so
/// a link to a regular file may be saved through (the file it points to is
/// replaced and the link kept), a link to a device may not, and a dangling
/// link is a name not yet taken. A path that cannot be looked at (no right to
/// search its folder, a loop of links) is refused with the system's reason.
std::string SaveTargetProblem(const std::filesystem::path& path);

} // namespace snesenie::job
