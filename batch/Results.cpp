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
    throw BatchError("Не удалось записать результаты " + QuotePath(job::PathToUtf8(path)) + ": " + reason + ".");
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

// station, the point fields, a value and a verdict for each check, the
// overall verdict, the error
constexpr std::size_t kColumns = 1 + kPointFields.size() + 2 * kCheckNames.size() + 2;

} // namespace

ResultsTable::ResultsTable(const StationList& list, bool bom) : list_(list)
{
    if (bom)
        text_ = "\xEF\xBB\xBF";
    text_.reserve(text_.size() + 256 * (list.stations.size() + 1));
    std::vector<std::string> names{kStationColumn};
    names.insert(names.end(), kPointFields.begin(), kPointFields.end());
    for (const char* check : kCheckNames) {
        names.emplace_back(check);
        names.push_back(std::string(check) + "_verdict");
    }
    names.emplace_back("verdict");
    names.emplace_back("error");
    AppendRow(text_, std::vector<std::string_view>(names.begin(), names.end()), list.separator);
}

void ResultsTable::Add(const Station& station, const StationResult& result)
{
    std::vector<std::string_view> cells(kColumns);
    const std::string name = TextCell(station.name);
    cells[0] = name;
    if (!result.computed) {
        const std::string failure = TextCell(FailureText(station, result, list_));
        cells.back() = failure;
        AppendRow(text_, cells, list_.separator);
        return;
    }
    for (std::size_t k = 0; k < result.point.size(); ++k)
        cells[1 + k] = result.point[k];
    if (result.control) {
        // Each check in the column of its name, so that a control that one
        // day gives its checks in another order still lands right.
        for (const Check& check : result.control->checks) {
            for (std::size_t c = 0; c < kCheckNames.size(); ++c) {
                if (check.name == kCheckNames[c]) {
                    cells[1 + kPointFields.size() + 2 * c] = check.value;
                    cells[2 + kPointFields.size() + 2 * c] = VerdictCode(check.verdict);
                }
            }
        }
        cells[kColumns - 2] = VerdictCode(result.control->Overall());
    }
    AppendRow(text_, cells, list_.separator);
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
                       ? "это таблица станций, из которой считается пакет"
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
