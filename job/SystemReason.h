#pragma once

#include <string>

namespace snesenie::job {

/// The reason a file operation failed, in Russian, for the system error
/// number errnum, to follow "…: " in a message: "нет такого файла или папки".
/// The common reasons are given in the program's own words, whatever locale
/// is installed; a rare one falls back to the system's own text.
std::string SystemReason(int errnum);

} // namespace snesenie::job
