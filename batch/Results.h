#pragma once

// The table of results: one row per station, in the order of the batch, for
// a spreadsheet to open beside the table of stations it came from.

#include "CheckColumns.h"
#include "RunStation.h"

#include <filesystem>
#include <string>
#include <vector>

namespace snesenie::batch {


/// One cell as RFC 4180 writes it: in double quotes, the quotes in it
/// doubled, when it holds the separator, a quote or a line break; else as it is.
std::string CsvCell(std::string_view text, char separator);

/// The results table as text, lines ending in CR LF: a header row (station,
/// the six point fields, mx_m, my_m and mP_m of the mean's accuracy estimate,
/// each check's number (kCheckColumns) and verdict, the overall verdict, the
/// notes, the error), then one row per station, in the separator of the
/// stations' table. Points are the texts the sheet prints; the estimate and
/// the checks' numbers are plain numbers in the unit their header names,
/// with a decimal comma in a table parted by ';' and a point in one parted
/// by ','; verdicts are ok, exceeded or warning; the notes hold each check's
/// value in words, parted by " | " ("D: 0 м | AP: -0,4`` | …"), and why
/// there is no estimate where there is none. A station that failed has only its name and its FailureText. With bom, the text starts with a UTF-8 byte-order mark,
/// by which a spreadsheet knows UTF-8. A row is made as soon as its station
/// is computed, so a batch need not keep every station's result.
class ResultsTable {
public:
    ResultsTable(const StationList& list, bool bom);
    void Add(const Station& station, const StationResult& result);
    const std::string& Text() const { return text_; }

private:
    const StationList& list_;
    std::string text_;
};

/// The whole table at once: results[i] is the result of list.stations[i].
std::string FormatResults(const StationList& list, const std::vector<StationResult>& results, bool bom);

/// Why the results may not be written to path, in Russian, to follow "…: "
/// in a message; empty when they may. Refused: what the job writer refuses
/// (a folder, FIFO, socket or device), and any file the batch was read from,
/// the table or a job, under whatever name or link it is reached by.
std::string ResultsTargetProblem(const std::filesystem::path& path, const StationList& list);

/// Why the bundle of statements may not be written to path, in Russian, to
/// follow "…: " in a message; empty when it may. Refused: a name that does
/// not end in ".pdf", any file the batch was read from (by whatever name or
/// link), and an existing file that is not a PDF or not a regular file.
/// Nothing is opened for writing.
std::string BundleTargetProblem(const std::filesystem::path& path, const StationList& list);

/// Writes the bytes atomically: into a new file beside path, checked write
/// by write and flushed to disk, then renamed over path; on any failure the
/// new file is removed and whatever path held is left as it was. Throws
/// BatchError with the reason.
void WriteResultsFile(const std::filesystem::path& path, std::string_view bytes);

} // namespace snesenie::batch
