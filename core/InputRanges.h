#pragma once

// The usual ranges of the measurements typed on page 2. The sheet computes
// whatever is typed, as the hand sheet would; a value outside its usual range
// is far more often a slip of the hand (75 minutes, a base of 0) than a
// measurement, so it is shown, not refused.

#include "PageFields.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace snesenie {

/// One value outside its usual range: the field to mark and what to say.
struct InputWarning {
    std::string field;    ///< the input to mark
    std::string message;  ///< Russian, names the field by its caption, the value and the range; no ';'
};

/// The usual range of the field, in Russian ("обычно от 0 до 59"), when its
/// text is a number outside it; empty for a value within it, a text that is
/// no number (the page says so itself) and a field without a usual range.
std::optional<std::string> RangeProblem(const FieldInfo& field, std::string_view text);
/// The same by object name; no range for a name not in the field table.
std::optional<std::string> RangeProblem(std::string_view field, std::string_view text);

/// Every warning of page 2's inputs in the order of the page: each value on
/// its own, then β1 + β2 of each variant, which leaves no triangle from 180°
/// on (marked on the degrees of β2).
std::vector<InputWarning> InputWarnings(const PageFields& fields);

} // namespace snesenie
