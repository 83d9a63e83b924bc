#include "BatchCommand.h"

#include "Console.h"
#include "Errors.h"
#include "Results.h"
#include "SafeFile.h"
#include "RunStation.h"
#include "Stations.h"
#include "Utf8Path.h"
#include "WindowProgram.h"

#include "Numbers.h"

#include <chrono>
#include <csignal>
#include <iostream>
#include <set>

namespace snesenie::cli {
namespace {

// Ctrl+C is heard between two stations and while the window program draws
// the bundle: nothing is written then, so the old results and PDF stay as
// they were, and the status is the shell's 130.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void NoteInterrupt(int) { g_interrupted = 1; }

constexpr int kExitInterrupted = 130;

// A count redrawn in place, at most a few times a second: only a person at
// a terminal sees it, and a log file gets none of it. The window program's
// count of the bundle's stations is drawn on the same line after it.
class Progress {
public:
    explicit Progress(std::size_t total, const char* what = "станция")
        : total_(total), what_(what), shown_(StderrIsTerminal())
    {
    }

    void Step(std::size_t done)
    {
        if (!shown_)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (done != total_ && now - last_ < std::chrono::milliseconds(100))
            return;
        last_ = now;
        std::cerr << "\r\033[K" << what_ << " " << done << " из " << total_ << std::flush;
        drawn_ = true;
    }

    // Clears the line before a message, so the two never run together.
    void Clear()
    {
        if (shown_)
            std::cerr << "\r\033[K";
        drawn_ = false;
    }

    // The line is left as it is for the next count to draw over.
    void HandOn() { drawn_ = false; }

