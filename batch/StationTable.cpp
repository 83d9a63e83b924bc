#include "Stations.h"

#include "Accuracy.h"
#include "Errors.h"
#include "FieldTable.h"
#include "Numbers.h"
#include "SafeFile.h"
#include "Utf8.h"
#include "Utf8Path.h"

#include <algorithm>
#include <iterator>
#include <system_error>

namespace snesenie::batch {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string Where(int line, int column)
{
    std::string out = "строка " + std::to_string(line);
    if (column > 0)
        out += ", столбец " + std::to_string(column);
    return out;
}

[[noreturn]] void Refuse(const std::string& fileName, const std::string& problem)
{
    throw BatchError("Не удалось прочитать таблицу станций " + QuotePath(fileName) + ": " + problem + ".");
}

[[noreturn]] void RefuseAt(const std::string& fileName, int line, int column, const std::string& problem)
{
    Refuse(fileName, Where(line, column) + ": " + problem);
}

struct Cell {
    std::string text;
    int line;  // where the cell starts
};

struct Record {
    std::vector<Cell> cells;
    int line;  // where the record starts
};

// RFC 4180 cells, one record at a time. Every byte that is not a quote, the
// separator or a line end is taken as it stands, so the cutting is the same
// whatever the text in between; what a cell holds is checked afterwards.
class Reader {
public:
    Reader(std::string_view content, char separator, bool crLineEnds, const std::string& fileName)
        : in_(content), separator_(separator), crLineEnds_(crLineEnds), fileName_(fileName)
    {
    }

    bool AtEnd() const { return pos_ >= in_.size(); }

    Record Next()
    {
        Record record{{}, line_};
        for (;;) {
            Cell cell{{}, line_};
            const int column = static_cast<int>(record.cells.size()) + 1;
            if (pos_ < in_.size() && in_[pos_] == '"')
                ReadQuoted(cell, column);
            else
                ReadPlain(cell, column);
            Check(cell, column);
            record.cells.push_back(std::move(cell));
            if (pos_ >= in_.size())
                return record;
            if (in_[pos_] == separator_) {
                ++pos_;
                continue;
            }
            // a line end: LF, CR LF, or in a table of CR ends a lone CR
            pos_ += in_[pos_] == '\r' && pos_ + 1 < in_.size() && in_[pos_ + 1] == '\n' ? 2 : 1;
            ++line_;
            return record;
        }
    }

private:
    bool AtLineEnd(std::size_t i) const
    {
        return in_[i] == '\n' || (in_[i] == '\r' && (crLineEnds_ || (i + 1 < in_.size() && in_[i + 1] == '\n')));
    }

    // The line ends in a quoted part, which move the line of what follows.
    int LineEnds(std::string_view part) const
    {
        int ends = 0;
        for (std::size_t i = 0; i < part.size(); ++i)
            ends += part[i] == '\n' || (crLineEnds_ && part[i] == '\r' && (i + 1 == part.size() || part[i + 1] != '\n'));
        return ends;
    }

    void ReadPlain(Cell& cell, int column)
    {
        const std::size_t start = pos_;
        while (pos_ < in_.size() && in_[pos_] != separator_ && !AtLineEnd(pos_)) {
            if (in_[pos_] == '"')
                RefuseAt(fileName_, line_, column,
                         "кавычка внутри ячейки без кавычек (ячейку с кавычками целиком заключают в кавычки, а "
                         "кавычку внутри неё удваивают)");
            ++pos_;
        }
        cell.text.assign(in_.substr(start, pos_ - start));
    }

    void ReadQuoted(Cell& cell, int column)
    {
        const int opened = line_;
        ++pos_;
        for (;;) {
            const std::size_t quote = in_.find('"', pos_);
            if (quote == std::string_view::npos)
                RefuseAt(fileName_, opened, column, "кавычка открыта и не закрыта до конца файла");
            const std::string_view part = in_.substr(pos_, quote - pos_);
            line_ += LineEnds(part);
            cell.text.append(part);
            pos_ = quote + 1;
            if (pos_ < in_.size() && in_[pos_] == '"') {
                cell.text += '"';
                ++pos_;
                continue;
            }
            break;
        }
        if (pos_ < in_.size() && in_[pos_] != separator_ && !AtLineEnd(pos_))
            RefuseAt(fileName_, line_, column,
                     std::string("после закрывающей кавычки ожидается разделитель «") + separator_ +
                         "» или конец строки");
    }

