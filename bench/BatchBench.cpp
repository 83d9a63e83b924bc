// Speed of a batch: a season's table of 10,000 stations read from its text,
// each computed through pages 1, 2, 3 and the control (with the accuracy
// estimate and its check) on a sheet of its own, and the table of results
// made. Only the disk is left out.

#include "FieldTable.h"
#include "Results.h"
#include "RunStation.h"
#include "StationTable.h"
#include "Stations.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace snesenie;
using namespace snesenie::batch;
using snesenie::bench::TableOfStations;

void BM_Batch(benchmark::State& bench)
{
    const std::string table = TableOfStations(static_cast<int>(bench.range(0)));
    Tolerances tolerances;
    tolerances.accuracyMetres = 0.05;
    for (auto _ : bench) {
        const StationList list = ParseStationTable(table, "bench.csv");
        ResultsTable results(list, true);
        for (const Station& station : list.stations)
            results.Add(station, RunStation(station, tolerances, Precision{}));
        benchmark::DoNotOptimize(results.Text().data());
    }
    bench.SetItemsProcessed(bench.iterations() * bench.range(0));
}
BENCHMARK(BM_Batch)->Arg(10'000)->Unit(benchmark::kMillisecond);

} // namespace
