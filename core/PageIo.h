#pragma once

#include "FieldTable.h"
#include "PageFields.h"

#include <string>
#include <string_view>

namespace snesenie {

// The pages name their fields by FieldId, so that a misspelt field is a
// compile error rather than a run-time "no field" on a sheet half written.

/// The field's name, as PageFields, jobs and messages know it.
inline std::string_view Name(FieldId id) { return Field(id).name; }

/// The number typed in the named field, held as a double. A text that is not a
/// number throws ConversionError, a number too large for a double throws
/// ArithmeticError; both name the text and the field.
double ReadHeld(const PageFields& fields, FieldId id);

/// Writes the text of a field.
inline void Write(PageFields& fields, FieldId id, const std::string& text)
{
    fields.SetText(std::string(Name(id)), text);
}

} // namespace snesenie
