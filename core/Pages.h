#pragma once

#include "CalcState.h"
#include "Errors.h"
#include "PageFields.h"

#include <optional>

namespace snesenie {

/// Shown when page 2 is asked for before page 1 has been computed.
inline constexpr const char* kPage2Refusal =
    "Извините, но еще не подсчитаны (AB) и AB=S(первая страница)";
/// Shown when page 3 is asked for before pages 1 and 2 have been computed.
inline constexpr const char* kPage3Refusal = "Извините, но еще не подсчитаны две первые страницы";

/// Page 1: from the coordinates of A, B and C, the differences, tangents,
/// directions (AB) and (AC), their cosines and sines, and the distances S, S′.
/// Keeps Xa, Ya, the two directions and the two mean distances. Throws
/// CalcError at the failing step; what was written before stays written.
void ComputePage1(PageFields& fields, CalcState& state);

/// Page 2: from the bases and the measured angles, the distance d = AP and the
/// direction (AP) of both variants. Refuses, changing nothing, unless the last
/// page-1 run completed. Throws CalcError at the failing step.
std::optional<Refusal> ComputePage2(PageFields& fields, CalcState& state);

/// Page 3: the increments and coordinates of P for both variants and their
/// mean. Refuses, changing nothing, unless pages 1 and 2 both completed.
/// Throws ArithmeticError at the failing step.
std::optional<Refusal> ComputePage3(PageFields& fields, CalcState& state);

/// Empty every field of page 1 (or 2). The carried values are not touched.
void ClearPage1(PageFields& fields);
void ClearPage2(PageFields& fields);

} // namespace snesenie
