#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace snesenie {

/// A text as a message shows it: in «», cut after its first 40 characters
/// with "…", every control or invisible character (ESC, C1 controls, the
/// byte-order mark, zero-width and bidirectional marks) written as \u200B and
/// every byte that is not UTF-8 as \xFF. Whatever was typed or pasted, the
/// result is short and safe to write to a terminal or a message box.
std::string QuoteText(std::string_view text);

/// A file's path as a message shows it: in «», escaped as QuoteText escapes,
/// and when longer than 80 characters shortened in the middle with "…", so
/// that both the folder it starts from and the file's own name stay in view.
std::string QuotePath(std::string_view path);

/// A text escaped as QuoteText escapes it, whole and without the «»: for a
/// name that is data, such as a station's in a table of results.
std::string EscapeText(std::string_view text);

/// Every failure that is the user's to see and mend: a page that cannot be
/// computed, a job that cannot be read or written, a command line that makes
/// no sense. what() is the whole Russian message. Field() names the input
/// field at fault, when one is, so that the window can point at it; it is
/// empty otherwise. Each front end reports these in one place; any other
/// exception is a fault of the program.
class UserError : public std::runtime_error {
public:
    explicit UserError(const std::string& message, std::string field = {});

    const std::string& Field() const { return field_; }

private:
    std::string field_;
};

/// Any failure of a page computation; the computation has stopped at the
/// step that raised it. Field() is empty for a failure of the computation
/// itself.
class CalcError : public UserError {
public:
    using UserError::UserError;
};

/// What a refused text that is plainly a number in another convention should
/// look like instead; the message says so.
enum class ConversionHint {
    None,
    Separators,  ///< 12 351,48, 1.234,5, 1,2,3: one decimal separator, no grouping
    Signs,       ///< --5: one sign at most
    RussianLayout,  ///< 435612б34: «б» or «ю» typed by the separator key in the Russian layout
};

/// A field's text is not a number. Carries the offending text and, when the
/// text came from a field, that field's name so the window can point at it.
/// The message names the field by its caption, as the window labels it.
class ConversionError : public CalcError {
public:
    ConversionError(std::string text, std::string field = {}, ConversionHint hint = ConversionHint::None);

    const std::string& Text() const { return text_; }
    ConversionHint Hint() const { return hint_; }

private:
    std::string text_;
    ConversionHint hint_;
};

enum class ArithmeticFault { DivisionByZero, InvalidOperation, Overflow };

/// A floating-point operation failed: x/0, 0/0, a result beyond the range of
/// the working type or of a double being stored, or a truncation or rounding
/// that does not fit a signed 64-bit integer.
class ArithmeticError : public CalcError {
public:
    explicit ArithmeticError(ArithmeticFault fault);
    /// The number typed in the field could not be held: the message names the
    /// text and the field, as a conversion error does.
    ArithmeticError(ArithmeticFault fault, const std::string& field, std::string_view text);

    /// A step of a page failed: the message names the quantity the step
    /// prints (by the caption of its field, variant included) and, when the
    /// page can tell, the cause in a surveyor's words (a point on top of A,
    /// a triangle that cannot be built) in place of the failed operation.
    /// Field() stays empty: no input is wrong on its own.
    static ArithmeticError InStep(ArithmeticFault fault, std::string_view field, std::string_view cause);

    ArithmeticFault Fault() const { return fault_; }
    /// Whether the message already says where: a field read or a step named.
    bool Located() const { return located_ || !Field().empty(); }

private:
    ArithmeticError(ArithmeticFault fault, std::string message);

    ArithmeticFault fault_;
    bool located_ = false;
};

/// Printed for a quantity the sheet cannot have, such as S = ΔX/cos of a line
/// due east, whose cosine is zero.
inline constexpr const char* kUndefinedText = "—";
/// Printed for the tangent of a line due east or west.
inline constexpr const char* kInfinityText = "∞";

/// Pages 2 and 3 decline to run until the pages before them are done. This is
/// an expected outcome, not an error: the computation changes nothing.
struct Refusal {
    std::string message;
};

} // namespace snesenie
