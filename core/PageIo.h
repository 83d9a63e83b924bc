#pragma once

#include "PageFields.h"

namespace snesenie {

/// The number typed in the named field, held as a double. A text that is not a
/// number throws ConversionError naming both the text and the field.
double ReadHeld(const PageFields& fields, const char* name);

} // namespace snesenie
