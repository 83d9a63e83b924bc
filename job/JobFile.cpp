#include "JobFile.h"

#include "Errors.h"
#include "FieldTable.h"
#include "Numbers.h"
#include "SafeFile.h"
#include "Utf8.h"
#include "Utf8Path.h"
#include "Version.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <set>
#include <vector>

namespace snesenie::job {
namespace {

using Json = nlohmann::json;

// A document nested deeper than this is no job; stopping early keeps a
// hostile file of brackets from costing memory.
constexpr int kMaxDepth = 32;

[[noreturn]] void Refuse(const std::string& fileName, const std::string& problem, std::string field = {})
{
    throw JobError("Не удалось открыть задание " + QuotePath(fileName) + ": " + problem + ".", std::move(field));
}

[[noreturn]] void FailSave(const std::filesystem::path& path, const std::string& problem, std::string field = {})
{
    throw JobError("Не удалось сохранить задание " + QuotePath(PathToUtf8(path)) + ": " + problem + ".",
                   std::move(field));
}

// Where a byte of the file is, as a person looks for it: a line, and a column
// counted in characters, not bytes.
std::pair<std::size_t, std::size_t> LineAndColumn(std::string_view data, std::size_t offset)
{
    offset = std::min(offset, data.size());
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte == '\n') {
            ++line;
            column = 1;
        } else if ((byte & 0xC0) != 0x80) {
            ++column;
        }
    }
    return {line, column};
}

std::string At(std::string_view data, std::size_t offset)
{
    const auto [line, column] = LineAndColumn(data, offset);
    return " (строка " + std::to_string(line) + ", столбец " + std::to_string(column) + ")";
}

// The parser's own account of a syntax error, in the user's words.
std::string JsonProblem(const std::string& what)
{
    const auto has = [&what](const char* part) { return what.find(part) != std::string::npos; };
    if (has("; expected end of input"))
        return "лишние символы после конца документа";
    if (has("forbidden character after backslash") || has("'\\u' must be followed by 4 hex digits"))
        return "в тексте недопустимое сочетание с обратной косой чертой (\\)";
    if (has("surrogate"))
        return "в тексте повреждённый знак (половина пары UTF-16)";
    if (has("control character"))
        return "в тексте управляющий символ, не записанный через обратную косую черту (\\)";
    if (has("missing closing quote"))
        return "строка не закрыта кавычкой";
    if (has("ill-formed UTF-8") || has("invalid UTF-8"))
        return "строка не в кодировке UTF-8";
    if (has("invalid number"))
        return "недопустимое число";
    if (has("invalid literal"))
        return "недопустимое значение";
    if (has("unexpected end of input"))
        return "файл оборвался";
    if (has("expected ':'") || has("expected value separator"))
        return "после имени нет двоеточия";
    if (has("expected '}'") || has("expected string literal"))
        return "набор не закрыт скобкой «}» или между его элементами нет запятой";
    if (has("expected ']'"))
        return "массив не закрыт или между элементами нет запятой";
    return "недопустимое значение";
}

// Reads the file's bytes one at a time for the parser and keeps the offset
// of the last one read, so that a member named twice can be pointed at.
class CountingIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator() = default;
    CountingIterator(const char* at, const char* begin, std::size_t* last) : at_(at), begin_(begin), last_(last) {}
    reference operator*() const
    {
        *last_ = static_cast<std::size_t>(at_ - begin_);
        return *at_;
    }
    CountingIterator& operator++()
    {
        ++at_;
        return *this;
    }
    CountingIterator operator++(int)
    {
        CountingIterator before = *this;
        ++at_;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return at_ == other.at_; }
    bool operator!=(const CountingIterator& other) const { return at_ != other.at_; }

private:
    const char* at_ = nullptr;
    const char* begin_ = nullptr;
    std::size_t* last_ = nullptr;
};

// The opening quote of the string whose closing quote is at end.
std::size_t StringStart(std::string_view data, std::size_t end)
{
    for (std::size_t i = end; i-- > 0;) {
        if (data[i] != '"')
            continue;
        std::size_t backslashes = 0;
        while (backslashes < i && data[i - 1 - backslashes] == '\\')
            ++backslashes;
        if (backslashes % 2 == 0)
            return i;
    }
    return 0;
}

// A problem found while parsing, with where it is.
struct Refusal {
    std::string problem;
    std::size_t offset;
};

