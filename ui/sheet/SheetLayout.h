#pragma once

// What the three pages show besides the edit boxes: symbol labels,
// instructions, headings, the raised marks of the angle boxes, the bevels
// between groups of rows, the buttons, and where each edit box of the core's
// field table stands. Together with the field table this is the whole sheet.

#include "FieldTable.h"

#include <span>

namespace sheet {

enum class LabelStyle {
    Symbol,      ///< bold serif 12 pt, beside a box: "cos(AB)", "β1"
    GivenData,   ///< as Symbol, in red: the data the surveyor types
    Heading,     ///< bold, default face: instructions and column headings
    Mark,        ///< small raised mark after an angle box: o, /, //
    Final,       ///< bold italic, larger: the closing line of page 3
};

/// One label. With alignRight, x is where the text ends (it stands left of
/// the box that starts there); otherwise where it starts.
struct LabelInfo {
    int page;
    const char* text;
    int x, y;
    LabelStyle style;
    bool alignRight;
};

/// A thin sunken line across a page, separating groups of rows.
struct BevelInfo {
    int page;
    int x, y, width;
};

enum class ButtonIcon { None, Help, Cancel, Retry };

struct ButtonInfo {
    const char* name;  ///< object name, also the name of its handler (…Click)
    int page;
    const char* caption;
    int x, y, width;
    ButtonIcon icon;
};

/// Where the edit box of a field stands on its page, in pixels at 96 dpi.
struct FieldPlace {
    snesenie::FieldId id;
    int left, top, width;
};

/// The place of the field's box.
const FieldPlace& PlaceOf(snesenie::FieldId id);

std::span<const LabelInfo> Labels();
std::span<const BevelInfo> Bevels();
std::span<const ButtonInfo> Buttons();

/// Height of every edit box and label row, and of the buttons.
inline constexpr int kRowHeight = 21;
inline constexpr int kButtonHeight = 25;

} // namespace sheet
