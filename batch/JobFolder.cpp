#include "Stations.h"

#include "Errors.h"
#include "JobFile.h"
#include "SaveTarget.h"

#include <algorithm>
#include <system_error>

namespace snesenie::batch {
namespace {

// The one place a batch reads a job: the texts of its input fields, or
// JobError. The job library's reader is used as it stands, so a job opens in
// a batch exactly as it opens in the window.
std::map<std::string, std::string, std::less<>> ReadJobTexts(const std::filesystem::path& path)
{
    // The job reader opens what it is given and would wait on a FIFO for a
    // writer; only a regular file is handed to it.
    if (const std::string problem = job::SaveTargetProblem(path); !problem.empty())
        throw job::JobError("Не удалось открыть задание " + QuoteText(path.string()) + ": " + problem + ".");
    return job::ReadJob(path).texts;
}

[[noreturn]] void Refuse(const std::filesystem::path& folder, const std::string& problem)
{
    throw BatchError("Не удалось прочитать папку заданий " + QuoteText(folder.string()) + ": " + problem + ".");
}

} // namespace

StationList ReadJobFolder(const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> jobs;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error)
        Refuse(folder, error.message());
    for (const fs::directory_entry& entry : it) {
        const fs::path& path = entry.path();
        if (path.extension() == std::string(".") + job::kExtension && !entry.is_directory(error))
            jobs.push_back(path);
    }
    if (jobs.empty())
        Refuse(folder, std::string("в ней нет заданий (файлов .") + job::kExtension + ")");
    std::sort(jobs.begin(), jobs.end());

    StationList list;
    list.separator = ';';
    for (const fs::path& path : jobs) {
        Station station;
        station.name = path.stem().string();
        station.file = path.string();
        try {
            station.texts = ReadJobTexts(path);
        } catch (const job::JobError& e) {
            station.readError = e.what();
        }
        list.inputs.push_back(path);
        list.stations.push_back(std::move(station));
    }
    return list;
}

} // namespace snesenie::batch
