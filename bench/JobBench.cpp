// Speed of the job reader on the largest file it reads, of shapes no writer
// of ours makes: whatever a job holds, reading or refusing it takes time in
// proportion to its size.

#include "JobFile.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace snesenie::job;

// A job whose ignored member "pad" holds the unit over and over, to just
// under the largest size read.
std::string PaddedJob(const std::string& unit)
{
    const std::string tail = R"(], "format": "snesenie-job", "version": 1, "fields": {"EXc": "1"}})";
    std::string out = R"({"pad": [0)";
    while (out.size() + unit.size() + tail.size() <= static_cast<std::size_t>(kMaxFileBytes))
        out += unit;
    return out + tail;
}

void ReadPadded(benchmark::State& bench, const std::string& unit)
{
    const std::string content = PaddedJob(unit);
    for (auto _ : bench)
        benchmark::DoNotOptimize(ParseJob(content, "bench.snesenie"));
    bench.SetBytesProcessed(bench.iterations() * static_cast<std::int64_t>(content.size()));
}

void BM_JobOfEmptyObjects(benchmark::State& bench) { ReadPadded(bench, ",{}"); }
BENCHMARK(BM_JobOfEmptyObjects)->Unit(benchmark::kMillisecond);

void BM_JobOfNestedArrays(benchmark::State& bench) { ReadPadded(bench, ",[[[[[[[[]]]]]]]]"); }
BENCHMARK(BM_JobOfNestedArrays)->Unit(benchmark::kMillisecond);

void BM_JobOfTexts(benchmark::State& bench) { ReadPadded(bench, ",\"пункт\""); }
BENCHMARK(BM_JobOfTexts)->Unit(benchmark::kMillisecond);

} // namespace
