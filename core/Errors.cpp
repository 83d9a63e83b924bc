#include "Errors.h"

#include "FieldTable.h"
#include "Numbers.h"
#include "Utf8.h"

#include <cstddef>
#include <cstdio>
#include <optional>
#include <vector>

namespace snesenie {
namespace {

// A message box or a terminal line must stay readable whatever was pasted into
// a field, so a quoted text is cut after this many characters.
constexpr std::size_t kMaxQuotedChars = 40;
// A path is longer than a text typed into a field, and its two ends matter:
// the folder it starts from and the file's own name.
constexpr std::size_t kMaxQuotedPathChars = 80;

std::string Escaped(const char* format, unsigned value)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

std::string FaultMessage(ArithmeticFault fault)
{
    switch (fault) {
    case ArithmeticFault::DivisionByZero:
        return "Вычисление невозможно (деление на ноль): проверьте исходные данные.";
    case ArithmeticFault::InvalidOperation:
        return "Вычисление невозможно (0/0): проверьте исходные данные.";
    case ArithmeticFault::Overflow:
        return "Вычисление невозможно (переполнение): проверьте исходные данные.";
    }
    return "Вычисление невозможно: проверьте исходные данные.";
}

// The same as the sentence after a quantity's name.
std::string FaultClause(ArithmeticFault fault)
{
    switch (fault) {
    case ArithmeticFault::DivisionByZero:
        return "деление на ноль. Проверьте исходные данные.";
    case ArithmeticFault::InvalidOperation:
        return "вычисление невозможно (0/0). Проверьте исходные данные.";
    case ArithmeticFault::Overflow:
        return "результат слишком велик. Проверьте исходные данные.";
    }
    return "ошибка вычислений. Проверьте исходные данные.";
}

// What people call the field: its caption on the window (Xc, "b, вариант АВР").
std::string FieldCaption(const std::string& field)
{
    const FieldInfo* info = FindField(field);
    return info != nullptr ? std::string(info->caption) : field;
}

std::string ReadingFaultMessage(ArithmeticFault fault, const std::string& field, std::string_view text)
{
    if (fault == ArithmeticFault::Overflow)
        return "Переполнение: число " + QuoteText(text) + " в поле " + QuoteText(FieldCaption(field)) +
               " слишком велико.";
    return FaultMessage(fault) + " Поле " + QuoteText(FieldCaption(field)) + ", текст " + QuoteText(text) + ".";
}

// "В поле «β1, секунды, вариант АСР» не число: «45ор»." The field is named
// as the window labels it, since on a page of twenty small boxes the name is
// the only way to find the right one; an empty box is said to be empty.
std::string ConversionMessage(const std::string& text, const std::string& field, ConversionHint hint)
{
    std::string message = field.empty() ? "Не число: " : "В поле " + QuoteText(FieldCaption(field)) + " не число: ";
    message += text.empty() ? "«пусто»" : QuoteText(text);
    message += '.';
    switch (hint) {
    case ConversionHint::Separators:
        message += " Дробную часть отделяйте запятой (или точкой), разряды не разделяйте.";
        break;
    case ConversionHint::Signs:
        message += " Перед числом не более одного знака «+» или «-».";
        break;
    case ConversionHint::RussianLayout:
        if (const std::size_t at = RussianSeparatorAt(text); at != std::string::npos)
            message += " Буква «" + text.substr(at, 2) +
                       "» стоит на месте десятичной запятой: клавиатура в русской раскладке.";
        break;
    case ConversionHint::None:
        break;
    }
    return message;
}

// The text cut into the pieces a reader sees as one character each: a code
// point, or the escape that stands for an invisible one or a stray byte.
std::vector<std::string> ShownCharacters(std::string_view text)
{
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const std::optional<char32_t> c = NextCodePoint(text, i);
        if (!c)
            shown.push_back(Escaped("\\x%02X", static_cast<unsigned char>(text[start])));
        else if (IsControlOrInvisible(*c))
            shown.push_back(Escaped(*c > 0xFFFF ? "\\U%08X" : "\\u%04X", static_cast<unsigned>(*c)));
        else
            shown.emplace_back(text.substr(start, i - start));
    }
    return shown;
}

} // namespace

std::string QuotePath(std::string_view path)
{
    const std::vector<std::string> shown = ShownCharacters(path);
    std::string quoted = "«";
    if (shown.size() <= kMaxQuotedPathChars) {
        for (const std::string& c : shown)
            quoted += c;
    } else {
        const std::size_t head = kMaxQuotedPathChars / 2, tail = kMaxQuotedPathChars - head - 1;
        for (std::size_t i = 0; i < head; ++i)
            quoted += shown[i];
        quoted += "…";
        for (std::size_t i = shown.size() - tail; i < shown.size(); ++i)
            quoted += shown[i];
    }
    return quoted + "»";
}

std::string EscapeText(std::string_view text)
{
    // Straight into one string: every cell of a results table comes here.
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const std::optional<char32_t> c = NextCodePoint(text, i);
        if (!c)
            escaped += Escaped("\\x%02X", static_cast<unsigned char>(text[start]));
        else if (IsControlOrInvisible(*c))
            escaped += Escaped(*c > 0xFFFF ? "\\U%08X" : "\\u%04X", static_cast<unsigned>(*c));
        else
            escaped.append(text, start, i - start);
    }
    return escaped;
}

std::string QuoteText(std::string_view text)
{
    std::string quoted = "«";
    std::size_t chars = 0;
    std::size_t i = 0;
    while (i < text.size() && chars < kMaxQuotedChars) {
        const std::size_t start = i;
        const std::optional<char32_t> c = NextCodePoint(text, i);
        if (!c)
            quoted += Escaped("\\x%02X", static_cast<unsigned char>(text[start]));
        else if (IsControlOrInvisible(*c))
            quoted += Escaped(*c > 0xFFFF ? "\\U%08X" : "\\u%04X", static_cast<unsigned>(*c));
        else
            quoted.append(text, start, i - start);
        ++chars;
    }
    if (i < text.size())
        quoted += "…";
    quoted += "»";
    return quoted;
}

UserError::UserError(const std::string& message, std::string field)
    : std::runtime_error(message), field_(std::move(field))
{
}

ConversionError::ConversionError(std::string text, std::string field, ConversionHint hint)
    // field is copied, not moved: the two arguments are evaluated in no set order.
    : CalcError(ConversionMessage(text, field, hint), field), text_(std::move(text)), hint_(hint)
{
}

ArithmeticError::ArithmeticError(ArithmeticFault fault)
    : CalcError(FaultMessage(fault)), fault_(fault)
{
}

ArithmeticError::ArithmeticError(ArithmeticFault fault, const std::string& field, std::string_view text)
    : CalcError(ReadingFaultMessage(fault, field, text), field), fault_(fault)
{
}

ArithmeticError::ArithmeticError(ArithmeticFault fault, std::string message)
    : CalcError(message), fault_(fault), located_(true)
{
}

ArithmeticError ArithmeticError::InStep(ArithmeticFault fault, std::string_view field, std::string_view cause)
{
    std::string message = "Не удалось вычислить " + QuoteText(FieldCaption(std::string(field))) + ": ";
    // A cause in the surveyor's words says more than the operation that failed.
    if (cause.empty())
        message += FaultClause(fault);
    else
        message += cause;
    return ArithmeticError(fault, std::move(message));
}

} // namespace snesenie
