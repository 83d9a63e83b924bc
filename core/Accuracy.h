#pragma once

// How well the measurements fix P before anyone goes out to check it: the
// precision of the instrument carried through the rigorous solution to the
// covariance of P, in the terms a surveyor reports a point in (mx, my, the
// mean square positional error m_P = √(mx² + my²) and the standard error
// ellipse).

#include "Rigorous.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace snesenie {

/// The precision of the measurements: mean square errors of one measurement.
struct Precision {
    double angleSeconds = 5;     ///< one measured angle (β1, β2, δ), seconds of arc
    double baseMillimetres = 5;  ///< the constant part a of a base's error, millimetres
    double baseRatio = 0;        ///< N of the relative part b/N of a base's error; 0: none
    double givenMetres = 0;      ///< each coordinate of A, B and C, metres; 0: taken as errorless
};

/// One precision as the settings and the command line know it, checked one
/// by one as the tolerances are: a value outside its plausible range is a
/// slip and is refused.
struct PrecisionField {
    const char* key;    ///< settings key, ASCII
    const char* label;  ///< Russian, with its unit
    double Precision::*member;
    double min, max;     ///< the plausible range, bounds included
    const char* reason;  ///< why the range is what it is, Russian, one clause
    bool zeroIsNone;     ///< 0 is taken as well: the part is left out
};

/// The precisions in the order they are shown and stored.
std::span<const PrecisionField> PrecisionFields();
/// The precision of that settings key, or nullptr.
const PrecisionField* FindPrecisionField(std::string_view key);
/// "от 0,5 до 120", or "0 или от 500 до 100000" where 0 leaves the part out.
std::string PrecisionRange(const PrecisionField& field);
/// Reads a precision typed with a decimal comma (or point), as ReadTolerance
/// reads a tolerance: empty with the value in out, or the Russian message.
std::optional<std::string> ReadPrecision(const PrecisionField& field, const std::string& text, double& out);
/// Reads "KEY=ЧИСЛО;KEY=ЧИСЛО" as ReadToleranceList does, naming option.
std::optional<std::string> ReadPrecisionList(const std::string& list, const std::string& option,
                                             std::vector<std::pair<const PrecisionField*, double>>& out);
/// Empty when every precision lies in its range; otherwise a Russian message.
std::optional<std::string> PrecisionProblem(const Precision& precision);
/// The precisions as people read them: "углы 5``, базис 5 мм + 1:10000,
/// исходные пункты безошибочны".
std::string PrecisionText(const Precision& precision);
/// A base's mean square error √(a² + (b/N)²), metres, for a base of b metres.
double BaseError(const Precision& precision, double base);

/// The standard error ellipse: semi-axes a ≥ b in metres and the direction
/// angle of a in degrees, 0 up to 180 (0 for a circle).
struct ErrorEllipse {
    double a = 0, b = 0, direction = 0;
};

/// A point with its covariance, metres and square metres.
struct PointAccuracy {
    double xp = 0, yp = 0;
    double cxx = 0, cxy = 0, cyy = 0;
    double mx = 0, my = 0, mP = 0;  ///< √cxx, √cyy, √(cxx + cyy)
    ErrorEllipse ellipse;
};

/// The quantities the rigorous P depends on, in the order of the Jacobian's
/// columns: each variant's β1, β2, δ (per radian) and base, then the given
/// coordinates.
enum Quantity : int { kBeta1, kBeta2, kDelta, kBase, kPerVariant = 4, kXa = 8, kYa, kXb, kYb, kXc, kYc, kQuantities };

/// The derivatives of one variant's rigorous Xp, Yp and d by every quantity.
struct VariantJacobian {
    std::array<double, kQuantities> x{}, y{}, d{};
};

/// The derivatives of variant v (0 АВР, 1 АСР) of the rigorous solution, or
/// why there are none, in Russian (the variant is impossible, or ψ is 90°
/// where it has no derivative).
std::optional<std::string> RigorousJacobian(const GivenPoints& given, const Measurements& measured, int v,
                                            VariantJacobian& out);

/// The a-priori estimate of the rigorous P.
struct AccuracyEstimate {
    /// Empty when the estimate exists; otherwise why not, in Russian.
    std::optional<std::string> none;
    PointAccuracy variant[2];
    double md[2] = {0, 0};  ///< mean square error of each d
    PointAccuracy mean;     ///< their mean, the error of A common to both
    double mDelta = 0;      ///< expected discrepancy of the two positions, √(m_P1² + m_P2² − 2·cov)
    double xa = 0, ya = 0;  ///< A, for a drawing to show the direction to it
};

/// Metres rounded to a tenth of a millimetre, as every table prints an
/// estimate: 0,0123; 6234,8471.
std::string FormatMetres4(double metres);
/// Metres rounded to the millimetre, as a report states Mt: 0,012.
std::string FormatMetres3(double metres);
/// The direction of an ellipse's axis rounded to a tenth of a degree, within
/// 0 up to 180: 37,4 (179,96 prints as 0).
std::string FormatAxisDirection(double degrees);

/// Propagates the precision through the rigorous solution of both variants.
/// Does not throw on finite inputs.
AccuracyEstimate EstimateAccuracy(const GivenPoints& given, const Measurements& measured, const Precision& precision);
/// The same from the rigorous solution of these measurements, already solved.
AccuracyEstimate EstimateAccuracy(const GivenPoints& given, const Measurements& measured, const Precision& precision,
                                  const RigorousSolution& solved);

} // namespace snesenie
