#pragma once

// File names between the toolkit's text and the libraries' paths. The
// libraries take UTF-8 and open Windows files by their UTF-16 names; going
// through the system's narrow encoding instead would misspell a Cyrillic
// name on Windows.

#include <QString>

#include <filesystem>

namespace snesenie {

std::filesystem::path FsPath(const QString& path);
QString QtPath(const std::filesystem::path& path);

} // namespace snesenie
