#include "Errors.h"

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

} // namespace

ConversionError::ConversionError(std::string text, std::string field)
    : CalcError(Quote(text) + " не является допустимым числом."),
      text_(std::move(text)), field_(std::move(field))
{
}

ArithmeticError::ArithmeticError(ArithmeticFault fault)
    : CalcError(FaultMessage(fault)), fault_(fault)
{
}

} // namespace snesenie
