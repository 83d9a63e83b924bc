#include "BatchCommand.h"

#include "Console.h"
#include "Errors.h"
#include "Results.h"
#include "RunStation.h"
#include "Stations.h"
#include "Utf8Path.h"

#include <chrono>
#include <iostream>

namespace snesenie::cli {
namespace {

// A count redrawn in place, at most a few times a second: only a person at
// a terminal sees it, and a log file gets none of it.
class Progress {
public:
    explicit Progress(std::size_t total) : total_(total), shown_(StderrIsTerminal()) {}

    void Step(std::size_t done)
    {
        if (!shown_)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (done != total_ && now - last_ < std::chrono::milliseconds(100))
            return;
        last_ = now;
        std::cerr << "\rстанция " << done << " из " << total_ << std::flush;
    }

    // Clears the line before a message, so the two never run together.
    void Clear()
    {
        if (shown_)
            std::cerr << "\r\033[K";
    }

    ~Progress()
    {
        if (shown_)
            std::cerr << '\n';
    }

private:
    std::size_t total_;
    bool shown_;
    std::chrono::steady_clock::time_point last_{};
};

} // namespace

int RunBatchCommand(const Arguments& args, const Tolerances& tolerances)
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
            std::cerr << "snesenie-cli: результаты не записаны в " << QuotePath(args.results) << ": " << problem
                      << ".\n";
            return 2;
        }
    }

    ResultsTable table(list, !args.results.empty());
    bool failed = false, exceeded = false;
    {
        Progress progress(list.stations.size());
        std::size_t done = 0;
        for (const Station& station : list.stations) {
            const StationResult result = RunStation(station, tolerances);
            table.Add(station, result);
            if (!result.computed) {
                failed = true;
                progress.Clear();
                std::cerr << "snesenie-cli: станция " << QuoteText(station.name) << ", "
                          << FailureText(station, result, list) << '\n';
            } else if (result.control && result.control->Overall() == Verdict::Exceeded) {
                exceeded = true;
            }
            progress.Step(++done);
        }
    }

    if (args.results.empty()) {
        std::cout << table.Text();
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "snesenie-cli: не удалось записать результат\n";
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
    return failed ? 1 : exceeded ? 3 : 0;
}

} // namespace snesenie::cli
