// Speed of the bundle of statements: a hundred stations of the example sheet,
// each its A and base moved a little, computed, summed up on the summary
// and painted each on a page of its own, the PDF made in memory as the
// window and `snesenie --batch … --pdf` make it; only the disk is left out.

#include "BatchBundle.h"
#include "FieldTable.h"
#include "StationTable.h"
#include "Stations.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <string>

namespace {

using namespace snesenie;
using namespace snesenie::batch;
using snesenie::bench::TableOfStations;

void BM_Bundle(benchmark::State& bench)
{
    const StationList list = ParseStationTable(TableOfStations(static_cast<int>(bench.range(0))), "bench.csv");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bundle.pdf"));
    const BundleHeading heading{QStringLiteral("bench.csv"), Tolerances{}, QDateTime::currentDateTime(), Precision{}};
    for (auto _ : bench) {
        const BundleReport report = WriteBatchBundle(list, heading, path, [](int, int) { return true; });
        if (!report.error.isEmpty())
            bench.SkipWithError(report.error.toStdString().c_str());
    }
    bench.SetItemsProcessed(bench.iterations() * bench.range(0));
}
BENCHMARK(BM_Bundle)->Arg(100)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    // No display needed: the pages are painted into the PDF only.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
