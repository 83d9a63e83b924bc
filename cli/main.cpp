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

struct Judging {
    Tolerances tolerances;
    std::string source;
    Precision precision;
    std::string precisionSource;
};

// Where a setting came from: "settings", "option", both joined by '+', or
// "defaults".
std::string Source(bool stored, bool given)
{
    if (stored && given)
        return "settings+option";
    return stored ? "settings" : given ? "option" : "defaults";
}

// The stored tolerances and precision, as the window and snesenie --pdf
// judge by, with those of --tolerances and --precision over them.
Judging ChooseJudging(const Arguments& args)
{
    const Settings settings(UserSettingsFile());
    for (const std::string& problem : settings.Problems())
        std::cerr << "snesenie-cli: " << problem << '\n';
    Judging out{settings.GetTolerances(), Source(settings.StoresTolerances(), !args.tolerances.empty()),
                settings.GetPrecision(), Source(settings.StoresPrecision(), !args.precision.empty())};
    for (const auto& [field, value] : args.tolerances)
        out.tolerances.*field->member = value;
    for (const auto& [field, value] : args.precision)
        out.precision.*field->member = value;
    return out;
}

std::string AccuracyLine(const PointAccuracy& p)
{
    return FormatMetres4(p.xp) + ';' + FormatMetres4(p.yp) + ';' + FormatMetres4(p.mx) + ';' + FormatMetres4(p.my) +
           ';' + FormatMetres4(p.mP);
}

// CONTROL_NAME=value;tolerance;verdict, one line per check, then the
// tolerances judged by (in the order of the settings) and their source.
void PrintControl(const Sheet& sheet, const Judging& judging)
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
    std::cout << judging.source << '\n';
    // The estimate, where there is one; where not, the control's checks say why.
    const AccuracyEstimate& a = sheet.Control()->accuracy;
    if (a.none)
        return;
    std::cout << "ACCURACY_P1=" << AccuracyLine(a.variant[0]) << '\n';
    std::cout << "ACCURACY_P2=" << AccuracyLine(a.variant[1]) << '\n';
    std::cout << "ACCURACY_P=" << AccuracyLine(a.mean) << '\n';
    std::cout << "ACCURACY_ELLIPSE=" << FormatMetres4(a.mean.ellipse.a) << ';' << FormatMetres4(a.mean.ellipse.b) << ';'
              << FormatAxisDirection(a.mean.ellipse.direction) << '\n';
    std::cout << "ACCURACY_PRECISION=";
    for (const PrecisionField& f : PrecisionFields())
        std::cout << f.key << '=' << FormatNumber(sheet.CurrentPrecision().*f.member) << ';';
    std::cout << judging.precisionSource << '\n';
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
    const Judging judging = ChooseJudging(args);
    if (!args.batch.empty())
        return RunBatchCommand(args, judging.tolerances, judging.precision);

    Sheet sheet;
    if (!args.job.empty() && !LoadJobOption(args.job, sheet.Fields()))
        return 2;
    for (const auto& [name, text] : args.assignments)
        sheet.Fields().SetText(name, text);
    sheet.SetTolerances(judging.tolerances);
    sheet.SetPrecision(judging.precision);
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
        PrintControl(sheet, judging);
    if (!Written() || !allDone)
        return 1;
    return args.control && ControlExceeded(sheet.Control()) ? kExitControlExceeded : 0;
}
