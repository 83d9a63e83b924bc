#include "RunStation.h"

#include "ControlRecord.h"
#include "FieldTable.h"
#include "Errors.h"
#include "Pages.h"

namespace snesenie::batch {
namespace {

// Puts the station's texts on a fresh sheet: every input takes its text (an
// empty one where none was given), so nothing of the example sheet the
// fields start with, or of another station, is ever computed.
void PutOnSheet(const Station& station, MemoryFields& fields)
{
    for (const FieldInfo& f : Fields()) {
        if (f.kind != FieldKind::Input)
            continue;
        const auto text = station.texts.find(f.name);
        fields.SetText(std::string(f.name), text != station.texts.end() ? text->second : std::string());
    }
}

// The presses of pages 1, 2 and 3 in turn, each noted for the control, up
// to the first that does not complete; the press's message when one stops.
// This is the only place the batch calls the page computations: once the
// core holds the sheet as one object, these lines become its Press calls.
std::optional<CalcError> PressPages(MemoryFields& fields, CalcState& state, ControlRecord& control)
{
    for (const SheetAction action : {SheetAction::Page1, SheetAction::Page2, SheetAction::Page3}) {
        std::optional<Refusal> refusal;
        try {
            if (action == SheetAction::Page1)
                ComputePage1(fields, state);
            else if (action == SheetAction::Page2)
                refusal = ComputePage2(fields, state);
            else
                refusal = ComputePage3(fields, state);
        } catch (const CalcError& e) {
            control.Note(action, Outcome::Failed, fields, state);
            return e;
        }
        control.Note(action, refusal ? Outcome::Refused : Outcome::Completed, fields, state);
        if (refusal)
            return CalcError(refusal->message);
    }
    return std::nullopt;
}

} // namespace

StationResult RunStation(const Station& station, const Tolerances& tolerances)
{
    StationResult result;
    if (!station.readError.empty()) {
        result.error = station.readError;
        return result;
    }
    MemoryFields fields;
    CalcState state;
    ControlRecord control;
    control.SetTolerances(tolerances);
    PutOnSheet(station, fields);
    if (const std::optional<CalcError> stop = PressPages(fields, state, control)) {
        result.error = stop->what();
        result.field = stop->Field();
        return result;
    }
    result.computed = true;
    for (std::size_t i = 0; i < kPointFields.size(); ++i)
        result.point[i] = fields.GetText(kPointFields[i]);
    result.control = control.Report();
    return result;
}

std::string FailureText(const Station& station, const StationResult& result, const StationList& list)
{
    if (!station.readError.empty())
        return result.error;
    if (!station.file.empty())
        return "задание " + QuoteText(station.file) + ": " + result.error;
    std::string where = "строка " + std::to_string(station.line);
    if (const auto column = list.columns.find(result.field); column != list.columns.end())
        where += ", столбец " + std::to_string(column->second) + " (" + result.field + ")";
    return where + ": " + result.error;
}

} // namespace snesenie::batch
