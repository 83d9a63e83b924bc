#include "ControlRecord.h"

#include "Errors.h"
#include "FieldTable.h"
#include "Numbers.h"
#include "PageIo.h"

#include <algorithm>

namespace snesenie {
namespace {

// Read right after the page completed: the same texts, parsed and held the
// same way, so these are the very numbers the page computed from, whatever is
// typed into the boxes later.

GivenPoints ReadGiven(const PageFields& f)
{
    return {ReadHeld(f, FieldId::EXa), ReadHeld(f, FieldId::EYa), ReadHeld(f, FieldId::EXb),
            ReadHeld(f, FieldId::EYb), ReadHeld(f, FieldId::EXc), ReadHeld(f, FieldId::EYc)};
}

double ReadAngle(const PageFields& f, FieldId g, FieldId m, FieldId s)
{
    const double degrees = ReadHeld(f, g);
    const double minutes = ReadHeld(f, m);
    const double seconds = ReadHeld(f, s);
    return DmsToDegrees(degrees, minutes, seconds);
}

Measurements ReadMeasurements(const PageFields& f)
{
    Measurements m{};
    m.beta1[0] = ReadAngle(f, FieldId::Ebb1g, FieldId::Ebb1m, FieldId::Ebb1s);
    m.beta2[0] = ReadAngle(f, FieldId::Ebb2g, FieldId::Ebb2m, FieldId::Ebb2s);
    m.beta1[1] = ReadAngle(f, FieldId::Ebb11g, FieldId::Ebb11m, FieldId::Ebb11s);
    m.beta2[1] = ReadAngle(f, FieldId::Ebb22g, FieldId::Ebb22m, FieldId::Ebb22s);
    m.delta[0] = ReadAngle(f, FieldId::Edd1g, FieldId::Edd1m, FieldId::Edd1s);
    m.delta[1] = ReadAngle(f, FieldId::Edd2g, FieldId::Edd2m, FieldId::Edd2s);
    m.base[0] = ReadHeld(f, FieldId::Eb1);
    m.base[1] = ReadHeld(f, FieldId::Eb2);
    return m;
}

PrintedPoint ReadPrinted(const PageFields& f)
{
    return {{ReadHeld(f, FieldId::EXp1), ReadHeld(f, FieldId::EXp2)},
            {ReadHeld(f, FieldId::EYp1), ReadHeld(f, FieldId::EYp2)},
            ReadHeld(f, FieldId::Xp),
            ReadHeld(f, FieldId::Yp)};
}

} // namespace

void ControlRecord::Note(SheetAction action, Outcome outcome, const PageFields& fields, const CalcState& state)
{
    // A refused page ran nothing and changed nothing.
    if (outcome == Outcome::Refused)
        return;
    const bool completed = outcome == Outcome::Completed;
    if (action != SheetAction::Page3 || !completed) {
        inputs_.reset();
        report_.reset();
    }
    try {
        switch (action) {
        case SheetAction::Page1:
            // A new page 1 makes page 2 run again before page 3 may: the
            // carried values of page 2 were computed from the old run.
            given_.reset();
            measured_.reset();
            Mark(1, completed ? PageStatus::Current : PageStatus::Failed, PageStatus::EarlierRan);
            if (completed)
                given_ = ReadGiven(fields);
            break;
        case SheetAction::Page2:
            measured_.reset();
            Mark(2, completed ? PageStatus::Current : PageStatus::Failed, PageStatus::EarlierRan);
            if (completed) {
                measured_ = ReadMeasurements(fields);
                inputWarnings_ = InputWarnings(fields);
            }
            break;
        case SheetAction::Page3:
            status_[2] = completed ? PageStatus::Current : PageStatus::Failed;
            if (completed && given_ && measured_) {
                inputs_ = ControlInputs{*given_, *measured_, {state.D1, state.D2},
                                        {state.DirAP1, state.DirAP2}, ReadPrinted(fields), inputWarnings_};
                report_ = ComputeControl(*inputs_, tolerances_, precision_);
            } else {
                inputs_.reset();
                report_.reset();
            }
            break;
        // An emptied page shows no inputs its results could follow from, and
        // neither do the later pages that rest on it.
        case SheetAction::ClearPage1:
            Mark(1, PageStatus::Cleared, PageStatus::Cleared);
            break;
        case SheetAction::ClearPage2:
            Mark(2, PageStatus::Cleared, PageStatus::Cleared);
            break;
        }
    } catch (const CalcError&) {
        // The texts a page has just run on always read back; should one not,
        // the control is simply not computed.
        inputs_.reset();
        report_.reset();
    }
}

bool ControlRecord::InputEdited(int page)
{
    if (page < 1 || page > 3)
        return false;
    // The control stands on the results of all three pages, so an edit on
    // any page leaves it describing texts the sheet no longer shows.
    bool changed = report_.has_value() || inputs_.has_value();
    inputs_.reset();
    report_.reset();
    changed = changed || std::ranges::any_of(status_ + (page - 1), status_ + 3,
                                             [](PageStatus s) { return s == PageStatus::Current; });
    Mark(page, PageStatus::Edited, PageStatus::Edited);
    return changed;
}

void ControlRecord::Mark(int page, PageStatus status, PageStatus later)
{
    PageStatus& own = status_[page - 1];
    // An edit of a page that never ran, or whose run failed, leaves it so:
    // it still has no result, and that is what a refusal must say.
    if (status != PageStatus::Edited || own == PageStatus::Current)
        own = status;
    for (int p = page + 1; p <= 3; ++p)
        if (status_[p - 1] == PageStatus::Current)
            status_[p - 1] = later;
}

void ControlRecord::SetTolerances(const Tolerances& tolerances)
{
    tolerances_ = tolerances;
    if (inputs_)
        report_ = ComputeControl(*inputs_, tolerances_, precision_);
}

void ControlRecord::SetPrecision(const Precision& precision)
{
    precision_ = precision;
    if (inputs_)
        report_ = ComputeControl(*inputs_, tolerances_, precision_);
}

bool ControlRecord::PageCurrent(int page) const { return Status(page) == PageStatus::Current; }

PageStatus ControlRecord::Status(int page) const
{
    return page >= 1 && page <= 3 ? status_[page - 1] : PageStatus::NotRun;
}

} // namespace snesenie