    // A zero byte or bytes that are not UTF-8 mean this is not a table at
    // all (a binary file, a table saved in another encoding): refused before
    // anything is computed, so nothing is half done.
    void Check(const Cell& cell, int column) const
    {
        if (cell.text.find('\0') != std::string::npos)
            RefuseAt(fileName_, cell.line, column, "нулевой байт: это двоичный файл, а не таблица CSV");
        if (!IsValidUtf8(cell.text))
            RefuseAt(fileName_, cell.line, column,
                     "текст не в кодировке UTF-8 (сохраните таблицу как «CSV UTF-8»)");
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    int line_ = 1;
    char separator_;
    bool crLineEnds_;
    const std::string& fileName_;
};

// Whether the table's lines end in a lone CR, as old spreadsheets of the
// Macintosh save them: the header's end tells, as it tells the separator.
// Elsewhere a lone CR is text of its cell.
bool EndsLinesInCr(std::string_view content)
{
    bool quoted = false;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '"')
            quoted = !quoted;
        else if (!quoted && content[i] == '\n')
            return false;
        else if (!quoted && content[i] == '\r')
            return i + 1 == content.size() || content[i + 1] != '\n';
    }
    return false;
}

// The separator of the header line: the header holds only names, so the
// first ';' or ',' outside quotes tells which one the table uses.
char DetectSeparator(std::string_view content, bool crLineEnds, const std::string& fileName)
{
    if (crLineEnds)
        content = content.substr(0, content.find('\r'));
    bool quoted = false;
    for (const char c : content) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '\n')
            break;
        else if (!quoted && c == ';')
            return ';';
    }
    quoted = false;
    for (const char c : content) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '\n')
            break;
        else if (!quoted && c == ',')
            return ',';
    }
    RefuseAt(fileName, 1, 0,
             "в заголовке нет разделителя «;» или «,»: первая строка должна называть столбец station (или станция) "
             "и 26 полей ввода");
}

std::string_view TrimSpaces(std::string_view s)
{
    const std::size_t start = s.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return {};
    return s.substr(start, s.find_last_not_of(" \t") - start + 1);
}

// The header: which column holds the name, and which each field.
struct Header {
    int stationColumn = 0;  // from 1
    std::vector<std::size_t> inputOfColumn;  // from 0: the field's place among the inputs of the field table
    std::size_t inputs = 0;  // how many inputs the field table has
    std::map<std::string, int, std::less<>> columns;
    std::vector<std::string> fieldOfColumn;  // from 0: a precision column's key, else empty
};

Header ReadHeader(const Record& record, const std::string& fileName)
{
    Header header;
    header.inputOfColumn.resize(record.cells.size());
    header.fieldOfColumn.resize(record.cells.size());
    std::map<std::string_view, std::size_t> inputIndex;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            inputIndex.emplace(f.name, header.inputs++);
    for (std::size_t i = 0; i < record.cells.size(); ++i) {
        const int column = static_cast<int>(i) + 1;
        const std::string name(TrimSpaces(record.cells[i].text));
        if (name.empty())
            RefuseAt(fileName, record.line, column, "у столбца нет имени");
        const bool isStation = name == kStationColumn || name == kStationColumnRussian;
        int& seen = isStation ? header.stationColumn : header.columns[name];
        if (seen != 0)
            RefuseAt(fileName, record.line, column,
                     "столбец " + QuoteText(name) + " назван дважды (столбцы " + std::to_string(seen) + " и " +
                         std::to_string(column) + ")");
        seen = column;
        if (isStation)
            continue;
        if (FindPrecisionField(name) != nullptr) {
            header.fieldOfColumn[i] = name;
            continue;
        }
        const FieldInfo* field = FindField(name);
        if (field == nullptr)
            RefuseAt(fileName, record.line, column,
                     "неизвестный столбец " + QuoteText(name) + " (ожидаются station или станция и имена 26 полей ввода: "
                                                               "EXc, EYc, EXb, …, и по желанию angleSeconds, "
                                                               "baseMillimetres, baseRatio, givenMetres)");
        if (field->kind != FieldKind::Input)
            RefuseAt(fileName, record.line, column,
                     "столбец " + QuoteText(name) + " — поле, которое вычисляет программа; его не задают");
        header.inputOfColumn[i] = inputIndex.at(name);
    }
    if (header.stationColumn == 0)
        RefuseAt(fileName, record.line, 0, "нет столбца «station» (или «станция») с названием станции");
    std::string missing;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input && !header.columns.contains(f.name))
            missing += (missing.empty() ? "" : ", ") + std::string(f.name);
    if (!missing.empty())
        RefuseAt(fileName, record.line, 0, "нет столбцов полей ввода: " + missing);
    return header;
}

