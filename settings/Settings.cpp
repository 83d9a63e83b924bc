#include "Settings.h"

#include "Errors.h"
#include "Numbers.h"
#include "SettingsFile.h"
#include "Utf8Path.h"

#include <algorithm>
#include <cstdlib>

namespace snesenie {
namespace {

// Sections and keys as the program has always stored them.
const std::string kControl = "control";
const std::string kPrecision = "precision";
const std::string kJobs = "jobs";
const std::string kRecent = "recent";
const std::string kFolder = "folder";

std::string Trimmed(std::string_view s)
{
    const std::size_t start = s.find_first_not_of(" \t\r");
    if (start == std::string_view::npos)
        return {};
    const std::size_t end = s.find_last_not_of(" \t\r");
    return std::string(s.substr(start, end - start + 1));
}

// A path in a message: whole while it is short, with control and invisible
// characters escaped as a quoted text has them; a long one keeps its start
// and its file name.
std::string QuotePath(const std::filesystem::path& file)
{
    const std::string path = job::PathToUtf8(file);
    if (path.size() <= 40)
        return QuoteText(path);
    const std::string name = job::PathToUtf8(file.filename());
    const std::string head = QuoteText(path.substr(0, path.size() - name.size()));
    const std::string tail = QuoteText(name);
    // «/folder/…» + «name» as one quoted text.
    return head.substr(0, head.size() - std::string("»").size()) + tail.substr(std::string("«").size());
}

std::string Where(const std::filesystem::path& file)
{
    return "Файл настроек " + QuotePath(file);
}

} // namespace

#ifdef _WIN32

std::filesystem::path UserSettingsFile()
{
    // The roaming application data of the account, by its UTF-16 name: the
    // narrow environment would spell a Cyrillic user name in the ANSI code page.
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || *appData == L'\0')
        return {};
    const std::filesystem::path folder(appData);
    if (!folder.is_absolute())
        return {};
    return folder / "snesenie" / "snesenie.conf";
}

#else

std::filesystem::path UserSettingsFile()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path folder;
    if (config != nullptr && *config == '/') {
        folder = config;
    } else {
        // A relative HOME is refused as the XDG rules refuse a relative
        // XDG_CONFIG_HOME: it would put the settings under whatever folder
        // the program happened to start in.
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home != '/')
            return {};
        folder = std::filesystem::path(home) / ".config";
    }
    return folder / "snesenie" / "snesenie.conf";
}

#endif

Settings::Settings(std::filesystem::path file) : file_(std::move(file)) { Reload(); }

void Settings::Reload()
{
    sections_.clear();
    tolerances_ = {};
    precision_ = {};
    storesPrecision_ = false;
    recent_.clear();
    jobFolder_.clear();
    problems_.clear();
    unread_ = false;
    storesTolerances_ = false;
    unusableTolerances_.clear();
    tolerancesChosen_ = false;
    readTolerances_ = tolerances_;
    readPrecision_ = precision_;
    readRecent_.clear();
    readJobFolder_.clear();
    if (file_.empty())
        return;
    std::string problem;
    const std::optional<std::string> content = settings::ReadFile(file_, kMaxFileBytes, problem);
    unread_ = !problem.empty();
    if (unread_)
        problems_.push_back(Where(file_) + " не прочитан: " + problem + ". Действуют настройки по умолчанию.");
    if (!content)
        return;
    sections_ = Parse(*content);
    ReadTolerances();
    ReadPrecision();
    if (const std::string* recent = Raw(kJobs, kRecent))
        SetRecentJobs(settings::UnquoteList(*recent));
    if (const std::string* folder = Raw(kJobs, kFolder))
        jobFolder_ = settings::UnquoteValue(*folder);
    readTolerances_ = tolerances_;
    readPrecision_ = precision_;
    readRecent_ = recent_;
    readJobFolder_ = jobFolder_;
}

std::vector<Settings::Section> Settings::Parse(const std::string& content)
{
    std::vector<Section> sections;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        const std::string line = Trimmed(std::string_view(content).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            sections.push_back({line.substr(1, line.size() - 2), {}});
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        // Entries before any section belong to the general one, as written.
        if (sections.empty())
            sections.push_back({"General", {}});
        sections.back().entries.push_back({Trimmed(line.substr(0, eq)), Trimmed(line.substr(eq + 1))});
    }
    return sections;
}

