#include "Results.h"

#include "Errors.h"
#include "SafeFile.h"
#include "StatementTarget.h"
#include "Utf8Path.h"

#include <system_error>

namespace snesenie::batch {
namespace {

void AppendRow(std::string& out, const std::vector<std::string_view>& cells, char separator)
{
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += separator;
        out += CsvCell(cells[i], separator);
    }
    out += "\r\n";
}

[[noreturn]] void FailWrite(const std::filesystem::path& path, const std::string& reason)
{
    throw BatchError("Не удалось записать результаты в " + QuotePath(job::PathToUtf8(path)) + ": " + reason + ".");
}

// A cell of text (a name, a message) as the table holds it: control
// characters and bytes that are not UTF-8 escaped as a message shows them,
// so the table is UTF-8 and safe on a terminal; and one that a spreadsheet
// would take for a formula (=, +, -, @, or a tab or CR before one) starts
// with an apostrophe, which shows it as text. Numbers never come here: a
// sign before a coordinate is the number's own.
std::string TextCell(std::string_view text)
{
    std::string cell = EscapeText(text);
    if (!cell.empty() && std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos)
        cell.insert(0, 1, '\'');
    return cell;
}

} // namespace

std::string CsvCell(std::string_view text, char separator)
{
    if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

namespace {

// station, the point fields, the estimate, a number (where the check has
// one) and a verdict for each check, the overall verdict, the notes, the error
constexpr std::size_t kEstimateColumns = 3;

constexpr std::size_t CountColumns()
{
    std::size_t n = 1 + kPointFields.size() + kEstimateColumns + 3;
    for (const CheckColumn& c : kCheckColumns)
        n += c.number != nullptr ? 2 : 1;
    return n;
}
constexpr std::size_t kColumns = CountColumns();

} // namespace

ResultsTable::ResultsTable(const StationList& list, bool bom) : list_(list)
{
    if (bom)
        text_ = "\xEF\xBB\xBF";
    text_.reserve(text_.size() + 320 * (list.stations.size() + 1));
    std::vector<std::string> names{kStationColumn};
    names.insert(names.end(), kPointFields.begin(), kPointFields.end());
    names.insert(names.end(), {"mx_m", "my_m", "mP_m"});
    for (const CheckColumn& check : kCheckColumns) {
        if (check.number != nullptr)
            names.emplace_back(check.number);
        names.push_back(std::string(check.check) + "_verdict");
    }
    names.emplace_back("verdict");
    names.emplace_back("notes");
    names.emplace_back("error");
    AppendRow(text_, std::vector<std::string_view>(names.begin(), names.end()), list.separator);
}

void ResultsTable::Add(const Station& station, const StationResult& result)
{
    std::vector<std::string> cells(kColumns);
    cells[0] = TextCell(station.name);
    if (!result.computed) {
        cells.back() = TextCell(FailureText(station, result, list_));
        AppendRow(text_, std::vector<std::string_view>(cells.begin(), cells.end()), list_.separator);
        return;
    }
    for (std::size_t k = 0; k < result.point.size(); ++k)
        cells[1 + k] = result.point[k];
    if (result.control) {
        // A spreadsheet reads the decimal comma in a table parted by ';'.
        const char decimal = list_.separator == ';' ? ',' : '.';
        std::string notes;
        const AccuracyEstimate& a = result.control->accuracy;
        std::size_t at = 1 + kPointFields.size();
        if (!a.none) {
            cells[at] = WithDecimal(FormatMetres4(a.mean.mx), decimal);
            cells[at + 1] = WithDecimal(FormatMetres4(a.mean.my), decimal);
            cells[at + 2] = WithDecimal(FormatMetres4(a.mean.mP), decimal);
        } else {
            notes = "оценка точности: " + *a.none;
        }
        at += kEstimateColumns;
        // Each check in the columns of its name, so that a control that one
        // day gives its checks in another order still lands right.
        for (const CheckColumn& column : kCheckColumns) {
            for (const Check& check : result.control->checks) {
                if (check.name != column.check)
                    continue;
                if (column.number != nullptr)
                    cells[at] = CheckNumber(check, decimal);
                cells[at + (column.number != nullptr ? 1 : 0)] = VerdictCode(check.verdict);
                notes += (notes.empty() ? "" : " | ") + check.name + ": " + check.value;
            }
            at += column.number != nullptr ? 2 : 1;
        }
        cells[kColumns - 3] = VerdictCode(result.control->Overall());
        cells[kColumns - 2] = TextCell(notes);
    }
    AppendRow(text_, std::vector<std::string_view>(cells.begin(), cells.end()), list_.separator);
}

std::string FormatResults(const StationList& list, const std::vector<StationResult>& results, bool bom)
{
    ResultsTable table(list, bom);
    for (std::size_t i = 0; i < results.size() && i < list.stations.size(); ++i)
        table.Add(list.stations[i], results[i]);
    return table.Text();
}

std::string ResultsTargetProblem(const std::filesystem::path& path, const StationList& list)
{
    if (std::string problem = job::NotRegularFileProblem(path); !problem.empty())
        return problem;
    for (const std::filesystem::path& input : list.inputs) {
        std::error_code error;
        if (std::filesystem::equivalent(path, input, error))
            return list.inputs.size() == 1 && input.extension() != ".snesenie"
                       ? "это таблица станций, из которой вычисляется пакет"
                       : "это задание пакета " + QuotePath(job::PathToUtf8(input));
    }
    return {};
}

std::string BundleTargetProblem(const std::filesystem::path& path, const StationList& list)
{
    // The batch's own files first: a table saved under a .pdf name is still
    // the table, and its name would pass the check for a PDF.
    if (!job::HasPdfExtension(path))
        return job::StatementTargetProblem(path, {});
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        if (const std::string problem = ResultsTargetProblem(path, list); !problem.empty())
            return problem;
    }
    return job::StatementTargetProblem(path, {});
}

void WriteResultsFile(const std::filesystem::path& path, std::string_view bytes)
{
    // The one checked writer of every file the program makes: a temporary
    // beside the target, every write checked, flushed, renamed over it; a
    // link written through, anything but a regular file refused.
    try {
        job::WriteFileAtomically(path, bytes);
    } catch (const job::FileError& e) {
        FailWrite(path, e.what());
    }
}

} // namespace snesenie::batch