bool AllEmpty(const Record& record)
{
    return std::all_of(record.cells.begin(), record.cells.end(), [](const Cell& c) { return c.text.empty(); });
}

std::string DisplayName(const std::filesystem::path& path) { return job::PathToUtf8(path); }

} // namespace

bool IsSeparator(char c) { return c == ';' || c == ','; }

StationList ParseStationTable(std::string_view content, const std::string& fileName, char separator)
{
    if (std::ssize(content) > kMaxTableBytes)
        Refuse(fileName, "файл больше 16\u00A0МиБ, это не таблица станций");
    // A spreadsheet's "Unicode text" is UTF-16: every other byte of it zero,
    // which would be refused as a binary file without a word of what to do.
    if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF"))
        Refuse(fileName, "таблица в кодировке UTF-16: сохраните таблицу в UTF-8 («CSV UTF-8»)");
    if (content.starts_with(kBom))
        content.remove_prefix(kBom.size());
    if (TrimSpaces(content).find_first_not_of("\r\n") == std::string_view::npos)
        Refuse(fileName, "файл пуст");
    const bool crLineEnds = EndsLinesInCr(content);
    if (separator == 0)
        separator = DetectSeparator(content, crLineEnds, fileName);

    Reader reader(content, separator, crLineEnds, fileName);
    const Record first = reader.Next();
    const Header header = ReadHeader(first, fileName);

    StationList list;
    // Room for a station on every line at once: grown step by step, the
    // list would for a while hold its old copy beside the new.
    list.stations.reserve(static_cast<std::size_t>(
        std::count(content.begin(), content.end(), crLineEnds ? '\r' : '\n')));
    list.separator = separator;
    list.columns = header.columns;
    while (!reader.AtEnd()) {
        const Record record = reader.Next();
        if (AllEmpty(record))
            continue;
        const std::size_t want = first.cells.size();
        if (record.cells.size() != want) {
            const int column = static_cast<int>(std::min(record.cells.size(), want)) + 1;
            RefuseAt(fileName, record.line, column,
                     "в строке " + CountOf(static_cast<std::int64_t>(record.cells.size()), "ячейка", "ячейки", "ячеек") +
                         ", а в заголовке " + CountOf(static_cast<std::int64_t>(want), "ячейка", "ячейки", "ячеек"));
        }
        Station station;
        station.line = record.line;
        std::vector<std::string_view> ordered(header.inputs);
        for (std::size_t i = 0; i < want; ++i) {
            if (static_cast<int>(i) + 1 == header.stationColumn)
                station.name = record.cells[i].text;
            else if (FindPrecisionField(header.fieldOfColumn[i]) != nullptr)
                station.precision.emplace(header.fieldOfColumn[i], record.cells[i].text);
            else
                ordered[header.inputOfColumn[i]] = record.cells[i].text;
        }
        station.texts = StationTexts(ordered);
        list.stations.push_back(std::move(station));
    }
    if (list.stations.empty())
        Refuse(fileName, "в таблице нет ни одной станции, только заголовок");
    return list;
}

StationList ReadStationTable(const std::filesystem::path& path, char separator)
{
    const std::string name = DisplayName(path);
    std::string content;
    // The one reader of the program's files: a FIFO is refused without
    // waiting for a writer, a device or a folder without being read. One byte
    // past the limit is enough to know a file is too large.
    try {
        content = job::ReadRegularFile(path, static_cast<std::size_t>(kMaxTableBytes));
    } catch (const job::FileError& e) {
        Refuse(name, e.what());
    }
    StationList list = ParseStationTable(content, name, separator);
    list.inputs.push_back(path);
    return list;
}

StationList ReadStations(const std::filesystem::path& path, char separator)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return ReadJobFolder(path);
    return ReadStationTable(path, separator);
}

} // namespace snesenie::batch
