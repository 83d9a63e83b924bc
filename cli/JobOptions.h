#pragma once

#include "PageFields.h"

#include <string>

namespace snesenie::cli {

/// --job: puts the job file on the sheet before any assignment. Returns
/// false, having written the reason to stderr, when the file is refused; the
/// sheet is then untouched.
bool LoadJobOption(const std::string& path, PageFields& fields);

/// --save-job: writes the input texts as a job file, atomically. Returns
/// false, having written the reason to stderr, when the file could not be
/// written; an older file of that name is then left as it was.
bool SaveJobOption(const std::string& path, const PageFields& fields);

} // namespace snesenie::cli
