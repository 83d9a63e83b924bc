#pragma once

// Where a statement's PDF may be written. A statement is often made from a
// script that loops over a folder of jobs; a slip in its arguments must not
// turn a job into a PDF.

#include <filesystem>
#include <string>

namespace snesenie::job {

/// Whether the name ends in ".pdf", in any case.
bool HasPdfExtension(const std::filesystem::path& path);

/// Why the statement may not be written at out, to follow "…: " in a message,
/// or an empty string when it may. Refused: a name that does not end in
/// ".pdf"; the job file the statement is made from (the same file by any
/// name or link; jobPath may be empty); an existing file that is not a PDF
/// or not a regular file. Nothing is written or opened for writing.
std::string StatementTargetProblem(const std::filesystem::path& out, const std::filesystem::path& jobPath);

} // namespace snesenie::job