    ~Progress()
    {
        if (drawn_)
            std::cerr << '\n';
    }

private:
    std::size_t total_;
    const char* what_;
    bool shown_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point last_{};
};

// The file a save to path writes: what the chain of symbolic links at path
// ends in, whether or not it exists yet, as an absolute name with every
// folder's links resolved ("./out.pdf", "out.pdf" and a link to it give one).
std::filesystem::path WrittenFile(std::filesystem::path path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    for (int depth = 0; depth < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++depth) {
        const fs::path next = fs::read_symlink(path, error);
        if (error)
            break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    const fs::path canonical = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? path.lexically_normal() : canonical;
}

// Whether two targets are one file under any names: the same name, links to
// one another, or hard links of one file.
bool SameTarget(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;
    return WrittenFile(a) == WrittenFile(b) || std::filesystem::equivalent(a, b, error);
}

std::string Places()
{
    std::string places;
    for (const std::filesystem::path& place : WindowProgramPlaces())
        places.append(places.empty() ? "" : ", ").append(QuotePath(job::PathToUtf8(place)));
    return places;
}

// The bundle of statements, made by the window program headless from the
// same stations and tolerances. The stations it names as failed were named
// already; everything else it says is passed on. Returns whether it wrote
// the PDF; with failed, whether some station failed (the window program's
// status 1 then says nothing more).
bool WriteBundle(const Arguments& args, const batch::StationList& list, const std::set<std::string>& failures,
                 bool failed)
{
    const std::filesystem::path program = FindWindowProgram();
    if (program.empty()) {
        std::cerr << "snesenie-cli: Ведомости пакета не записаны в " << QuotePath(args.pdf)
                  << ": не найдена программа snesenie (её ищут в " << Places() << ").\n";
        return false;
    }
    // Every value after '=': a name starting with a dash is no option there.
    std::vector<std::string> arguments{"--batch=" + args.batch, "--pdf=" + args.pdf};
    if (args.separator != 0)
        arguments.push_back(std::string("--separator=") + args.separator);
    if (!args.tolerances.empty()) {
        std::string list;
        for (const auto& [field, value] : args.tolerances)
            list.append(list.empty() ? "" : ";").append(field->key).append("=").append(FormatNumber(value));
        arguments.push_back("--tolerances=" + list);
    }
    if (!args.precision.empty()) {
        std::string list;
        for (const auto& [field, value] : args.precision)
            list.append(list.empty() ? "" : ";").append(field->key).append("=").append(FormatNumber(value));
        arguments.push_back("--precision=" + list);
    }
    ChildRun run;
    {
        // The window program's own words for its line.
        Progress progress(list.stations.size(), "ведомости пакета: станция");
        ChildWatch watch;
        if (StderrIsTerminal())
            watch.progress = [&progress](int done, int) { progress.Step(static_cast<std::size_t>(done)); };
        watch.stop = [] { return g_interrupted != 0; };
        run = RunProgram(program, arguments, watch);
        progress.Clear();
    }
    for (const std::string& line : run.errorLines)
        if (!line.starts_with("snesenie: ") || !failures.contains(line.substr(std::string_view("snesenie: ").size())))
            std::cerr << line << '\n';
    if (!run.started) {
        std::cerr << "snesenie-cli: Ведомости пакета не записаны: не удалось запустить " << QuotePath(job::PathToUtf8(program))
                  << ": " << run.error << ".\n";
        return false;
    }
    // Stopped by Ctrl+C, it has said so itself.
    if (g_interrupted != 0 && ((run.exited && run.status == kExitInterrupted) || (!run.exited && run.status == SIGINT)))
        return false;
    if (run.exited && (run.status == 0 || run.status == kExitControlExceeded || (run.status == 1 && failed))) {
        // Its word is not taken for it: a program that ends well without
        // having written the file (another one found in its place, a fault
        // of its own) must not leave a script believing there is a PDF.
        std::string head;
        try {
            head = job::ReadRegularFile(job::PathFromUtf8(args.pdf), 5);
        } catch (const job::FileError& e) {
            std::cerr << "snesenie-cli: Ведомости пакета не записаны: программа " << QuotePath(job::PathToUtf8(program))
                      << " завершилась, не записав " << QuotePath(args.pdf) << " (" << e.what() << ").\n";
            return false;
        }
        if (head.starts_with("%PDF-"))
            return true;
        std::cerr << "snesenie-cli: Ведомости пакета не записаны: программа " << QuotePath(job::PathToUtf8(program))
                  << " завершилась, а в " << QuotePath(args.pdf) << " не PDF.\n";
        return false;
    }
    std::cerr << "snesenie-cli: Ведомости пакета не записаны: программа " << QuotePath(job::PathToUtf8(program))
              << (run.exited ? " завершилась с кодом " : " прервана сигналом ") << run.status << ".\n";
    return false;
}

} // namespace

int RunBatchCommand(const Arguments& args, const Tolerances& tolerances, const Precision& precision)
{
    using namespace snesenie::batch;
    StationList list;
    try {
        list = ReadStations(job::PathFromUtf8(args.batch), args.separator);
    } catch (const BatchError& e) {
        std::cerr << "snesenie-cli: " << e.what() << '\n';
        return 2;
    }
    // Refused before anything is computed: a batch never writes over what
    // it reads.
    if (!args.results.empty()) {
        if (const std::string problem = ResultsTargetProblem(job::PathFromUtf8(args.results), list); !problem.empty()) {
            std::cerr << "snesenie-cli: Результаты не записаны в " << QuotePath(args.results) << ": " << problem
                      << ".\n";
            return 2;
        }
    }
    if (!args.pdf.empty()) {
        std::string problem = BundleTargetProblem(job::PathFromUtf8(args.pdf), list);
        if (problem.empty() && !args.results.empty() &&
            SameTarget(job::PathFromUtf8(args.results), job::PathFromUtf8(args.pdf)))
            problem = "туда же пишутся результаты (--results)";
        if (!problem.empty()) {
            std::cerr << "snesenie-cli: Ведомости пакета не записаны в " << QuotePath(args.pdf) << ": " << problem
                      << ".\n";
            return 2;
        }
    }

    std::signal(SIGINT, NoteInterrupt);
    ResultsTable table(list, !args.results.empty());
    bool failed = false, exceeded = false;
    std::set<std::string> failures;  // as said, for the window program not to say them again
    {
        Progress progress(list.stations.size());
        std::size_t done = 0;
        for (const Station& station : list.stations) {
            if (g_interrupted != 0)
                break;
            const StationResult result = RunStation(station, tolerances, precision);
            table.Add(station, result);
            if (!result.computed) {
                failed = true;
                progress.Clear();
                const std::string failure =
                    "Станция " + QuoteText(station.name) + ", " + FailureText(station, result, list);
                std::cerr << "snesenie-cli: " << failure << '\n';
                if (!args.pdf.empty())
                    failures.insert(failure);
            } else if (result.control && result.control->Overall() == Verdict::Exceeded) {
                exceeded = true;
            }
            progress.Step(++done);
        }
        if (!args.pdf.empty() && g_interrupted == 0)
            progress.HandOn();
    }

    // The bundle before the results, so that a Ctrl+C while it is drawn
    // leaves both files as they were; a bundle that fails for any other
    // reason still lets the results be written.
    const bool bundleWritten = g_interrupted == 0 && (args.pdf.empty() || WriteBundle(args, list, failures, failed));
    if (g_interrupted != 0) {
        std::cerr << "snesenie-cli: прервано: "
                  << (args.results.empty() ? std::string("результаты не выведены")
                                           : "результаты не записаны, " + QuotePath(args.results) + " как был")
                  << (args.pdf.empty() ? "" : ", ведомости пакета не записаны") << ".\n";
        return kExitInterrupted;
    }

    if (args.results.empty()) {
        std::cout << table.Text();
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "snesenie-cli: Не удалось записать результат.\n";
            return 1;
        }
    } else {
        try {
            WriteResultsFile(job::PathFromUtf8(args.results), table.Text());
        } catch (const BatchError& e) {
            std::cerr << "snesenie-cli: " << e.what() << '\n';
            return 1;
        }
    }
    if (!bundleWritten)
        return 1;
    return failed ? 1 : exceeded ? 3 : 0;
}

} // namespace snesenie::cli
