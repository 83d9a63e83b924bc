#pragma once

// A job: the texts of the sheet's input fields, kept in a file so that a sheet
// can be saved, reopened and handed on. The window and the command line both
// read and write jobs through this one place.

#include "Errors.h"
#include "PageFields.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace snesenie::job {

/// The format tag and version every job file carries. A reader refuses a
/// version newer than its own.
inline constexpr const char* kFormatTag = "snesenie-job";
inline constexpr int kFormatVersion = 1;

/// The extension of job files, without the dot.
inline constexpr const char* kExtension = "snesenie";

/// The longest text of one field, in UTF-16 code units: what an edit box of
/// the window holds (the default maximum length of a Qt line edit). A longer
/// text could not be shown whole, so it is neither read nor written.
inline constexpr int kMaxTextLength = 32767;

/// The largest job file read, in bytes. It holds the largest job the writer
/// can make: 26 texts at their longest, each unit a character of three UTF-8
/// bytes (a quote or a backslash takes two, escaped), with room to spare for
/// the names and the indentation. A sheet of short texts is about 1 KiB.
inline constexpr std::int64_t kMaxFileBytes = 4 << 20;
static_assert(26 * 3 * std::int64_t{kMaxTextLength} + 64 * 1024 <= kMaxFileBytes);

/// The texts of the input fields, by field name, UTF-8, exactly as typed
/// (texts that are not numbers included). A job made by this module holds
/// every input field of the table, an empty text where none was given.
struct Job {
    std::map<std::string, std::string, std::less<>> texts;
};

/// A job that could not be read or written. what() is the Russian message for
/// the user; it names the file and the problem. Field() is the input field at
/// fault when a text is to blame, otherwise empty.
class JobError : public UserError {
public:
    using UserError::UserError;
};

/// The example sheet: every input with the text the window starts with.
Job ExampleJob();

/// The texts of every input field of a sheet, as typed, except that the tabs
/// and line breaks among the blanks at either end of a text (what a cell
/// pasted from a spreadsheet brings, and the number reader skips) are
/// dropped; spaces stay, and a control character inside a text stays too, for
/// WriteJob to refuse.
Job JobFromFields(const PageFields& fields);

/// Puts a job on a sheet: every input field takes its text, every output
/// field is emptied.
void ApplyJob(const Job& job, PageFields& fields);

/// Reads and checks a job file. Nothing is half-read: either every text of the
/// job is returned, or JobError says what is wrong with the file (unreadable,
/// not a regular file, larger than kMaxFileBytes, not JSON by RFC 8259 (with
/// the line and column; a member named twice in one object included), not a job, a newer version, an unknown
/// field, a value that is not a text, a text with control characters or longer
/// than kMaxTextLength). A field missing from the file reads as empty text.
Job ReadJob(const std::filesystem::path& path);

/// As ReadJob, from the bytes of a file; fileName is only for the messages.
Job ParseJob(std::string_view content, const std::string& fileName);

/// The bytes of a job file: indented UTF-8 JSON.
std::string SerializeJob(const Job& job);

/// Writes a job atomically: the file is replaced only once the whole new
/// contents are on disk, so a failed save leaves the previous file as it was.
/// Only a regular file (a symbolic link to one included) or a new name is
/// written; a folder, FIFO, socket or device is refused untouched (see
/// WriteFileAtomically). Throws JobError with the system's reason or the
/// refusal, or naming the field, by its caption, whose text no reader would
/// accept back. Returns a message for the user when the save succeeded but
/// the file had other names (hard links), which keep the old texts; usually
/// empty.
std::string WriteJob(const Job& job, const std::filesystem::path& path);

} // namespace snesenie::job
