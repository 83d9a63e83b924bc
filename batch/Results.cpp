#include "Results.h"

#include "Errors.h"
#include "SaveTarget.h"

#include <cstring>
#include <fstream>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace snesenie::batch {
namespace {

void AppendRow(std::string& out, const std::vector<std::string_view>& cells, char separator)
{
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += separator;
        out += CsvCell(cells[i], separator);
    }
    out += "\r\n";
}

[[noreturn]] void FailWrite(const std::filesystem::path& path, const std::string& reason)
{
    throw BatchError("Не удалось записать результаты " + QuoteText(path.string()) + ": " + reason + ".");
}

} // namespace

std::string CsvCell(std::string_view text, char separator)
{
    if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

namespace {

// station, the point fields, a value and a verdict for each check, the
// overall verdict, the error
constexpr std::size_t kColumns = 1 + kPointFields.size() + 2 * kCheckNames.size() + 2;

} // namespace

ResultsTable::ResultsTable(const StationList& list, bool bom) : list_(list)
{
    if (bom)
        text_ = "\xEF\xBB\xBF";
    text_.reserve(text_.size() + 256 * (list.stations.size() + 1));
    std::vector<std::string> names{kStationColumn};
    names.insert(names.end(), kPointFields.begin(), kPointFields.end());
    for (const char* check : kCheckNames) {
        names.emplace_back(check);
        names.push_back(std::string(check) + "_verdict");
    }
    names.emplace_back("verdict");
    names.emplace_back("error");
    AppendRow(text_, std::vector<std::string_view>(names.begin(), names.end()), list.separator);
}

void ResultsTable::Add(const Station& station, const StationResult& result)
{
    std::vector<std::string_view> cells(kColumns);
    cells[0] = station.name;
    if (!result.computed) {
        const std::string failure = FailureText(station, result, list_);
        cells.back() = failure;
        AppendRow(text_, cells, list_.separator);
        return;
    }
    for (std::size_t k = 0; k < result.point.size(); ++k)
        cells[1 + k] = result.point[k];
    if (result.control) {
        // Each check in the column of its name, so that a control that one
        // day gives its checks in another order still lands right.
        for (const Check& check : result.control->checks) {
            for (std::size_t c = 0; c < kCheckNames.size(); ++c) {
                if (check.name == kCheckNames[c]) {
                    cells[1 + kPointFields.size() + 2 * c] = check.value;
                    cells[2 + kPointFields.size() + 2 * c] = VerdictCode(check.verdict);
                }
            }
        }
        cells[kColumns - 2] = VerdictCode(result.control->Overall());
    }
    AppendRow(text_, cells, list_.separator);
}

std::string FormatResults(const StationList& list, const std::vector<StationResult>& results, bool bom)
{
    ResultsTable table(list, bom);
    for (std::size_t i = 0; i < results.size() && i < list.stations.size(); ++i)
        table.Add(list.stations[i], results[i]);
    return table.Text();
}

std::string ResultsTargetProblem(const std::filesystem::path& path, const StationList& list)
{
    if (std::string problem = job::SaveTargetProblem(path); !problem.empty())
        return problem;
    for (const std::filesystem::path& input : list.inputs) {
        std::error_code error;
        if (std::filesystem::equivalent(path, input, error))
            return list.inputs.size() == 1 && input.extension() != ".snesenie"
                       ? "это таблица станций, из которой считается пакет"
                       : "это задание пакета " + QuoteText(input.string());
    }
    return {};
}

void WriteResultsFile(const std::filesystem::path& path, std::string_view bytes)
{
    namespace fs = std::filesystem;
    if (const std::string problem = job::SaveTargetProblem(path); !problem.empty())
        FailWrite(path, problem);
    // A link to a regular file is written through: the file it points to is
    // replaced and the link kept.
    fs::path target = path;
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        const fs::path resolved = fs::weakly_canonical(path, error);
        if (!error)
            target = resolved;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
#if defined(__unix__) || defined(__APPLE__)
    // The new contents go to a file of their own beside the target, created
    // with the rights a new file gets (or those of the file replaced), and
    // only a file written whole and on disk is renamed over the old one.
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    int fd = -1;
    fs::path temporary;
    const std::string stem = target.filename().string();
    for (int attempt = 0; fd < 0; ++attempt) {
        std::string name(1, '.');
        name.append(stem).append(".tmp").append(std::to_string(::getpid())).append("-").append(std::to_string(attempt));
        temporary = folder / name;
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt > 100))
            FailWrite(path, std::strerror(errno));
    }
    auto fail = [&](int code) {
        ::close(fd);
        ::unlink(temporary.c_str());
        FailWrite(path, std::strerror(code));
    };
    if (replacing && ::fchmod(fd, old.st_mode & 07777) != 0)
        fail(errno);
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        fail(errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        FailWrite(path, std::strerror(code));
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        FailWrite(path, std::strerror(code));
    }
#else
    const fs::path temporary = folder / ("." + target.filename().string() + ".tmp");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temporary, error);
            FailWrite(path, "ошибка записи");
        }
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        FailWrite(path, error.message());
    }
#endif
}

} // namespace snesenie::batch
