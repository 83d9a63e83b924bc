// Whole sheets through the core: random texts in the 26 input fields and a
// random run of button presses. Nothing is expected of the digits; what must
// hold is that only the core's own errors escape, pages refuse exactly when
// the pages before them are not done (and then change nothing), an error
// raised while reading a field changes no output, every output field holds
// a well-formed finite number or angle, and the carried values stay finite.
//
// Input: the first line is the presses, one character each (1, 2, 3 for the
// OK buttons, a and b for the clear buttons of pages 1 and 2; others are
// skipped); each further line replaces the text of the next input field in
// the order of the field table (EXc, EYc, …, Edd2s). Fields without a line
// keep their example texts.

#include "CalcState.h"
#include "Errors.h"
#include "FieldTable.h"
#include "FuzzChecks.h"
#include "PageFields.h"
#include "Pages.h"
#include "Sheet.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

using namespace snesenie;

namespace {

// -12°-30`-15,5``: each part as FormatNumber prints it, minutes below 60 and
// seconds at most 60 in magnitude, every part with the sign of the angle.
void CheckAngleText(const std::string& text)
{
    const std::size_t degree = text.find("°");
    const std::size_t minute = text.find('`', degree);
    fuzz::Require(degree != std::string::npos && minute != std::string::npos && text.ends_with("``") &&
                      text.size() > minute + 3,
                  "angle text garbled", text);
    const std::string parts[] = {text.substr(0, degree), text.substr(degree + 2, minute - degree - 2),
                                 text.substr(minute + 1, text.size() - minute - 3)};
    bool negative = false, positive = false;
    for (const std::string& part : parts) {
        fuzz::CheckNumberText(part);
        negative |= part.starts_with('-');
        positive |= part != "0" && !part.starts_with('-');
    }
    fuzz::Require(!(negative && positive), "angle parts of both signs", text);
    fuzz::Require(parts[0].find_first_of(",E") == std::string::npos, "degrees not whole", text);
    fuzz::Require(parts[1].find_first_of(",E") == std::string::npos && std::abs(std::stoi(parts[1])) < 60,
                  "minutes out of range", text);
    fuzz::Require(parts[2].find('E') == std::string::npos && std::fabs(ParseNumber(parts[2])) <= 60,
                  "seconds out of range", text);
}

void CheckSheet(const PageFields& fields, const CalcState& st)
{
    for (const FieldInfo& f : Fields()) {
        if (f.kind != FieldKind::Output)
            continue;
        const std::string name(f.name);
        const std::string text = fields.GetText(name);
        if (text.empty())
            continue;
        // A line along a grid axis has no tangent (∞ when ΔX = 0) and one of
        // its two distances undefined (—); only those fields may say so.
        const bool tangent = f.id == FieldId::EtgAB || f.id == FieldId::EtgAC;
        const bool distance = f.id == FieldId::ES1 || f.id == FieldId::ES2 || f.id == FieldId::ES11 ||
                              f.id == FieldId::ES22;
        if ((tangent && text == kInfinityText) || (distance && text == kUndefinedText))
            continue;
        if (f.form == FieldForm::Angle)
            CheckAngleText(text);
        else
            fuzz::CheckNumberText(text);
    }
    for (double v : {st.Xa, st.Ya, st.DirAB, st.DirAC, st.DistAB, st.DistAC, st.D1, st.D2, st.DirAP1, st.DirAP2})
        fuzz::Require(std::isfinite(v), "carried value not finite");
}

// Every field's text, in the order of the field table.
std::vector<std::string> Snapshot(const PageFields& fields)
{
    std::vector<std::string> texts;
    texts.reserve(Fields().size());
    for (const FieldInfo& f : Fields())
        texts.push_back(fields.GetText(std::string(f.name)));
    return texts;
}

bool SameState(const CalcState& a, const CalcState& b)
{
    // Bit for bit: every carried value is finite, so == is exact.
    return a.Xa == b.Xa && a.Ya == b.Ya && a.DirAB == b.DirAB && a.DirAC == b.DirAC && a.DistAB == b.DistAB &&
           a.DistAC == b.DistAC && a.D1 == b.D1 && a.D2 == b.D2 && a.DirAP1 == b.DirAP1 && a.DirAP2 == b.DirAP2 &&
           a.Page1Done == b.Page1Done && a.Page2Done == b.Page2Done;
}

void Press(char button, Sheet& sheet)
{
    const PageFields& fields = sheet.Fields();
    const CalcState& st = sheet.State();
    if (button == 'a' || button == 'b') {
        fuzz::Require(sheet.Press(button == 'a' ? SheetAction::ClearPage1 : SheetAction::ClearPage2).Completed(),
                      "a clear button did not complete");
        return;
    }
    if (button != '1' && button != '2' && button != '3')
        return;
    const bool page1Done = st.Page1Done, page2Done = st.Page2Done;
    // A page may compute only from earlier pages that still hold.
    bool earlierStale = false;
    for (int page = 1; page < button - '0'; ++page)
        earlierStale = earlierStale || !sheet.PageCurrent(page);
    const auto before = Snapshot(fields);
    const CalcState old = st;
    const SheetAction actions[] = {SheetAction::Page1, SheetAction::Page2, SheetAction::Page3};
    // Anything but the core's own errors passes through Press and ends the
    // run as a crash.
    const PressResult result = sheet.Press(actions[button - '1']);
    if (result.outcome == Outcome::Failed) {
        fuzz::CheckMessage(result.message);
        // A page that fails is not done, and neither is any page after it;
        // page 3 fails without touching the flags.
        if (button == '3')
            fuzz::Require(st.Page1Done == page1Done && st.Page2Done == page2Done, "page 3 changed the flags");
        else
            fuzz::Require(!st.Page2Done && (button == '2' || !st.Page1Done), "a failed page is marked done");
        fuzz::Require(!sheet.PageCurrent(button - '0'), "a failed page is current");
        if (!result.field.empty()) {
            const FieldInfo* f = FindField(result.field);
            fuzz::Require(f != nullptr && f->kind == FieldKind::Input && f->page == button - '0',
                          "error blames a field the page does not read", result.field);
            fuzz::Require(Snapshot(fields) == before, "a bad input changed the sheet", result.field);
        }
        CheckSheet(fields, st);
        return;
    }
    const bool refused = result.outcome == Outcome::Refused;
    const bool notRun = (button == '2' && !page1Done) || (button == '3' && !(page1Done && page2Done));
    fuzz::Require(refused == (notRun || earlierStale), "refusal does not follow the pages");
    if (refused) {
        fuzz::Require(Snapshot(fields) == before && SameState(st, old), "a refusal changed something");
        if (notRun)
            fuzz::Require(result.message == (button == '2' ? kPage2Refusal : kPage3Refusal), "wrong refusal");
        else
            fuzz::Require(result.recompute >= 1 && result.recompute < button - '0' &&
                              !sheet.PageCurrent(result.recompute),
                          "a refusal names no stale page");
    } else {
        fuzz::Require(sheet.PageCurrent(button - '0'), "a completed page is not current");
        if (button == '1')
            fuzz::Require(st.Page1Done && !st.Page2Done, "page 1 done leaves the flags wrong");
        else if (button == '2')
            fuzz::Require(st.Page1Done && st.Page2Done, "page 2 done leaves the flags wrong");
    }
    CheckSheet(fields, st);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= input.size();) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        lines.push_back(input.substr(start, end - start));
        start = end + 1;
    }

    Sheet sheet;
    std::size_t next = 1;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input && next < lines.size())
            sheet.Fields().SetText(std::string(f.name), std::string(lines[next++]));

    std::size_t presses = 0;
    for (char button : lines[0]) {
        if (++presses > 24)
            break;
        Press(button, sheet);
    }
    return 0;
}
