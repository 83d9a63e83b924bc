#include "JobDocument.h"

#include "Errors.h"
#include "Utf8.h"
#include "Utf8Path.h"

#include <algorithm>

namespace snesenie::job {
namespace {

// Longer than any path the system opens: a stored entry past it was never one.
constexpr std::size_t kMaxPathBytes = 4096;

bool IsPlausiblePath(const std::string& path)
{
    if (path.empty() || path.size() > kMaxPathBytes || !IsValidUtf8(path) || !PathFromUtf8(path).is_absolute())
        return false;
    // A control character is in no file name a person made; an invisible or
    // bidirectional one may be, and is shown escaped.
    for (std::size_t i = 0; i < path.size();) {
        const char32_t c = *NextCodePoint(path, i);
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            return false;
    }
    return true;
}

} // namespace

JobDocument::JobDocument() : saved_(ExampleJob()) {}

void JobDocument::New()
{
    path_.clear();
    saved_ = ExampleJob();
}

void JobDocument::Adopt(const Job& job)
{
    path_.clear();
    saved_ = job;
}

Job JobDocument::Open(const std::filesystem::path& path)
{
    Job job = ReadJob(path);
    Remember(path, job);
    return job;
}

std::string JobDocument::Save(const Job& job, const std::filesystem::path& path)
{
    std::string notice = WriteJob(job, path);
    Remember(path, job);
    return notice;
}

void JobDocument::Remember(const std::filesystem::path& path, const Job& job)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    path_ = error ? path : absolute.lexically_normal();
    saved_ = job;
    std::vector<std::string> recent{PathToUtf8(path_)};
    recent.insert(recent.end(), recent_.begin(), recent_.end());
    SetRecent(recent);
}

void JobDocument::SetRecent(const std::vector<std::string>& paths)
{
    recent_.clear();
    for (const std::string& path : paths) {
        if (recent_.size() == kMaxRecent)
            break;
        if (IsPlausiblePath(path) && std::find(recent_.begin(), recent_.end(), path) == recent_.end())
            recent_.push_back(path);
    }
}

void JobDocument::Forget(const std::string& path)
{
    recent_.erase(std::remove(recent_.begin(), recent_.end(), path), recent_.end());
}

std::string JobDocument::ShownName(const std::string& path)
{
    const std::string quoted = QuotePath(path);
    // Without the «» QuotePath puts around it: two bytes each.
    return quoted.substr(2, quoted.size() - 4);
}

} // namespace snesenie::job
