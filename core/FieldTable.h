#pragma once

#include <span>
#include <string_view>

namespace snesenie {

enum class FieldKind { Input, Output };

/// One edit box of the main window. The table is the single list of fields:
/// the command line prints them in its order, the window builds its edits from
/// it, and the clear buttons empty a page by it.
struct FieldInfo {
    std::string_view name;         ///< object name, as the computations use it
    int page;                      ///< 1, 2 or 3
    FieldKind kind;
    std::string_view example;      ///< starting text of an input; outputs start empty
    std::string_view caption;      ///< what the field holds, for people (accessible name)
    int left, top, width;          ///< place on its page, in pixels at 96 dpi
};

/// Every field of the window, page 1 then page 2 then page 3.
std::span<const FieldInfo> Fields();

/// The field of that name, or nullptr.
const FieldInfo* FindField(std::string_view name);

/// The title of page 1, 2 or 3 as its tab shows it; empty for any other number.
std::string_view PageTitle(int page);

} // namespace snesenie
