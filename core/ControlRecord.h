#pragma once

// Follows the presses of a sheet, so that the control is computed from what
// the pages really used and is dropped the moment it no longer describes what
// the pages show. The window and the command line both feed it after every
// press, and the window after every edit of an input too; neither keeps rules
// of its own about when the control holds.

#include "CalcState.h"
#include "Control.h"
#include "PageFields.h"

#include <optional>

namespace snesenie {

/// What was pressed: an OK button of a page, or a clear button.
enum class SheetAction { Page1, Page2, Page3, ClearPage1, ClearPage2 };

/// How the press ended.
enum class Outcome {
    Completed,  ///< the page ran to its end (a clear always completes)
    Failed,     ///< a computation raised an error part-way
    Refused,    ///< the page declined to run: nothing changed
};

/// Where a page stands: whether what it shows follows from the inputs the
/// sheet shows now, and if not, why not.
enum class PageStatus {
    NotRun,      ///< never completed since the sheet started afresh
    Current,     ///< completed, and nothing it rests on changed since
    Failed,      ///< its last run stopped part-way
    Edited,      ///< an input of it, or of a page before it, changed since it ran
    Cleared,     ///< it, or a page before it, was emptied by its clear button
    EarlierRan,  ///< a page before it ran again, so it must run again too
};

class ControlRecord {
public:
    /// Notes a press, with the fields and carried values as it left them.
    /// A completed page 1 or 2 keeps the inputs it read; a completed page 3
    /// computes the control. Any run, failure or clear of page 1 or 2, and
    /// a failure of page 3, drops the control.
    void Note(SheetAction action, Outcome outcome, const PageFields& fields, const CalcState& state);

    /// The control of the last completed page 3, or empty while there is
    /// none that still holds.
    const std::optional<ControlReport>& Report() const { return report_; }

    /// Notes that an input of page 1, 2 or 3 no longer holds the text that
    /// page ran on: that page and every later one stop being current, and the
    /// control is dropped, until the pages run again. What pages 1 and 2 read
    /// when they completed stays, as the values they carried stay. Returns
    /// whether anything changed, so that a caller told of every keystroke
    /// redraws only when it must.
    bool InputEdited(int page);

    const Tolerances& CurrentTolerances() const { return tolerances_; }
    /// New tolerances; a control already computed is judged again by them.
    void SetTolerances(const Tolerances& tolerances);
    const Precision& CurrentPrecision() const { return precision_; }
    /// A new precision of the measurements; a control already computed is
    /// estimated again with it.
    void SetPrecision(const Precision& precision);

    /// Whether page 1, 2 or 3 shows the result of a run that still holds:
    /// it completed, and since then it was not cleared, no page before it ran
    /// again, and no input of it or of a page before it was edited.
    bool PageCurrent(int page) const;

    /// Where page 1, 2 or 3 stands (NotRun for any other number).
    PageStatus Status(int page) const;

private:
    // Page `page` stands as `status`, and every later page that was current
    // stands as `later` (a result that rests on it no longer holds).
    void Mark(int page, PageStatus status, PageStatus later);

    std::optional<GivenPoints> given_;
    std::optional<Measurements> measured_;
    std::vector<InputWarning> inputWarnings_;
    std::optional<ControlInputs> inputs_;
    std::optional<ControlReport> report_;
    Tolerances tolerances_;
    Precision precision_;
    PageStatus status_[3] = {PageStatus::NotRun, PageStatus::NotRun, PageStatus::NotRun};
};

} // namespace snesenie
