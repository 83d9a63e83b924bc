#include "BatchDocument.h"

#include "JobFile.h"
#include "Utf8.h"
#include "Utf8Path.h"

#include <algorithm>
#include <system_error>

namespace snesenie::batch {
namespace {

// A file name may hold 255 bytes on the usual file systems; the extension
// and a spare margin come off that.
constexpr std::size_t kMaxNameBytes = 200;

std::filesystem::path Normalised(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    std::filesystem::path out = (error ? path : absolute).lexically_normal();
    // "stations/" names the folder "stations": its file name must not be empty.
    if (out.filename().empty() && out.has_parent_path())
        out = out.parent_path();
    return out;
}

} // namespace

BatchDocument::BatchDocument(const std::filesystem::path& path, const Tolerances& tolerances,
                             const Precision& precision, const std::function<void()>& tick)
    : path_(Normalised(path)), list_(ReadStations(path))
{
    Judge(tolerances, precision, tick);
}

void BatchDocument::Judge(const Tolerances& tolerances, const Precision& precision, const std::function<void()>& tick)
{
    std::vector<StationResult> results;
    results.reserve(list_.stations.size());
    for (const Station& station : list_.stations) {
        results.push_back(RunStation(station, tolerances, precision));
        if (tick)
            tick();
    }
    results_ = std::move(results);
}

std::string BatchDocument::Name() const { return job::PathToUtf8(path_.filename()); }

std::string BatchDocument::Failure(std::size_t i) const
{
    const StationResult& result = results_.at(i);
    return result.computed ? std::string() : FailureText(list_.stations.at(i), result, list_);
}

std::filesystem::path BatchDocument::ProposedJob(std::size_t i) const
{
    // A name from a spreadsheet is UTF-8 text, whatever the system's own
    // narrow encoding of file names.
    return path_.parent_path() / job::PathFromUtf8(FileNameFor(list_.stations.at(i).name) + "." + job::kExtension);
}

bool BatchDocument::ReadsFrom(const std::filesystem::path& path) const
{
    return std::any_of(list_.inputs.begin(), list_.inputs.end(), [&path](const std::filesystem::path& input) {
        std::error_code error;
        return std::filesystem::equivalent(path, input, error);
    });
}

std::string FileNameFor(const std::string& station)
{
    std::string name;
    for (std::size_t i = 0; i < station.size();) {
        const std::size_t start = i;
        const std::optional<char32_t> c = NextCodePoint(station, i);
        const bool bad = !c || IsControlOrInvisible(*c) || *c == '/' || *c == '\\';
        const std::string_view piece = bad ? std::string_view("_") : std::string_view(station).substr(start, i - start);
        if (name.size() + piece.size() > kMaxNameBytes)
            break;
        name += piece;
    }
    if (name.find_first_not_of('.') == std::string::npos)
        return "станция";
    return name;
}

} // namespace snesenie::batch
