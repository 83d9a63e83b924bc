#pragma once

// The fields of the sheet explained to a person at a terminal: --help ends
// with the inputs and outputs, --fields prints the whole table, and a name
// typed wrong is answered with the nearest one. Everything here is generated
// from the core's field table, so it cannot drift from what is computed.

#include "FieldTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace snesenie::cli {

/// A field's caption split as the window shows it: the quantity ("β1,
/// градусы", "Xc") beside the box, and the variant column it stands in
/// ("АВР", "АСР"), empty for a field that belongs to both.
struct FieldLabel {
    std::string what;
    std::string variant;
};
FieldLabel LabelOf(const FieldInfo& field);

/// The end of --help: every input with its label and variant, the output
/// names by page, and the control lines.
std::string FieldGuide();

/// --fields: the table of every field (name, page, label, variant, starting
/// text of an input) and of the control lines with what each one checks.
std::string FieldsText();

/// Input fields near an unknown name, for a hint: the one that differs only
/// in case, otherwise every one a single edit away (a letter added, dropped,
/// changed or two neighbours swapped, case ignored). Empty when none is near.
std::vector<std::string_view> NearestInputs(std::string_view name);

/// "; может быть, «EXa»?" for an unknown field name, or empty.
std::string SuggestionFor(std::string_view name);

/// Pads text with spaces to width characters (code points, not bytes).
std::string Padded(std::string_view text, std::size_t width);

} // namespace snesenie::cli