// The document as the parser reads it, keeping only what a job is read from:
// the members of the top object and the values of its "fields". Anything
// else (a comment, a member of a later version) is checked as JSON and let
// go, an object or array kept only as an empty one of its kind. Each event
// costs time in proportion to its own bytes, so any file is decided in time
// linear in its size, and a file of a million empty objects holds no memory.
// A member named twice in one object, at any depth, is refused: which of two
// texts would count is a guess.
class PrunedDocument {
public:
    PrunedDocument(std::string_view data, const std::size_t& last) : data_(data), last_(last) {}

    Json& Root() { return root_; }

    bool null() { return Put(nullptr); }
    bool boolean(bool value) { return Put(value); }
    bool number_integer(Json::number_integer_t value) { return Put(value); }
    bool number_unsigned(Json::number_unsigned_t value) { return Put(value); }
    bool number_float(Json::number_float_t value, const std::string&) { return Put(value); }
    bool string(std::string& value) { return Keeping() ? Put(std::move(value)) : true; }
    bool binary(Json::binary_t&) { return Put(nullptr); }  // never in text
    bool start_object(std::size_t) { return Open(Json::object()); }
    bool start_array(std::size_t) { return Open(Json::array()); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }

    bool key(std::string& name)
    {
        Frame& frame = open_.back();
        if (!frame.keys.insert(name).second)
            throw Refusal{"имя " + QuoteText(name) + " задано дважды", StringStart(data_, last_)};
        frame.key = std::move(name);
        return true;
    }

    // The parser's own exception, of its own type, for the caller to explain.
    template <class Exception>
    bool parse_error(std::size_t, const std::string&, const Exception& e)
    {
        throw e;
    }

private:
    struct Frame {
        Json* value;  // null when its members are let go
        std::set<std::string> keys;
        std::string key;  // the member whose value comes next
    };

    bool Keeping() const { return open_.empty() || open_.back().value != nullptr; }

    // Where a value read goes, or null when it is let go.
    Json* Place(Json value)
    {
        if (open_.empty())
            return &(root_ = std::move(value));
        Json* parent = open_.back().value;
        if (parent == nullptr)
            return nullptr;
        if (parent->is_object())
            return &((*parent)[open_.back().key] = std::move(value));
        parent->push_back(std::move(value));
        return &parent->back();
    }

    bool Put(Json value)
    {
        Place(std::move(value));
        return true;
    }

    bool Open(Json empty)
    {
        if (open_.size() >= static_cast<std::size_t>(kMaxDepth))
            throw Refusal{"слишком глубокая вложенность", last_};
        // Members are kept in the top object and in its "fields"; the
        // elements of an array never matter to a job.
        const bool keepMembers =
            empty.is_object() && (open_.empty() || (open_.size() == 1 && open_.back().key == "fields"));
        Json* placed = Place(std::move(empty));
        open_.push_back({keepMembers ? placed : nullptr, {}, {}});
        return true;
    }

    bool Close()
    {
        open_.pop_back();
        return true;
    }

    std::string_view data_;
    const std::size_t& last_;
    Json root_;
    std::vector<Frame> open_;
};

// Parses by RFC 8259, which the parser follows strictly (no comments, no
// stray escapes, no leading points, UTF-8 only).
Json ParseStrictly(std::string_view data, const std::string& fileName)
{
    std::size_t last = 0;
    PrunedDocument document(data, last);
    const CountingIterator begin(data.data(), data.data(), &last), end(data.data() + data.size(), data.data(), &last);
    try {
        Json::sax_parse(begin, end, &document);
        return std::move(document.Root());
    } catch (const Json::parse_error& e) {
        // The parser counts from 1 the byte at which it gave up: inside a
        // token it could not read, or at the end of one it did not expect,
        // which a person looks for at its start.
        std::size_t offset = std::min(e.byte > 0 ? e.byte - 1 : 0, data.size());
        const std::string what = e.what();
        if (what.find("unexpected") != std::string::npos && offset < data.size()) {
            if (data[offset] == '"') {
                offset = StringStart(data, offset);
            } else {
                const auto inToken = [](char c) {
                    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-';
                };
                while (offset > 0 && inToken(data[offset]) && inToken(data[offset - 1]))
                    --offset;
            }
        }
        Refuse(fileName, "это не JSON: " + JsonProblem(e.what()) + At(data, offset));
    } catch (const Json::out_of_range&) {
        // A number beyond the range of a double (1e999): valid JSON, yet no
        // value it could be. The parser is just past it; point at its start.
        const auto inNumber = [](char c) { return c != '\0' && std::strchr("0123456789.eE+-", c) != nullptr; };
        std::size_t offset = std::min(last, data.size());
        while (offset > 0 && (offset == data.size() || !inNumber(data[offset])))
            --offset;
        while (offset > 0 && inNumber(data[offset - 1]))
            --offset;
        Refuse(fileName, "число слишком велико" + At(data, offset));
    } catch (const Refusal& refusal) {
        Refuse(fileName, "это не JSON: " + refusal.problem + At(data, refusal.offset));
    }
}

