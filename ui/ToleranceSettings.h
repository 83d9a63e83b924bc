#pragma once

#include "Control.h"

/// The tolerances the user set (Файл → Допуски…), kept in the program's
/// settings. A value that is missing or does not read as a usable tolerance
/// falls back to its default, so a damaged settings file never stops the
/// control.
snesenie::Tolerances LoadTolerances();

/// Keeps the tolerances for the next start. They must pass
/// snesenie::ToleranceProblem.
void SaveTolerances(const snesenie::Tolerances& tolerances);
