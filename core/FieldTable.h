#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace snesenie {

enum class FieldKind { Input, Output };

/// Every field of the sheet, in the order of the table: page 1, 2, 3.
enum class FieldId : unsigned char {
    EXc, EYc, EXb, EYb, EXa, EYa, EXbXa, EYbYa, EtgAB, EAB, EcosAB, EsinAB, ES1, ES2, EXcXa, EYcYa, EtgAC, EAC, EcosAC, EsinAC, ES11, ES22, Ebb1g, Ebb1m, Ebb1s, Ebb11g, Ebb11m, Ebb11s, Ebb2g, Ebb2m, Ebb2s, Ebb22g, Ebb22m, Ebb22s, Ey1, Ey2, Eb1, Eb2, Esinbb2, Esinbb22, Esiny1, Esiny2, Edd1, Edd2, Edd1g, Edd1m, Edd1s, Edd2g, Edd2m, Edd2s, Esind1, Esind2, Esinw1, Esinw2, Ew1, Ew2, Edw1, Edw2, Eu1, Eu2, EAP1, EAP2, d, EcosAP1, EcosAP2, EsinAP1, EsinAP2, EdXap1, EdXap2, EdYap1, EdYap2, EXp1, EXp2, EYp1, EYp2, Xp, Yp
};
inline constexpr std::size_t kFieldCount = 77;

/// What a field is to the sheet.
enum class FieldRole {
    Input,    ///< typed by the user: the given data and the measurements
    Result,   ///< computed and printed, read by nothing after it
    Carried,  ///< computed and printed, and its value carried to a later page
    Final,    ///< the final result, the mean coordinates of P
};

/// Which solution a field belongs to: through B (АВР) or through C (АСР).
enum class Variant {
    Common,  ///< of both solutions, or of neither (page 1, the means)
    B,       ///< through B
    C,       ///< through C
};

/// How a field's text is written.
enum class FieldForm {
    Number,  ///< a number with a decimal comma
    Angle,   ///< degrees, minutes and seconds in one text: 82°7`51``
};

/// One field of the sheet. The table is the single list of fields: the
/// command line prints them in its order, the window builds its edits from
/// it (placing them by its own layout), the clear buttons empty a page by
/// it, and the colours of the window follow its roles.
struct FieldInfo {
    FieldId id;
    std::string_view name;     ///< object name, as the computations, jobs and the command line use it
    int page;                  ///< 1, 2 or 3
    FieldKind kind;            ///< Input for the Input role, Output for the others
    FieldRole role;
    Variant variant;
    FieldForm form;
    std::string_view example;  ///< starting text of an input; outputs start empty
    std::string_view caption;  ///< what the field holds, for people (accessible name)
};

/// Every field of the window, page 1 then page 2 then page 3.
std::span<const FieldInfo> Fields();

/// The field of that id.
const FieldInfo& Field(FieldId id);

/// What a field of a variant holds, without the variant: "sin γ" for
/// "sin γ, вариант АВР". Other captions are returned whole.
std::string_view Quantity(const FieldInfo& field);

/// The computed fields of the page that both variants have, as pairs (the
/// field through B, its partner through C) in the order of the table: the
/// rows of a two-column statement of that page.
std::vector<std::pair<FieldId, FieldId>> VariantPairs(int page);

/// The field of that name, or nullptr.
const FieldInfo* FindField(std::string_view name);

/// The title of page 1, 2 or 3 as its tab shows it; empty for any other number.
std::string_view PageTitle(int page);

} // namespace snesenie
