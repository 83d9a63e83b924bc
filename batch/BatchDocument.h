#pragma once

// The batch a window shows beside its sheet: the stations as read from their
// table or folder of jobs, each computed and judged. No widgets: the window
// lists what this holds and puts a chosen station on its sheet.

#include "Control.h"
#include "RunStation.h"
#include "Stations.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace snesenie::batch {

class BatchDocument {
public:
    /// Reads the table of stations or the folder of jobs at path and computes
    /// every station, judged by tolerances, its accuracy estimated from
    /// precision (each station's own precision columns over it). Throws
    /// BatchError when the batch cannot be read; a station that fails is a
    /// result, not an error. tick, when given, is called after each station:
    /// a window paints there.
    BatchDocument(const std::filesystem::path& path, const Tolerances& tolerances, const Precision& precision,
                  const std::function<void()>& tick = {});

    /// Computes every station again, judged by new tolerances and precision;
    /// tick as above.
    void Judge(const Tolerances& tolerances, const Precision& precision, const std::function<void()>& tick = {});

    /// The table or the folder, absolute, with no trailing separator.
    const std::filesystem::path& Path() const { return path_; }
    /// The table's file name or the folder's name, as UTF-8 text.
    std::string Name() const;

    const StationList& List() const { return list_; }
    std::size_t Size() const { return list_.stations.size(); }
    const Station& StationAt(std::size_t i) const { return list_.stations.at(i); }
    const StationResult& ResultAt(std::size_t i) const { return results_.at(i); }
    /// Where a station that failed is found and what stopped it (FailureText);
    /// empty for a station that was computed.
    std::string Failure(std::size_t i) const;

    /// Where the station is offered to be saved as a job: "<name>.snesenie"
    /// beside the table, or beside the folder of jobs (never in it, where the
    /// station's own job lies). Characters no file name may hold become "_".
    std::filesystem::path ProposedJob(std::size_t i) const;

    /// Whether path is a file the batch was read from, the table or one of
    /// its jobs, under whatever name or link it is reached by.
    bool ReadsFrom(const std::filesystem::path& path) const;

private:
    std::filesystem::path path_;
    StationList list_;
    std::vector<StationResult> results_;
};

/// A station's name made fit to be a file name: "/", "\", control and
/// invisible characters and bytes that are not UTF-8 become "_", the length
/// is kept within what a file system allows, and a name left empty or of
/// dots alone becomes "станция".
std::string FileNameFor(const std::string& station);

} // namespace snesenie::batch
