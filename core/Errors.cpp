#include "Errors.h"

#include "FieldTable.h"

#include <cstddef>

namespace snesenie {
namespace {

// A message box or a terminal line must stay readable whatever was pasted into
// a field, so the quoted text is cut after this many characters.
constexpr std::size_t kMaxQuotedChars = 40;

std::string Quote(const std::string& text)
{
    std::size_t end = 0;
    std::size_t chars = 0;
    // Count UTF-8 lead bytes only, so a Cyrillic letter is never split.
    while (end < text.size() && !(chars == kMaxQuotedChars && (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80)) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80)
            ++chars;
        ++end;
    }
    std::string quoted = "«";
    quoted.append(text, 0, end);
    if (end < text.size())
        quoted += "…";
    quoted += "»";
    return quoted;
}

std::string FaultMessage(ArithmeticFault fault)
{
    switch (fault) {
    case ArithmeticFault::DivisionByZero:
        return "Деление на ноль.";
    case ArithmeticFault::InvalidOperation:
        return "Недопустимая операция с плавающей точкой (например, 0/0).";
    case ArithmeticFault::Overflow:
        return "Переполнение: результат слишком велик.";
    }
    return "Ошибка вычислений.";
}

// "В поле «β1, секунды, вариант АСР» не число: «45ор»." The field is named
// as the window labels it, since on a page of twenty small boxes the name is
// the only way to find the right one; an empty box is said to be empty.
std::string ConversionMessage(const std::string& text, const std::string& field, ConversionHint hint)
{
    std::string message;
    if (field.empty()) {
        message = "Не число: ";
    } else {
        const FieldInfo* info = FindField(field);
        message = "В поле «" + (info != nullptr ? std::string(info->caption) : field) + "» не число: ";
    }
    message += text.empty() ? "«пусто»" : Quote(text);
    message += '.';
    switch (hint) {
    case ConversionHint::Separators:
        message += " Дробную часть отделяйте запятой (или точкой), разряды не разделяйте.";
        break;
    case ConversionHint::Signs:
        message += " Перед числом не более одного знака «+» или «-».";
        break;
    case ConversionHint::None:
        break;
    }
    return message;
}

} // namespace

ConversionError::ConversionError(std::string text, std::string field, ConversionHint hint)
    : CalcError(ConversionMessage(text, field, hint)),
      text_(std::move(text)), field_(std::move(field)), hint_(hint)
{
}

ArithmeticError::ArithmeticError(ArithmeticFault fault)
    : CalcError(FaultMessage(fault)), fault_(fault)
{
}

} // namespace snesenie
