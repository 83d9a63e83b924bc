#pragma once

// The computation sheet as one object: the texts of its fields, the values
// carried from page to page, which pages show a current result, the control
// and the tolerances it is judged by. Every front end (the window, the
// command line, the headless statement) and every test presses the sheet's
// buttons through Press and only shows what it returns; none of them runs a
// page computation or keeps the record of a press by itself.

#include "CalcState.h"
#include "Control.h"
#include "ControlRecord.h"
#include "PageFields.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>

namespace snesenie {

/// How a press ended, for whoever shows it.
struct PressResult {
    Outcome outcome = Outcome::Completed;
    /// The refusal or the failure in Russian, as a message box shows it;
    /// empty when the press completed.
    std::string message;
    /// The input field a failure names (a text that is no number, a number
    /// too large to hold), so that the window can point at it; else empty.
    std::string field;
    /// The failure itself, for a caller that needs its kind (a test telling a
    /// conversion from an arithmetic error); empty unless it failed.
    std::exception_ptr error;
    /// The earlier page whose OK must be pressed first, when a refusal names
    /// one (its results no longer follow from the inputs shown); else 0.
    int recompute = 0;

    bool Completed() const { return outcome == Outcome::Completed; }
};

class Sheet {
public:
    /// A sheet on fields of its own, held in memory: it starts as the window
    /// starts, every input with its example text, every output empty.
    Sheet();
    /// A sheet on the caller's fields (the window's edit boxes), which must
    /// outlive it. The texts they hold now are the sheet's.
    explicit Sheet(PageFields& fields);

    Sheet(Sheet&&) noexcept;
    Sheet& operator=(Sheet&&) noexcept;
    ~Sheet();

    /// Does what the button does: runs page 1, 2 or 3, or empties page 1 or
    /// 2. Page 2 or 3 is refused while a page before it ran but is no longer
    /// current (an input edited, the page cleared): it would compute from
    /// values the sheet no longer shows. Notes the press in the control record (so the control and which
    /// pages are current follow it) and says how it ended. A failure or a
    /// refusal is an outcome, not an exception; the fields and the carried
    /// values stay as the computation left them. Anything else thrown is a
    /// fault of the program: it is noted as a failure and passed on.
    PressResult Press(SheetAction action);

    /// An input of the page took a new text: that page and every later one
    /// stop being current and the control is dropped. Returns whether
    /// anything changed (see ControlRecord::InputEdited).
    bool InputEdited(int page);

    /// Starts afresh on the texts the fields hold now (a job opened, a new
    /// sheet): nothing carried, no page current, no control. The tolerances
    /// and the precision stay.
    void Restart();

    PageFields& Fields() { return *fields_; }
    const PageFields& Fields() const { return *fields_; }
    const CalcState& State() const { return state_; }
    /// The record of the presses: the control and which pages are current.
    const ControlRecord& Record() const { return record_; }
    /// The control of the last completed page 3, while it still holds.
    const std::optional<ControlReport>& Control() const { return record_.Report(); }
    /// Whether page 1, 2 or 3 shows the result of a run that still holds.
    bool PageCurrent(int page) const { return record_.PageCurrent(page); }

    const Tolerances& CurrentTolerances() const { return record_.CurrentTolerances(); }
    /// New tolerances; a control already computed is judged again by them.
    void SetTolerances(const Tolerances& tolerances) { record_.SetTolerances(tolerances); }
    const Precision& CurrentPrecision() const { return record_.CurrentPrecision(); }
    /// A new precision of the measurements; a control already computed is
    /// estimated again with it.
    void SetPrecision(const Precision& precision) { record_.SetPrecision(precision); }

    /// The page whose fields a press writes: 1 for Page1 and ClearPage1, …
    static int PageOf(SheetAction action);

private:
    /// The refusal of a later page while an earlier one that ran is not
    /// current, naming the first such page; empty when the page may run.
    std::optional<PressResult> StaleRefusal(int page) const;

    std::unique_ptr<MemoryFields> own_;
    PageFields* fields_;
    CalcState state_;
    ControlRecord record_;
};

} // namespace snesenie
