#pragma once

// The one way files are read and written, for jobs and statements alike.
// Only regular files are read or replaced: opening a FIFO blocks until some
// other program writes to it, and a rename replaces a device node or a FIFO
// as readily as a job. Writing is atomic: a temporary file beside the target
// gets the whole contents, every write checked and flushed to disk, and only
// then is it renamed over the target; on any failure it is removed and the
// old file stays byte for byte.

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace snesenie::job {

/// A file that could not be read or written. what() is the reason in Russian,
/// without the file's name, to follow "…: " in a message.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Why path may be neither read nor replaced, to follow "…: " in a message
/// ("это именованный канал (FIFO), а не обычный файл"); an empty string when
/// it names a regular file (through its links) or nothing yet. Never opens it.
std::string NotRegularFileProblem(const std::filesystem::path& path);

/// Reads a regular file (a symbolic link to one included), at most limit + 1
/// bytes, so that the caller can tell a file over its limit without reading
/// all of it. Anything that is not a regular file is refused at once, without
/// opening it for reading. Throws FileError.
std::string ReadRegularFile(const std::filesystem::path& path, std::size_t limit);

/// Replaces the file at path by bytes, atomically. A symbolic link is written
/// through, where the system would follow it (not a link of another user in
/// a shared sticky folder such as /tmp, which is refused): the file it points
/// to gets the new contents and the link stays. A new name is created with
/// the usual permissions; an existing file keeps its own, and its owner and
/// group where the caller may set them (root). A folder, FIFO, socket or
/// device is refused untouched, as is a file without write permission.
/// Temporaries that earlier saves of the same file left behind (killed before
/// the end) are removed once plainly stale. Throws FileError with the reason
/// of the step that failed; the old file is then as it was and no temporary
/// is left behind. Returns what the user should know though the save
/// succeeded, to follow "…: " in a message: that the file had other names
/// (hard links), which keep the old contents; usually empty.
std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

} // namespace snesenie::job
