#include "StatementTarget.h"

#include "SafeFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

namespace snesenie::job {

bool HasPdfExtension(const std::filesystem::path& path)
{
    std::string extension = path.filename().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".pdf" && path.filename() != ".pdf";
}

std::string StatementTargetProblem(const std::filesystem::path& out, const std::filesystem::path& jobPath)
{
    if (!HasPdfExtension(out))
        return "имя файла ведомости должно оканчиваться на .pdf";
    struct stat target {};
    if (::stat(out.c_str(), &target) != 0)
        return {};  // a new name; the writer says why, if it cannot be made
    struct stat job {};
    if (!jobPath.empty() && ::stat(jobPath.c_str(), &job) == 0 && job.st_dev == target.st_dev &&
        job.st_ino == target.st_ino)
        return "это сам файл задания, ведомость его не заменит";
    if (const std::string problem = NotRegularFileProblem(out); !problem.empty())
        return problem;
    // Only an older statement is replaced: every PDF starts with this mark.
    std::string head;
    try {
        head = ReadRegularFile(out, 4);
    } catch (const FileError& e) {
        return e.what();
    }
    if (head != "%PDF-")
        return "файл уже есть и это не PDF, он не будет заменён";
    return {};
}

} // namespace snesenie::job
