#pragma once

// A batch: many stations, each a sheet of its own, read from a table (CSV)
// or from a folder of job files. Reading is all or nothing: a table whose
// structure is broken is refused whole, before any station is computed; a
// cell that is not a number is the business of its own station later.

#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace snesenie::batch {

/// The largest table of stations read, in bytes: some sixty thousand rows, a
/// season of work many times over, while a wrong file (a disc image, a log)
/// is refused at once rather than read to its end.
inline constexpr std::int64_t kMaxTableBytes = 16 * 1024 * 1024;

/// The column that names the station; a Russian table may call it
/// kStationColumnRussian instead. The field columns keep the fields' names.
inline constexpr const char* kStationColumn = "station";
inline constexpr const char* kStationColumnRussian = "станция";

/// The texts of a station's 26 input fields, held packed in one string in
/// the order of the field table, each after its length: a table of many
/// short rows takes memory in proportion to its bytes, not to its cells
/// (a map of 26 texts costs some 3 KiB, for a row that may be 28 bytes).
class StationTexts {
public:
    StationTexts() = default;
    /// Every input field of the map with its text; other names are ignored.
    explicit StationTexts(const std::map<std::string, std::string, std::less<>>& texts);
    /// The texts of the input fields in the order of the field table.
    explicit StationTexts(const std::vector<std::string_view>& ordered);

    /// The text of the input field; empty for one not given or no input.
    std::string_view Get(std::string_view field) const;
    /// Gives the input field its text; a name that is no input is ignored.
    void Set(std::string_view field, std::string_view text);
    /// Every input field with its text.
    std::map<std::string, std::string, std::less<>> ToMap() const;

    bool operator==(const StationTexts&) const = default;

private:
    std::string packed_;  // empty: every text empty
};

/// One station: its name and the texts of the 26 input fields, exactly as
/// the cells or the job held them.
struct Station {
    std::string name;
    int line = 0;       ///< the line of the table its row starts on; 0 for a job
    std::string file;   ///< the job file it was read from; empty for a table row
    std::string readError;  ///< why its job could not be read; the station then fails
    StationTexts texts;
    /// The precision of this station's measurements over the settings, from
    /// the optional columns named by the precision keys (angleSeconds, …):
    /// key → text as the cell held it; an empty cell keeps the setting.
    std::map<std::string, std::string, std::less<>> precision;
};

/// Everything a batch reads, checked through.
struct StationList {
    std::vector<Station> stations;
    /// The separator of the table, used for the results too; ';' for a
    /// folder of jobs, as a spreadsheet in the Russian locale expects.
    char separator = ';';
    /// The column of each input field in the table, counted from 1, for the
    /// messages of a station that fails; empty for a folder of jobs.
    std::map<std::string, int, std::less<>> columns;
    /// Every file the batch was read from: the table, or each job. Results
    /// are never written over one of them.
    std::vector<std::filesystem::path> inputs;
};

/// The batch as a whole cannot be read. what() is the Russian message; it
/// names the file and, for a fault inside a table, the line and column.
class BatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The separators a table may use: ';' (a spreadsheet in the Russian locale,
/// whose decimal separator is the comma) and ','.
bool IsSeparator(char c);

/// Reads a table of stations from its bytes; fileName is only for messages.
/// separator 0 takes it from the header: ';' when the header holds one, else
/// ','. A UTF-8 byte-order mark at the start is dropped; lines end in LF or
/// CR LF; cells follow RFC 4180 (a cell in double quotes may hold the
/// separator, line breaks and doubled quotes). The header names the column
/// "station" and the 26 input fields, in any order, each exactly once, and
/// may name the precision keys (angleSeconds, baseMillimetres, baseRatio,
/// givenMetres) as optional columns that override the settings per station.
/// Rows whose cells are all empty are skipped; every other row has as many
/// cells as the header. Throws BatchError for anything else: an unknown or
/// repeated column, a missing one, a ragged row, a quote left open or
/// astray, bytes that are not UTF-8, a zero byte, no station at all.
StationList ParseStationTable(std::string_view content, const std::string& fileName, char separator = 0);

/// As ParseStationTable, from a file: only a regular file of at most
/// kMaxTableBytes is read, so a FIFO, a device or a huge file is refused
/// at once without a byte read or a wait.
StationList ReadStationTable(const std::filesystem::path& path, char separator = 0);

/// Every job file (*.snesenie) directly in the folder, in the order of their
/// names, each a station named by its file name without the extension. A job
/// that cannot be read does not stop the others: its station carries the
/// reason in readError and fails when it is run. Throws BatchError when
/// the folder cannot be listed or holds no job.
StationList ReadJobFolder(const std::filesystem::path& folder);

/// A table or a folder of jobs, whichever path names.
StationList ReadStations(const std::filesystem::path& path, char separator = 0);

} // namespace snesenie::batch
