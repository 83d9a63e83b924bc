#pragma once

#include "Control.h"
#include "Sheet.h"
#include "Stations.h"

#include <array>
#include <optional>
#include <string>

namespace snesenie::batch {

/// The output fields of a station's result, as page 3 prints them: P through
/// B, P through C, and their mean.
inline constexpr std::array<const char*, 6> kPointFields{"EXp1", "EYp1", "EXp2", "EYp2", "Xp", "Yp"};

/// What one station came to.
struct StationResult {
    bool computed = false;  ///< pages 1, 2 and 3 all completed
    /// When not computed: the message the window would show for the press
    /// that stopped, or why the station's job could not be read.
    std::string error;
    /// The input field whose text stopped it, when one did.
    std::string field;
    /// The texts of kPointFields, in that order; empty when not computed.
    std::array<std::string, 6> point;
    /// The control of the finished sheet; empty when not computed.
    std::optional<ControlReport> control;
};

/// Computes one station on a sheet of its own, as a surveyor presses the
/// OK buttons of pages 1, 2 and 3 in turn, and its control, judged by the
/// tolerances given, its accuracy estimated from the precision given with
/// the station's own precision columns over it (a cell that is no number or
/// out of its range fails the station, naming the column). Stops at the
/// first page that fails. Never throws for any text of the station; no
/// other station is touched.
StationResult RunStation(const Station& station, const Tolerances& tolerances, const Precision& precision);

/// As RunStation, on the fresh sheet given, which keeps every text and the
/// record of the presses afterwards: for a statement of the station.
StationResult RunStation(const Station& station, const Tolerances& tolerances, const Precision& precision,
                         Sheet& sheet);

/// Where a station that failed is found and what stopped it, for a person:
/// "строка 12, столбец 5 (EXa): …" for a table row (the column when the
/// field at fault is known), "задание «…»: …" for a job.
std::string FailureText(const Station& station, const StationResult& result, const StationList& list);

} // namespace snesenie::batch
