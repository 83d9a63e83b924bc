#include "FilePaths.h"

#include "Utf8Path.h"

namespace snesenie {

std::filesystem::path FsPath(const QString& path) { return job::PathFromUtf8(path.toStdString()); }

QString QtPath(const std::filesystem::path& path) { return QString::fromStdString(job::PathToUtf8(path)); }

} // namespace snesenie
