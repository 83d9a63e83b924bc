#pragma once

// The open job: which file the sheet belongs to, its texts as last opened or
// saved, and the jobs opened lately. No widgets: the window asks where and
// shows what went wrong; this class does the rest, and is tested alone.

#include "JobFile.h"

#include <filesystem>
#include <string>
#include <vector>

namespace snesenie::job {

class JobDocument {
public:
    /// How many jobs the recent list keeps.
    static constexpr std::size_t kMaxRecent = 8;

    /// A sheet that belongs to no file, holding the example.
    JobDocument();

    /// The job's file, absolute; empty while the sheet has none.
    const std::filesystem::path& Path() const { return path_; }
    /// The texts as last opened or saved (the example for a new sheet).
    const Job& Saved() const { return saved_; }
    /// Whether the texts differ from those last opened or saved.
    bool IsChanged(const Job& current) const { return current.texts != saved_.texts; }

    /// A new sheet: the example, no file.
    void New();
    /// A sheet that belongs to no file yet holds texts brought from elsewhere
    /// (a station of a batch): they count as unchanged until edited, and the
    /// first save asks where.
    void Adopt(const Job& job);
    /// Reads and checks the job at path; on success it becomes the open job
    /// and heads the recent list. Throws JobError and changes nothing.
    Job Open(const std::filesystem::path& path);
    /// Writes job to path atomically; on success path becomes the open job's
    /// file and heads the recent list. Throws JobError and changes nothing.
    /// Returns what WriteJob says beside a success (usually nothing).
    std::string Save(const Job& job, const std::filesystem::path& path);

    /// The recent jobs, latest first.
    const std::vector<std::string>& Recent() const { return recent_; }
    /// Takes a stored list: entries that cannot be paths (empty, relative,
    /// longer than 4096 bytes, not UTF-8, with control characters) and
    /// repeats are dropped, and at most kMaxRecent kept.
    void SetRecent(const std::vector<std::string>& paths);
    /// Takes path off the recent list (a job that is gone).
    void Forget(const std::string& path);

    /// A recent job as a menu shows it: escaped and shortened, as messages
    /// quote paths, without the quotation marks.
    static std::string ShownName(const std::string& path);

private:
    void Remember(const std::filesystem::path& path, const Job& job);

    std::filesystem::path path_;
    Job saved_;
    std::vector<std::string> recent_;
};

} // namespace snesenie::job
