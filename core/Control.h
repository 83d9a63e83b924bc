#pragma once

// The control of a finished sheet: the two variants are computed so that one
// checks the other, and here they are compared against the tolerances of the
// surveyor's instruction. A pure function of the values the pages carried and
// printed; the window, the statement and the command line only lay it out.

#include "Accuracy.h"
#include "InputRanges.h"
#include "Rigorous.h"

#include <optional>
#include <span>
#include <string_view>
#include <string>
#include <utility>
#include <vector>

namespace snesenie {

/// The limits a sheet is judged by. The defaults are typical instruction
/// values; every office sets its own.
struct Tolerances {
    double distanceRatio = 2000;   ///< N of the largest allowed discrepancy 1:N of the two d
    double directionSeconds = 60;  ///< largest allowed difference of the two (AP), seconds of arc
    double positionMetres = 0.05;  ///< largest allowed distance between two positions of P, metres
    double gammaMin = 30;          ///< γ of a base triangle below this is a weak intersection, degrees
    double gammaMax = 150;         ///< and above this, degrees
    double accuracyMetres = 0;     ///< largest admissible m_P of the mean, metres; 0: not judged
};

/// One tolerance as the settings dialog and the settings file know it. Every
/// tolerance has a plausible range, wide enough for any survey instruction:
/// a value outside it is a slip (a misplaced comma, a wrong box), never an
/// instruction's, and is refused.
struct ToleranceField {
    const char* key;    ///< settings key, ASCII
    const char* label;  ///< Russian, with its unit
    double Tolerances::*member;
    double min, max;     ///< the plausible range, bounds included
    const char* reason;  ///< why the range is what it is, Russian, one clause
    bool zeroIsNone = false;  ///< 0 is taken as well: the check is not made
};

/// The tolerances in the order they are shown and stored.
std::span<const ToleranceField> ToleranceFields();

/// The tolerances as people read them, in the words of the control's
/// tolerance column: "1:2000, 60``, 0,05 м, γ 30°–150°".
std::string TolerancesText(const Tolerances& tolerances);

/// The tolerance of that settings key, or nullptr.
const ToleranceField* FindToleranceField(std::string_view key);

/// "от 0,1 до 600": the plausible range of a tolerance, as messages give it.
std::string ToleranceRange(const ToleranceField& field);

/// Reads a tolerance typed with a decimal comma (or point). Empty when it is a
/// number within the field's plausible range, with the value in out;
/// otherwise the Russian message that names the field and, for a number out
/// of range, the range and its reason. out is not touched then.
std::optional<std::string> ReadTolerance(const ToleranceField& field, const std::string& text, double& out);

/// Reads tolerances set for one run, "KEY=ЧИСЛО;KEY=ЧИСЛО" with the keys of
/// the settings file and the numbers as ReadTolerance takes them, into out,
/// where a key given again replaces its earlier value. Returns the Russian
/// message of the first item that is wrong, naming the list as option does
/// ("--tolerances"); out is not touched then.
std::optional<std::string> ReadToleranceList(const std::string& list, const std::string& option,
                                             std::vector<std::pair<const ToleranceField*, double>>& out);

/// Empty when the tolerances can be used together: each within its plausible
/// range (so γ min < 90° < γ max). Otherwise a Russian message.
std::optional<std::string> ToleranceProblem(const Tolerances& tolerances);

enum class Verdict {
    Ok,        ///< within the tolerance
    Exceeded,  ///< beyond it: the sheet does not pass
    Warning,   ///< a weak construction, worth a look but not a failure
};

/// "допуск соблюдён", "допуск превышен", "предупреждение".
const char* VerdictWord(Verdict verdict);
/// "ok", "exceeded", "warning", as the command line prints it.
const char* VerdictCode(Verdict verdict);

/// One line of the control. The texts never contain ';' or a line break, so
/// the command line can print them between separators as they are.
struct Check {
    std::string name;       ///< D, AP, P, GAMMA1, GAMMA2, RIGOROUS, INPUT
    std::string title;      ///< what is checked, in Russian
    std::string brief;      ///< the same in a word or two, for the summary line
    std::string value;      ///< the value found, with its unit
    std::string tolerance;  ///< the tolerance it is judged by
    Verdict verdict;
};

/// The verdict word of one check: as VerdictWord, except that the check of the
/// input ranges, which has no tolerance to keep, says "замечаний нет".
const char* VerdictWord(const Check& check);

/// The coordinates of P as page 3 printed them, read back from its fields.
struct PrintedPoint {
    double xp[2];  ///< EXp1, EXp2
    double yp[2];  ///< EYp1, EYp2
    double xMean;  ///< Xp
    double yMean;  ///< Yp
};

struct ControlReport {
    std::vector<Check> checks;
    /// The a-priori accuracy of the rigorous P, from the precision below.
    AccuracyEstimate accuracy;
    Precision precision;
    /// The positions of P page 3 printed, for a drawing beside the estimate.
    PrintedPoint printed{};

    /// Exceeded if any check is, else Warning if any is, else Ok.
    Verdict Overall() const;
    /// One line for people: the overall verdict and what caused it.
    std::string Summary() const;
};

/// The exit status of a run whose control has a check beyond its tolerance:
/// a script must not take a sheet that fails the control for a good one.
/// Warnings leave the status alone.
inline constexpr int kExitControlExceeded = 3;

/// Whether there is a control and a check of it is exceeded.
bool ControlExceeded(const std::optional<ControlReport>& report);

/// Shown where a control would be while it is not computed.
inline constexpr const char* kControlNotComputed = "Контроль не выполнен: вычислите все три страницы.";


/// Everything the control is computed from: the page-1 data and page-2
/// measurements as those runs read them, the distances d and directions (AP)
/// page 2 carried (D1, D2, DirAP1, DirAP2), and the printed coordinates of P.
struct ControlInputs {
    GivenPoints given;
    Measurements measured;
    double d[2];
    double dirAP[2];
    PrintedPoint printed;
    std::vector<InputWarning> inputWarnings;  ///< page 2's inputs outside their usual ranges
};

/// The checks, in this order: the two d, the two (AP), the two positions of
/// P (with the discrepancy the precision leads one to expect), the shape of
/// each base triangle, the rigorous solution against the printed mean, the
/// accuracy of P when a tolerance for it is set (MT), and the input data (a
/// warning listing every value outside its usual range). A check whose
/// arithmetic fails says so and is exceeded; the function itself does not
/// throw on any finite inputs. The accuracy estimate comes with the checks.
ControlReport ComputeControl(const ControlInputs& inputs, const Tolerances& tolerances,
                             const Precision& precision = Precision{});

} // namespace snesenie
