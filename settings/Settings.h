#pragma once

// The program's settings: every setting declared once here, read and written
// through typed accessors, kept in one small INI file. The window, the
// headless statement and the command line all read the same file, so one
// job is judged by the same tolerances wherever it is computed. The store is
// told where its file is: the user's by default, a scratch one in tests.

#include "Control.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace snesenie {

/// The user's settings file: $XDG_CONFIG_HOME/snesenie/snesenie.conf, or
/// ~/.config/snesenie/snesenie.conf while XDG_CONFIG_HOME is not set. Empty
/// when neither it nor HOME is set as an absolute path (a relative one is
/// ignored, as the XDG rules say): there is then no settings file. On
/// Windows: %APPDATA%\snesenie\snesenie.conf, empty without APPDATA.
std::filesystem::path UserSettingsFile();

class Settings {
public:
    /// How many recent jobs are kept.
    static constexpr std::size_t kMaxRecentJobs = 8;
    /// The largest settings file read; a real one is well under a kilobyte.
    static constexpr std::size_t kMaxFileBytes = 64 * 1024;

    /// Reads the settings kept in file (see Reload). An empty path keeps
    /// every setting in memory only.
    explicit Settings(std::filesystem::path file);

    const std::filesystem::path& File() const { return file_; }

    /// Reads the file again. A file that does not exist gives the defaults.
    /// Whatever cannot be used falls back alone and is said in Problems(): a
    /// tolerance that is no number or lies outside its plausible range takes
    /// its default, the others keep theirs; a file that is not a regular
    /// file (a FIFO, a device, a folder), is longer than kMaxFileBytes or
    /// cannot be read is not read at all, at once and without blocking.
    void Reload();

    /// Writes every setting to the file atomically: a temporary file beside
    /// it, every write checked and flushed to disk, then renamed over it.
    /// Entries this program does not know are kept. Only a regular file or a
    /// new name is replaced, and never a file the last Reload could not read
    /// (it may hold what the user wants kept). Returns an empty string, or why nothing was
    /// written, in Russian.
    std::string Save() const;

    /// The tolerances of the control, each within its plausible range.
    const Tolerances& GetTolerances() const { return tolerances_; }
    /// Whether any tolerance was read from the file (rather than defaulted).
    bool StoresTolerances() const { return storesTolerances_; }
    /// Takes new tolerances; each must pass ToleranceProblem.
    void SetTolerances(const Tolerances& tolerances) { tolerances_ = tolerances; }

    /// The jobs last opened or saved, newest first, at most kMaxRecentJobs.
    const std::vector<std::string>& RecentJobs() const { return recent_; }
    void SetRecentJobs(std::vector<std::string> paths);
    /// Puts the job first in the recent list (and leaves it only once there).
    void NoteRecentJob(const std::string& path);
    void ForgetRecentJob(const std::string& path);

    /// The folder the job file dialogs last showed; empty at first.
    const std::string& JobFolder() const { return jobFolder_; }
    void SetJobFolder(std::string folder) { jobFolder_ = std::move(folder); }

    /// What the last Reload could not use, one Russian sentence each, saying
    /// what stands instead. Empty when everything read was used.
    const std::vector<std::string>& Problems() const { return problems_; }

private:
    struct Entry {
        std::string key;
        std::string value;  ///< as it stands in the file, quotes and escapes included
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    void Parse(const std::string& content);
    const std::string* Raw(const std::string& section, const std::string& key) const;
    void ReadTolerances();

    std::filesystem::path file_;
    std::vector<Section> sections_;  ///< everything the file held, in its order
    Tolerances tolerances_;
    std::vector<std::string> recent_;
    std::string jobFolder_;
    std::vector<std::string> problems_;
    bool unread_ = false;
    bool storesTolerances_ = false;  ///< the file is there but could not be read
};

} // namespace snesenie
