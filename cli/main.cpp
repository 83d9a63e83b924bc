// snesenie-cli: the computation sheet without a window, for scripts and for
// checking the core end to end. It only moves texts in and out of the core.

#include "Arguments.h"
#include "BatchCommand.h"
#include "Console.h"
#include "FieldGuide.h"
#include "FieldTable.h"
#include "JobOptions.h"
#include "Numbers.h"
#include "Settings.h"
#include "Sheet.h"
#include "SheetText.h"
#include "Version.h"

#include <charconv>
#include <csignal>
#include <iostream>

using namespace snesenie;
using namespace snesenie::cli;

namespace {

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

// The stored tolerances, as the window and snesenie --pdf judge by, with
// those of --tolerances over them. Says where they came from: "settings",
// "option", both joined by '+', or "defaults".
std::pair<Tolerances, std::string> ChooseTolerances(const Arguments& args)
{
    const Settings settings(UserSettingsFile());
    for (const std::string& problem : settings.Problems())
        std::cerr << "snesenie-cli: " << problem << '\n';
    Tolerances tolerances = settings.GetTolerances();
    std::string source = settings.StoresTolerances() ? "settings" : "";
    for (const auto& [field, value] : args.tolerances)
        tolerances.*field->member = value;
    if (!args.tolerances.empty())
        source += source.empty() ? "option" : "+option";
    return {tolerances, source.empty() ? "defaults" : source};
}

// CONTROL_NAME=value;tolerance;verdict, one line per check, then the
// tolerances judged by (in the order of the settings) and their source.
void PrintControl(const Sheet& sheet, const std::string& source)
{
    if (!sheet.Control()) {
        std::cerr << "control: " << kControlNotComputed << '\n';
        return;
    }
    for (const Check& c : sheet.Control()->checks)
        std::cout << "CONTROL_" << c.name << '=' << c.value << ';' << c.tolerance << ';' << VerdictCode(c.verdict)
                  << '\n';
    std::cout << "CONTROL_TOLERANCES=";
    for (const ToleranceField& f : ToleranceFields())
        std::cout << f.key << '=' << FormatNumber(sheet.CurrentTolerances().*f.member) << ';';
    std::cout << source << '\n';
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
    std::cerr << "snesenie-cli: Не удалось записать результат.\n";
    return false;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef SIGXFSZ
    // Past a file size limit (ulimit -f) a write is to fail with its reason,
    // so that the save says «файл слишком велик» and removes its temporary,
    // rather than the program being killed halfway through it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    PrepareConsole();
    Arguments args;
    try {
        args = ParseArguments(Utf8Arguments(argc, argv));
    } catch (const UserError& e) {
        std::cerr << "snesenie-cli: " << e.what() << "\nСправка: snesenie-cli --help\n";
        return 2;
    }
    if (args.help || args.version || args.fields) {
        if (args.help)
            std::cout << UsageText() << FieldGuide();
        else if (args.fields)
            std::cout << FieldsText();
        else
            std::cout << "snesenie-cli " << kVersion << '\n' << kLicenceNotice << '\n';
        return Written() ? 0 : 1;
    }
    const auto [tolerances, source] = ChooseTolerances(args);
    if (!args.batch.empty())
        return RunBatchCommand(args, tolerances);

    Sheet sheet;
    if (!args.job.empty() && !LoadJobOption(args.job, sheet.Fields()))
        return 2;
    for (const auto& [name, text] : args.assignments)
        sheet.Fields().SetText(name, text);
    sheet.SetTolerances(tolerances);
    bool allDone = true;
    for (Press press : args.presses) {
        const PressResult result = sheet.Press(ActionOf(press));
        // The same message as the window's: it names the field itself.
        if (!result.Completed())
            std::cerr << PressName(press) << ": " << result.message << '\n';
        allDone = result.Completed() && allDone;
    }
    if (!args.saveJob.empty())
        allDone = SaveJobOption(args.saveJob, sheet.Fields()) && allDone;

    if (args.sheet) {
        std::cout << SheetText(sheet.Fields(), sheet.Control());
    } else {
        for (const FieldInfo& f : Fields()) {
            const std::string name(f.name);
            std::cout << name << '=' << sheet.Fields().GetText(name) << '\n';
        }
    }
    if (args.state)
        PrintState(sheet.State());
    if (args.control)
        PrintControl(sheet, source);
    if (!Written() || !allDone)
        return 1;
    return args.control && ControlExceeded(sheet.Control()) ? kExitControlExceeded : 0;
}
