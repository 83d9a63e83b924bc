#pragma once

#include "Control.h"
#include "PageFields.h"

#include <optional>
#include <string>

namespace snesenie::cli {

/// --sheet: the three pages laid out for a person as the window lays them
/// out: page 1 in its two columns, pages 2 and 3 with a column for each
/// variant, an angle's degrees, minutes and seconds on one line, the means,
/// and the verdict of the control (or that there is none yet).
std::string SheetText(const PageFields& fields, const std::optional<ControlReport>& control);

} // namespace snesenie::cli
