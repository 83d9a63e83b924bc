#pragma once

#include "PageFields.h"

namespace snesenie {

/// The number typed in the field, held as a double. A text that is not a
/// number throws ConversionError, a number too large for a double throws
/// ArithmeticError; both name the text and the field.
double ReadHeld(const PageFields& fields, FieldId id);

} // namespace snesenie
