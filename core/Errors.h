#pragma once

#include <stdexcept>
#include <string>

namespace snesenie {

/// Any failure of a page computation. what() is the Russian text shown to the
/// user; the computation has stopped at the step that raised it.
class CalcError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A field's text is not a number. Carries the offending text and, when the
/// text came from a field, that field's name so the window can point at it.
class ConversionError : public CalcError {
public:
    ConversionError(std::string text, std::string field = {});

    const std::string& Text() const { return text_; }
    const std::string& Field() const { return field_; }

private:
    std::string text_;
    std::string field_;
};

enum class ArithmeticFault { DivisionByZero, InvalidOperation, Overflow };

/// A floating-point operation failed: x/0, 0/0, a result beyond the range of
/// the working type or of a double being stored, or a truncation or rounding
/// that does not fit a signed 64-bit integer.
class ArithmeticError : public CalcError {
public:
    explicit ArithmeticError(ArithmeticFault fault);

    ArithmeticFault Fault() const { return fault_; }

private:
    ArithmeticFault fault_;
};

/// Pages 2 and 3 decline to run until the pages before them are done. This is
/// an expected outcome, not an error: the computation changes nothing.
struct Refusal {
    std::string message;
};

} // namespace snesenie