// The length of a text in UTF-16 code units, as an edit box counts it.
std::size_t Utf16Length(std::string_view text)
{
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::optional<char32_t> c = NextCodePoint(text, i);
        units += c && *c > 0xFFFF ? 2 : 1;
    }
    return units;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Why a text from a file cannot be a field's text, or an empty string when it can.
std::string TextProblem(std::string_view text)
{
    if (!IsValidUtf8(text))
        return "содержит недопустимые символы";
    if (Utf16Length(text) > static_cast<std::size_t>(kMaxTextLength))
        return "длиннее " + std::to_string(kMaxTextLength) + " символов";
    for (std::size_t i = 0; i < text.size();)
        if (IsControl(*NextCodePoint(text, i)))
            return "содержит управляющие символы";
    return {};
}

// The control characters a pasted cell brings are invisible in a box, so a
// message says which one and where.
std::string ControlName(char32_t c)
{
    switch (c) {
    case U'\t':
        return "табуляция";
    case U'\n':
        return "перевод строки";
    case U'\r':
        return "возврат каретки";
    default:
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
        return buffer;
    }
}

// Why a text of the sheet cannot be saved, to follow "в поле «…» ", or an
// empty string when it can.
std::string SaveTextProblem(std::string_view text)
{
    if (!IsValidUtf8(text))
        return "текст не в кодировке UTF-8";
    if (Utf16Length(text) > static_cast<std::size_t>(kMaxTextLength))
        return "текст длиннее " + std::to_string(kMaxTextLength) + " символов";
    std::size_t position = 0;  // in characters, as a person counts them
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = *NextCodePoint(text, i);
        ++position;
        if (IsControl(c))
            return "текст содержит невидимый управляющий символ (" + ControlName(c) + ", знак " +
                   std::to_string(position) + ")";
    }
    return {};
}

// A field as a message names it: a file's by its name in the file; a save's,
// made from the window or the command line, as the window labels its box,
// like the messages of the computations.
std::string FieldName(const FieldInfo& field) { return QuoteText(field.name); }
std::string InField(const FieldInfo& field) { return "в поле " + QuoteText(field.caption) + " "; }

// A cell pasted from a spreadsheet brings a tab or a line break with it and a
// box keeps them, invisible; the number reader takes them for blanks, but a
// job holds no control character. So among the blanks at either end of a
// text the tabs and line breaks are dropped and the spaces kept as typed: the
// text reads as the same number. One inside a text is kept, for the save to
// refuse and point at.
std::string WithoutPastedBreaks(std::string_view text)
{
    const std::string_view number = TrimBlanks(text);
    const std::size_t start = static_cast<std::size_t>(number.data() - text.data());
    const std::size_t end = start + number.size();
    std::string out;
    out.reserve(text.size());
    auto keepSpaces = [&out](std::string_view blanks) {
        for (const char c : blanks)
            if (c != '\t' && c != '\r' && c != '\n')
                out += c;
    };
    keepSpaces(text.substr(0, start));
    out += text.substr(start, end - start);
    keepSpaces(text.substr(end));
    return out;
}

const FieldInfo* InputField(std::string_view name)
{
    const FieldInfo* field = FindField(name);
    return field != nullptr && field->kind == FieldKind::Input ? field : nullptr;
}

} // namespace

Job ExampleJob()
{
    Job job;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            job.texts.emplace(f.name, f.example);
    return job;
}

Job JobFromFields(const PageFields& fields)
{
    Job job;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            job.texts.emplace(f.name, WithoutPastedBreaks(fields.GetText(std::string(f.name))));
    return job;
}

void ApplyJob(const Job& job, PageFields& fields)
{
    for (const FieldInfo& f : Fields()) {
        const auto text = job.texts.find(f.name);
        const bool given = f.kind == FieldKind::Input && text != job.texts.end();
        fields.SetText(std::string(f.name), given ? text->second : std::string());
    }
}

