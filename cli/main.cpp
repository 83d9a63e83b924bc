// snesenie-cli: the computation sheet without a window, for scripts and for
// checking the core end to end. It only moves texts in and out of the core.

#include "Arguments.h"
#include "BatchCommand.h"
#include "ControlRecord.h"
#include "FieldTable.h"
#include "JobOptions.h"
#include "Pages.h"
#include "Version.h"

#include <charconv>
#include <iostream>

using namespace snesenie;
using namespace snesenie::cli;

namespace {

// Runs one press as its button does.
Outcome RunPress(Press press, MemoryFields& fields, CalcState& state)
{
    std::optional<Refusal> refusal;
    try {
        switch (press) {
        case Press::Ok1:
            ComputePage1(fields, state);
            break;
        case Press::Ok2:
            refusal = ComputePage2(fields, state);
            break;
        case Press::Ok3:
            refusal = ComputePage3(fields, state);
            break;
        case Press::Clear1:
            ClearPage1(fields);
            break;
        case Press::Clear2:
            ClearPage2(fields);
            break;
        }
    } catch (const CalcError& e) {
        // The same message as the window's: it names the field itself.
        std::cerr << PressName(press) << ": " << e.what() << '\n';
        return Outcome::Failed;
    }
    if (refusal) {
        std::cerr << PressName(press) << ": " << refusal->message << '\n';
        return Outcome::Refused;
    }
    return Outcome::Completed;
}

SheetAction ActionOf(Press press)
{
    switch (press) {
    case Press::Ok1:
        return SheetAction::Page1;
    case Press::Ok2:
        return SheetAction::Page2;
    case Press::Ok3:
        return SheetAction::Page3;
    case Press::Clear1:
        return SheetAction::ClearPage1;
    case Press::Clear2:
        break;
    }
    return SheetAction::ClearPage2;
}

// CONTROL_NAME=value;tolerance;verdict, one line per check.
void PrintControl(const ControlRecord& control)
{
    if (!control.Report()) {
        std::cerr << "control: " << kControlNotComputed << '\n';
        return;
    }
    for (const Check& c : control.Report()->checks)
        std::cout << "CONTROL_" << c.name << '=' << c.value << ';' << c.tolerance << ';' << VerdictCode(c.verdict)
                  << '\n';
}

// %.17g with a '.', whatever the locale: enough digits to read the double back.
std::string Exact(double v)
{
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
    return std::string(buf, res.ptr);
}

void PrintState(const CalcState& s)
{
    const std::pair<const char*, double> numbers[] = {
        {"Xa", s.Xa},         {"Ya", s.Ya},         {"DirAB", s.DirAB},   {"DirAC", s.DirAC},
        {"DistAB", s.DistAB}, {"DistAC", s.DistAC}, {"D1", s.D1},         {"D2", s.D2},
        {"DirAP1", s.DirAP1}, {"DirAP2", s.DirAP2},
    };
    for (const auto& [name, value] : numbers)
        std::cout << name << '=' << Exact(value) << '\n';
    std::cout << "Page1Done=" << (s.Page1Done ? "true" : "false") << '\n';
    std::cout << "Page2Done=" << (s.Page2Done ? "true" : "false") << '\n';
}

// What was printed reached its file: a sheet (or the help) that could not be
// written, to a full disk or a closed pipe, is lost, and a script must not
// take that for success.
bool Written()
{
    std::cout.flush();
    if (std::cout)
        return true;
    std::cerr << "snesenie-cli: не удалось записать результат\n";
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments args;
    try {
        args = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "snesenie-cli: " << e.what() << "\nСправка: snesenie-cli --help\n";
        return 2;
    }
    if (args.help || args.version) {
        if (args.help)
            std::cout << UsageText();
        else
            std::cout << "snesenie-cli " << kVersion << '\n' << kLicenceNotice << '\n';
        return Written() ? 0 : 1;
    }
    if (!args.batch.empty())
        return RunBatchCommand(args);

    MemoryFields fields;
    CalcState state;
    ControlRecord control;
    if (!args.job.empty() && !LoadJobOption(args.job, fields))
        return 2;
    for (const auto& [name, text] : args.assignments)
        fields.SetText(name, text);
    bool allDone = true;
    for (Press press : args.presses) {
        const Outcome outcome = RunPress(press, fields, state);
        control.Note(ActionOf(press), outcome, fields, state);
        allDone = outcome == Outcome::Completed && allDone;
    }
    if (!args.saveJob.empty())
        allDone = SaveJobOption(args.saveJob, fields) && allDone;

    for (const FieldInfo& f : Fields()) {
        const std::string name(f.name);
        std::cout << name << '=' << fields.GetText(name) << '\n';
    }
    if (args.state)
        PrintState(state);
    if (args.control)
        PrintControl(control);
    if (!Written() || !allDone)
        return 1;
    return args.control && ControlExceeded(control.Report()) ? kExitControlExceeded : 0;
}
