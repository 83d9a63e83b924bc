#pragma once

#include <string>
#include <system_error>

namespace snesenie::job {

/// The reason a file operation failed, in Russian, for the system error
/// number errnum, to follow "…: " in a message: "нет такого файла или папки".
/// The common reasons are given in the program's own words, whatever locale
/// is installed; a rare one falls back to the system's own text.
std::string SystemReason(int errnum);

/// The same for an error code of the system or of std::filesystem: an errno
/// value as above, and on Windows a code of the system's own (GetLastError)
/// as WindowsReason gives it.
std::string SystemReason(const std::error_code& error);

/// On Windows only: the reason for a system error code (GetLastError), in
/// Russian, in the same words as SystemReason for the same trouble ("нет
/// доступа", "на диске нет места"); a rare one falls back to the system's own
/// text with its code.
std::string WindowsReason(unsigned long code);

} // namespace snesenie::job
