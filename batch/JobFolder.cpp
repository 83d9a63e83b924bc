#include "Stations.h"

#include "Errors.h"
#include "JobFile.h"
#include "SystemReason.h"
#include "Utf8Path.h"

#include <algorithm>
#include <system_error>

namespace snesenie::batch {
namespace {

// The one place a batch reads a job: the texts of its input fields, or
// JobError. The job library's reader is used as it stands, so a job opens in
// a batch exactly as it opens in the window.
std::map<std::string, std::string, std::less<>> ReadJobTexts(const std::filesystem::path& path)
{
    // The job reader refuses anything but a regular file itself, at once.
    return job::ReadJob(path).texts;
}

[[noreturn]] void Refuse(const std::filesystem::path& folder, const std::string& problem)
{
    throw BatchError("Не удалось прочитать папку заданий " + QuotePath(job::PathToUtf8(folder)) + ": " + problem + ".");
}

} // namespace

StationList ReadJobFolder(const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> jobs;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error)
        Refuse(folder, job::SystemReason(error));
    // Stepped with an error code: a folder that cannot be read to its end is
    // refused, not thrown out of as an exception of the library.
    for (; it != fs::directory_iterator(); it.increment(error)) {
        // Whatever is named as a job is a station: a folder or a FIFO so
        // named fails as its station, with the job reader's reason, rather
        // than being passed over without a word.
        const fs::path& path = it->path();
        if (path.extension() == std::string(".") + job::kExtension)
            jobs.push_back(path);
    }
    if (error)
        Refuse(folder, job::SystemReason(error));
    if (jobs.empty())
        Refuse(folder, std::string("в ней нет заданий (файлов .") + job::kExtension + ")");
    std::sort(jobs.begin(), jobs.end());

    StationList list;
    list.separator = ';';
    for (const fs::path& path : jobs) {
        Station station;
        station.name = job::PathToUtf8(path.stem());
        station.file = job::PathToUtf8(path);
        try {
            station.texts = StationTexts(ReadJobTexts(path));
        } catch (const job::JobError& e) {
            station.readError = e.what();
        }
        list.inputs.push_back(path);
        list.stations.push_back(std::move(station));
    }
    return list;
}

} // namespace snesenie::batch