Job ParseJob(std::string_view content, const std::string& fileName)
{
    if (std::ssize(content) > kMaxFileBytes)
        Refuse(fileName, "файл больше " + std::to_string(kMaxFileBytes >> 20) + "\u00A0МиБ, это не задание");
    if (content.find_first_not_of(" \t\r\n") == std::string_view::npos)
        Refuse(fileName, "файл пуст");

    const Json root = ParseStrictly(content, fileName);
    const std::string tagProblem =
        std::string("это не задание программы (нет метки \"format\": \"") + kFormatTag + "\")";
    if (!root.is_object())
        Refuse(fileName, tagProblem);
    const auto format = root.find("format");
    if (format == root.end() || !format->is_string() || format->get<std::string>() != kFormatTag)
        Refuse(fileName, tagProblem);

    const auto version = root.find("version");
    const double number = version != root.end() && version->is_number() ? version->get<double>() : -1;
    if (!std::isfinite(number) || number < 1 || number != std::floor(number))
        Refuse(fileName, "неверная версия формата: «version» должна быть целым числом не меньше 1");
    if (number > kFormatVersion) {
        const auto program = root.find("program");
        std::string writer;
        if (program != root.end() && program->is_string())
            writer = " " + QuoteText(program->get<std::string>().substr(0, 80));
        char shown[32];
        std::snprintf(shown, sizeof shown, "%.15g", number);
        Refuse(fileName, "задание записано более новой версией программы" + writer + " в формате версии " + shown +
                             ", а эта программа читает версию " + std::to_string(kFormatVersion));
    }

    const auto fields = root.find("fields");
    if (fields == root.end() || !fields->is_object())
        Refuse(fileName, "нет набора полей «fields» (объекта JSON)");
    Job job;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            job.texts.emplace(f.name, std::string());
    for (const auto& [name, value] : fields->items()) {
        const FieldInfo* field = FindField(name);
        if (field == nullptr)
            Refuse(fileName, "неизвестное поле " + QuoteText(name));
        if (field->kind != FieldKind::Input)
            Refuse(fileName, "поле " + FieldName(*field) + " вычисляется программой, в задании его не бывает", name);
        if (!value.is_string())
            Refuse(fileName, "значение поля " + FieldName(*field) + " не текст (в JSON — не строка в кавычках)", name);
        const std::string& text = value.get_ref<const std::string&>();
        if (const std::string problem = TextProblem(text); !problem.empty())
            Refuse(fileName, "текст поля " + FieldName(*field) + " " + problem, name);
        job.texts[name] = text;
    }
    return job;
}

Job ReadJob(const std::filesystem::path& path)
{
    const std::string fileName = PathToUtf8(path);
    std::string content;
    try {
        // One byte past the limit is enough to know a file is too large.
        content = ReadRegularFile(path, static_cast<std::size_t>(kMaxFileBytes));
    } catch (const FileError& e) {
        Refuse(fileName, e.what());
    }
    return ParseJob(content, fileName);
}

std::string SerializeJob(const Job& job)
{
    // Members in alphabetical order (the json object is a sorted map), four
    // spaces of indentation, texts as UTF-8 and not as escapes.
    Json fields = Json::object();
    for (const FieldInfo& f : Fields()) {
        if (f.kind != FieldKind::Input)
            continue;
        const auto text = job.texts.find(f.name);
        fields[std::string(f.name)] = text != job.texts.end() ? text->second : std::string();
    }
    const Json root{
        {"format", kFormatTag},
        {"version", kFormatVersion},
        {"program", kVersion},
        {"fields", fields},
    };
    return root.dump(4, ' ', false, Json::error_handler_t::strict) + "\n";
}

std::string WriteJob(const Job& job, const std::filesystem::path& path)
{
    // Never write what the reader would refuse: a file saved today must open
    // tomorrow.
    for (const auto& [name, text] : job.texts) {
        const FieldInfo* field = InputField(name);
        if (field == nullptr)
            FailSave(path, "нет поля ввода " + QuoteText(name));
        if (const std::string problem = SaveTextProblem(text); !problem.empty())
            FailSave(path, InField(*field) + problem, name);
    }
    std::string notice;
    try {
        notice = WriteFileAtomically(path, SerializeJob(job));
    } catch (const FileError& e) {
        FailSave(path, e.what());
    }
    return notice.empty() ? notice : "Задание " + QuotePath(PathToUtf8(path)) + " сохранено, но " + notice + ".";
}

} // namespace snesenie::job