const std::string* Settings::Raw(const std::vector<Section>& sections, const std::string& section,
                                 const std::string& key)
{
    // The last of repeated entries wins, as it would on being written again.
    const std::string* found = nullptr;
    for (const Section& s : sections)
        if (s.name == section)
            for (const Entry& e : s.entries)
                if (e.key == key)
                    found = &e.value;
    return found;
}

// Each tolerance on its own: one mistyped value must not throw away the
// others, which are the office's instruction.
void Settings::ReadTolerances()
{
    for (const ToleranceField& field : ToleranceFields()) {
        const std::string* raw = Raw(kControl, field.key);
        if (raw == nullptr)
            continue;
        const std::string text = settings::UnquoteValue(*raw);
        double value = 0;
        if (const std::optional<std::string> wrong = ReadTolerance(field, text, value)) {
            problems_.push_back(Where(file_) + ": допуск " + QuoteText(field.key) + " = " + QuoteText(text) +
                                " вне пределов (нужно число " + ToleranceRange(field) +
                                "); действует значение по умолчанию " + FormatNumber(tolerances_.*field.member) +
                                "; исправьте его в окне «Допуски» (Файл → Допуски…).");
            unusableTolerances_.push_back(field.key);
            continue;
        }
        tolerances_.*field.member = value;
        storesTolerances_ = true;
    }
}

// As the tolerances: each precision on its own.
void Settings::ReadPrecision()
{
    for (const PrecisionField& field : PrecisionFields()) {
        const std::string* raw = Raw(kPrecision, field.key);
        if (raw == nullptr)
            continue;
        const std::string text = settings::UnquoteValue(*raw);
        double value = 0;
        if (const std::optional<std::string> wrong = snesenie::ReadPrecision(field, text, value)) {
            problems_.push_back(Where(file_) + ": точность " + QuoteText(field.key) + " = " + QuoteText(text) +
                                " вне пределов (нужно число " + PrecisionRange(field) +
                                "); действует значение по умолчанию " + FormatNumber(precision_.*field.member) +
                                "; исправьте его в окне «Допуски» (Файл → Допуски…).");
            continue;
        }
        precision_.*field.member = value;
        storesPrecision_ = true;
    }
}

void Settings::SetRecentJobs(std::vector<std::string> paths)
{
    std::vector<std::string> kept;
    for (std::string& path : paths)
        if (!path.empty() && std::ranges::find(kept, path) == kept.end() && kept.size() < kMaxRecentJobs)
            kept.push_back(std::move(path));
    recent_ = std::move(kept);
}

void Settings::NoteRecentJob(const std::string& path)
{
    std::vector<std::string> paths{path};
    paths.insert(paths.end(), recent_.begin(), recent_.end());
    SetRecentJobs(std::move(paths));
}

void Settings::ForgetRecentJob(const std::string& path)
{
    std::erase(recent_, path);
}

// The recent list to store: the jobs this store put first since the list was
// read, then the list as the file holds it now (another copy of the program
// may have saved it meanwhile) less those and less the jobs this store took
// off.
std::vector<std::string> Settings::MergedRecent(const std::vector<std::string>& onDisk) const
{
    const std::vector<std::string>& now = recent_;
    const std::vector<std::string>& read = readRecent_;
    auto follows = [&read](auto first, auto last) {
        auto r = read.begin();
        for (; first != last; ++first) {
            r = std::find(r, read.end(), *first);
            if (r == read.end())
                return false;
            ++r;
        }
        return true;
    };
    // Put first: the shortest head of the list after which it is the list
    // as read, in its order, less some entries.
    std::size_t head = 0;
    while (!follows(now.begin() + static_cast<std::ptrdiff_t>(head), now.end()))
        ++head;
    const std::vector<std::string> first(now.begin(), now.begin() + static_cast<std::ptrdiff_t>(head));
    auto in = [](const std::vector<std::string>& list, const std::string& path) {
        return std::ranges::find(list, path) != list.end();
    };
    // Taken off: entries read and gone, but not the tail that only fell off
    // the end of a full list when a job was put first.
    std::vector<std::string> rest;
    for (const std::string& path : read)
        if (!in(first, path))
            rest.push_back(path);
    std::size_t kept = rest.size();
    if (now.size() == kMaxRecentJobs)
        while (kept > 0 && !in(now, rest[kept - 1]))
            --kept;
    std::vector<std::string> gone;
    for (std::size_t i = 0; i < kept; ++i)
        if (!in(now, rest[i]))
            gone.push_back(rest[i]);

    std::vector<std::string> merged = first;
    for (const std::string& path : onDisk)
        if (!in(gone, path))
            merged.push_back(path);
    return merged;
}

