#pragma once

// The control's checks as numbers a spreadsheet can compute with: each
// check's value in the unit its column names, read from the very text the
// control printed, so the number and the verdict never disagree.

#include "Control.h"

#include <array>
#include <string>

namespace snesenie::batch {

/// One check's columns in the results table.
struct CheckColumn {
    const char* check;   ///< the check's name (D, AP, …)
    const char* number;  ///< the numeric column, its unit in the name; nullptr: verdict only
};

/// The checks in the order the control gives them. D_ratio is N of the
/// discrepancy 1:N of the two d; AP_sec the difference of the two (AP) in
/// seconds; P_m and RIGOROUS_m distances in metres; GAMMA1_deg and
/// GAMMA2_deg the angles γ in decimal degrees. The accuracy check (MT) has its
/// number in the table's mP_m, the input check (INPUT) none.
inline constexpr std::array<CheckColumn, 8> kCheckColumns{{{"D", "D_ratio"},
                                                           {"AP", "AP_sec"},
                                                           {"P", "P_m"},
                                                           {"GAMMA1", "GAMMA1_deg"},
                                                           {"GAMMA2", "GAMMA2_deg"},
                                                           {"RIGOROUS", "RIGOROUS_m"},
                                                           {"MT", nullptr},
                                                           {"INPUT", nullptr}}};

/// The number the check's value states, in the unit of its column, with
/// decimal as the decimal separator; empty when the value states none (the
/// check could not be computed, or the two d agree to the centimetre and
/// have no ratio). The value itself goes to the notes.
std::string CheckNumber(const Check& check, char decimal);

/// A number printed with a comma, with decimal in its place.
std::string WithDecimal(std::string number, char decimal);

} // namespace snesenie::batch
