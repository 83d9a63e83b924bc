#pragma once

// The bundle of a batch: one PDF that opens with a summary of every station
// (its P, its verdict, why it failed) and then holds the statement of each
// station that was computed, each from a new page, exactly as the window
// prints a statement. The office files it as the season's record.

#include "Control.h"
#include "RunStation.h"
#include "Stations.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class QTextDocument;

/// What a bundle came to.
struct BundleReport {
    QString error;  ///< empty when the PDF was written; else why not, in Russian
    bool stopped = false;  ///< the progress asked to stop: nothing was written
    int computed = 0;  ///< stations whose three pages completed
    int failed = 0;    ///< stations that could not be computed
    int exceeded = 0;  ///< computed stations with a check beyond its tolerance
    /// For each failed station, in order: "станция «…», " and where and why.
    QStringList failures;
};

/// Everything the summary page says about the batch besides its stations.
struct BundleHeading {
    QString stationsName;  ///< the table's or the folder's name, as the heading shows it
    snesenie::Tolerances tolerances;
    QDateTime when;
    snesenie::Precision precision;  ///< of the measurements, each station's own columns over it
};

/// The summary of the batch as a document for A4 portrait: the heading (file
/// of stations, date, program, tolerances, how many were computed, failed and
/// exceeded), then one row per station with its name, the mean Xp and Yp as
/// page 3 prints them and the verdict; a failed station carries its reason
/// and an exceeded one the checks beyond tolerance, both set off in bold on a
/// shaded row so that they show in black and white too. results[i] belongs
/// to list.stations[i]. Needs a QGuiApplication.
std::unique_ptr<QTextDocument> BuildBatchSummary(const snesenie::batch::StationList& list,
                                                 const std::vector<snesenie::batch::StationResult>& results,
                                                 const BundleHeading& heading);

/// Told how far a bundle has gone: done of total stations have their page
/// (a failed station counts when its turn comes), 0 while they are computed.
/// Returns false to stop the bundle there.
using BundleProgress = std::function<bool(int done, int total)>;

/// Computes every station of the list on a sheet of its own, judged by the
/// tolerances of the heading, and writes the bundle to path: the summary,
/// then the statement of each computed station. A station that fails is in
/// the summary only; the others go on. The target is checked first (a name
/// without .pdf, a file of the batch, an existing file that is not a PDF or
/// not a regular file are refused, and nothing is computed); the PDF is made
/// in memory and written atomically by the one checked writer, so nothing is
/// left at path when it cannot be. progress, when given, is told of every
/// station; when it says stop, nothing is written, the report is stopped and
/// its error says that the file is as it was. The statements are painted by
/// so many threads at once (0: one a core), progress is told on the calling
/// thread. Needs a QGuiApplication.
BundleReport WriteBatchBundle(const snesenie::batch::StationList& list, const BundleHeading& heading,
                              const std::filesystem::path& path, const BundleProgress& progress = {},
                              int painters = 0);
/// The same for a name as the window holds it.
BundleReport WriteBatchBundle(const snesenie::batch::StationList& list, const BundleHeading& heading,
                              const QString& path, const BundleProgress& progress = {}, int painters = 0);

/// A station's name as the summary and its statement show it: a name from a
/// table may hold anything a cell can, so control and invisible characters
/// are escaped and a long one is cut, as a message shows a text, without the
/// quotes. Plain text, to be escaped for HTML.
QString BundleStationName(const std::string& name);

/// The name a heading gives the batch read from path: the file or folder name.
QString StationsName(const std::filesystem::path& path);