std::string Settings::Save()
{
    if (file_.empty())
        return {};
    std::vector<std::string> changedTolerances;
    for (const ToleranceField& field : ToleranceFields()) {
        const bool unusable = std::ranges::find(unusableTolerances_, field.key) != unusableTolerances_.end();
        if (tolerances_.*field.member != readTolerances_.*field.member || (tolerancesChosen_ && unusable))
            changedTolerances.push_back(field.key);
    }
    const bool folderChanged = jobFolder_ != readJobFolder_, recentChanged = recent_ != readRecent_;
    bool precisionChanged = false;
    for (const PrecisionField& field : PrecisionFields())
        precisionChanged = precisionChanged || precision_.*field.member != readPrecision_.*field.member;
    if (changedTolerances.empty() && !folderChanged && !recentChanged && !precisionChanged)
        return {};
    if (unread_)
        return "Не удалось сохранить настройки: файл " + QuotePath(file_) +
               " не прочитан и не будет перезаписан.";

    // What the file holds now, under the lock every copy of the program
    // takes to write it, so that no two of them merge with the same old list.
    std::string error;
    const settings::WriteLock lock(file_, error);
    if (!error.empty())
        return "Не удалось сохранить настройки в файл " + QuotePath(file_) + ": " + error + ".";
    std::string problem;
    const std::optional<std::string> content = settings::ReadFile(file_, kMaxFileBytes, problem);
    if (!problem.empty())
        return "Не удалось сохранить настройки: файл " + QuotePath(file_) + " не прочитан (" + problem +
               ") и не будет перезаписан.";
    std::vector<Section> sections = content ? Parse(*content) : std::vector<Section>{};

    auto set = [&sections](const std::string& section, const std::string& key, std::string value) {
        auto s = std::ranges::find(sections, section, &Section::name);
        if (s == sections.end()) {
            sections.push_back({section, {}});
            s = sections.end() - 1;
        }
        // Written once, in the place of its first entry.
        bool written = false;
        std::vector<Entry> entries;
        for (Entry& e : s->entries) {
            if (e.key != key) {
                entries.push_back(std::move(e));
            } else if (!written) {
                entries.push_back({key, value});
                written = true;
            }
        }
        if (!written)
            entries.push_back({key, std::move(value)});
        s->entries = std::move(entries);
    };
    // The texts the dialog shows, with the decimal comma: the file reads the
    // same whatever the locale of the machine that wrote it.
    for (const ToleranceField& field : ToleranceFields())
        if (std::ranges::find(changedTolerances, field.key) != changedTolerances.end())
            set(kControl, field.key, settings::QuoteValue(FormatNumber(tolerances_.*field.member)));
    for (const PrecisionField& field : PrecisionFields())
        if (precision_.*field.member != readPrecision_.*field.member)
            set(kPrecision, field.key, settings::QuoteValue(FormatNumber(precision_.*field.member)));
    if (folderChanged)
        set(kJobs, kFolder, settings::QuoteValue(jobFolder_));
    if (recentChanged) {
        const std::string* raw = Raw(sections, kJobs, kRecent);
        std::vector<std::string> merged = MergedRecent(raw ? settings::UnquoteList(*raw) : std::vector<std::string>{});
        std::vector<std::string> kept;
        for (std::string& path : merged)
            if (!path.empty() && std::ranges::find(kept, path) == kept.end() && kept.size() < kMaxRecentJobs)
                kept.push_back(std::move(path));
        set(kJobs, kRecent, settings::QuoteList(kept));
    }

    std::string written;
    for (const Section& s : sections) {
        if (!written.empty())
            written += '\n';
        written += '[' + s.name + "]\n";
        for (const Entry& e : s.entries)
            written += e.key + '=' + e.value + '\n';
    }
    if (const std::string failure = settings::WriteFileAtomically(file_, written); !failure.empty())
        return "Не удалось сохранить настройки в файл " + QuotePath(file_) + ": " + failure + ".";
    Reload();
    return {};
}

} // namespace snesenie
