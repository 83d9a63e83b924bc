#pragma once

// The program's settings: every setting declared once here, read and written
// through typed accessors, kept in one small INI file. The window, the
// headless statement and the command line all read the same file, so one
// job is judged by the same tolerances wherever it is computed. The store is
// told where its file is: the user's by default, a scratch one in tests.

#include "Accuracy.h"
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

    /// Writes the settings changed since the last Reload (or Save) to the
    /// file atomically: a temporary file beside it, every write checked and
    /// flushed to disk, then renamed over it. Nothing is written when nothing
    /// changed, and what was not changed stays as it stands in the file, a
    /// value written by hand included. The file is read again at the moment
    /// of writing, under a lock other copies of the program take too, and the
    /// changes go over what it then holds: the jobs this store put first or
    /// took off the recent list are put first or taken off the list another
    /// copy may have saved meanwhile. Entries this program does not know are
    /// kept. Only a regular file or a new name is replaced, and never a file
    /// that cannot be read (it may hold what the user wants kept). Returns an
    /// empty string, or why nothing was written, in Russian. Afterwards the
    /// store holds what the file holds, as after Reload.
    std::string Save();

    /// The tolerances of the control, each within its plausible range.
    const Tolerances& GetTolerances() const { return tolerances_; }
    /// Whether any tolerance was read from the file (rather than defaulted).
    bool StoresTolerances() const { return storesTolerances_; }
    /// Takes new tolerances, as the user chose them; each must pass
    /// ToleranceProblem. A stored value that could not be used counts as
    /// changed, so that Save replaces it by the one chosen.
    void SetTolerances(const Tolerances& tolerances)
    {
        tolerances_ = tolerances;
        tolerancesChosen_ = true;
    }

    /// The precision of the measurements the accuracy of P is estimated
    /// from, each within its plausible range.
    const Precision& GetPrecision() const { return precision_; }
    /// Whether any precision was read from the file (rather than defaulted).
    bool StoresPrecision() const { return storesPrecision_; }
    /// Takes new precisions; they must pass PrecisionProblem.
    void SetPrecision(const Precision& precision) { precision_ = precision; }

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

    static std::vector<Section> Parse(const std::string& content);
    static const std::string* Raw(const std::vector<Section>& sections, const std::string& section,
                                  const std::string& key);
    const std::string* Raw(const std::string& section, const std::string& key) const
    {
        return Raw(sections_, section, key);
    }
    void ReadTolerances();
    std::vector<std::string> MergedRecent(const std::vector<std::string>& onDisk) const;
    void ReadPrecision();

    std::filesystem::path file_;
    std::vector<Section> sections_;  ///< everything the file held, in its order
    Tolerances tolerances_;
    Precision precision_;
    std::vector<std::string> recent_;
    std::string jobFolder_;
    std::vector<std::string> problems_;
    bool unread_ = false;  ///< the file is there but could not be read
    bool storesTolerances_ = false;
    bool storesPrecision_ = false;
    Precision readPrecision_;
    // As last read or saved, to tell what this store changed since.
    Tolerances readTolerances_;
    std::vector<std::string> readRecent_;
    std::string readJobFolder_;
    std::vector<std::string> unusableTolerances_;  ///< keys of stored values that could not be used
    bool tolerancesChosen_ = false;
};

} // namespace snesenie
