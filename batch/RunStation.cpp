#include "RunStation.h"

#include "Errors.h"
#include "FieldTable.h"
#include "Numbers.h"
#include "Sheet.h"

namespace snesenie::batch {
namespace {

// Puts the station's texts on a fresh sheet: every input takes its text (an
// empty one where none was given), so nothing of the example sheet the
// fields start with, or of another station, is ever computed.
void PutOnSheet(const Station& station, PageFields& fields)
{
    for (const FieldInfo& f : Fields()) {
        if (f.kind != FieldKind::Input)
            continue;
        fields.SetText(f.id, std::string(station.texts.Get(f.name)));
    }
}

} // namespace

StationResult RunStation(const Station& station, const Tolerances& tolerances, const Precision& precision)
{
    Sheet sheet;
    return RunStation(station, tolerances, precision, sheet);
}

StationResult RunStation(const Station& station, const Tolerances& tolerances, const Precision& precision,
                         Sheet& sheet)
{
    StationResult result;
    if (!station.readError.empty()) {
        result.error = station.readError;
        return result;
    }
    // A surveyor who changed instruments mid-season gives those stations
    // their own precision; an empty cell keeps the settings'.
    Precision own = precision;
    for (const auto& [key, text] : station.precision) {
        const PrecisionField* field = FindPrecisionField(key);
        if (field == nullptr || TrimBlanks(text).empty())
            continue;
        if (std::optional<std::string> wrong = ReadPrecision(*field, text, own.*field->member)) {
            result.error = *wrong;
            result.field = key;
            return result;
        }
    }
    sheet.SetTolerances(tolerances);
    sheet.SetPrecision(own);
    PutOnSheet(station, sheet.Fields());
    // Pages 1, 2 and 3 in turn, up to the first that does not complete.
    for (const SheetAction action : {SheetAction::Page1, SheetAction::Page2, SheetAction::Page3}) {
        const PressResult pressed = sheet.Press(action);
        if (!pressed.Completed()) {
            result.error = pressed.message;
            result.field = pressed.field;
            return result;
        }
    }
    result.computed = true;
    for (std::size_t i = 0; i < kPointFields.size(); ++i)
        result.point[i] = sheet.Fields().GetText(kPointFields[i]);
    result.control = sheet.Control();
    return result;
}

std::string FailureText(const Station& station, const StationResult& result, const StationList& list)
{
    if (!station.readError.empty())
        return result.error;
    if (!station.file.empty())
        return "задание " + QuotePath(station.file) + ": " + result.error;
    std::string where = "строка " + std::to_string(station.line);
    if (const auto column = list.columns.find(result.field); column != list.columns.end())
        where += ", столбец " + std::to_string(column->second) + " (" + result.field + ")";
    return where + ": " + result.error;
}

} // namespace snesenie::batch
