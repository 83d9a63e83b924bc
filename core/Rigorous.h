#pragma once

// The sheet takes the angle ψ at the far point as the arctangent of its sine,
// as the hand sheet does: exact only while d is small against S. This is the
// same construction solved without that shortcut, for the control to judge
// how far the printed P lies from the point the measurements really give.

#include <optional>
#include <string>

namespace snesenie {

/// The given coordinates of A, B and C as page 1 read them.
struct GivenPoints {
    double xa, ya, xb, yb, xc, yc;
};

/// The measurements of page 2 as it read them; index 0 is the variant through
/// B (АВР), index 1 through C (АСР). Angles in decimal degrees as page 2 held
/// them, bases in metres.
struct Measurements {
    double beta1[2];
    double beta2[2];
    double delta[2];
    double base[2];
};

/// One variant solved rigorously.
struct RigorousVariant {
    /// Empty when the construction exists; otherwise why it cannot, in
    /// Russian (a base triangle without an apex, or d·sin δ/S beyond 1).
    std::optional<std::string> impossible;
    double d = 0;      ///< A–P by the sine theorem, uncut, metres
    double psi = 0;    ///< ψ = arcsin(d·sin δ/S), degrees
    double dirAP = 0;  ///< (AP), degrees
    double xp = 0, yp = 0;
};

struct RigorousSolution {
    RigorousVariant variant[2];
    bool possible = false;  ///< both variants exist; only then is the mean set
    double xp = 0, yp = 0;  ///< mean of the two variants
};

/// Solves both variants at full precision: S and (AB) or (AC) from the given
/// coordinates, d = b·sin β2/sin γ uncut, ψ = arcsin(d·sin δ/S) by the sine
/// theorem, then φ, (AP) and P as the sheet does. ψ is taken acute, the far
/// point being farther from A than P is. Arithmetic that cannot be done makes
/// that variant impossible; the function does not throw on finite inputs.
RigorousSolution SolveRigorous(const GivenPoints& given, const Measurements& measured);

} // namespace snesenie
