#include "StatementTarget.h"

#include "SafeFile.h"
#include "Utf8Path.h"

#include <algorithm>
#include <cctype>

namespace snesenie::job {

bool HasPdfExtension(const std::filesystem::path& path)
{
    std::string extension = PathToUtf8(path.filename().extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".pdf" && path.filename() != ".pdf";
}

std::string StatementTargetProblem(const std::filesystem::path& out, const std::filesystem::path& jobPath)
{
    if (!HasPdfExtension(out))
        return "имя файла ведомости должно оканчиваться на .pdf";
    std::error_code error;
    if (!std::filesystem::exists(out, error))
        return {};  // a new name; the writer says why, if it cannot be made
    // The same file by any name: a link, a hard link, "./" in front.
    if (!jobPath.empty() && std::filesystem::equivalent(out, jobPath, error))
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
