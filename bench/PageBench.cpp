// Speed of the three page computations on the example sheet, the way a
// surveyor presses them: fields and state start afresh for every sheet.

#include "Numbers.h"
#include "Pages.h"

#include <benchmark/benchmark.h>

namespace {

using namespace snesenie;

void BM_Page1(benchmark::State& bench)
{
    MemoryFields fields;
    CalcState state;
    for (auto _ : bench) {
        ComputePage1(fields, state);
        benchmark::DoNotOptimize(state);
    }
}
BENCHMARK(BM_Page1);

void BM_Page2(benchmark::State& bench)
{
    MemoryFields fields;
    CalcState state;
    ComputePage1(fields, state);
    for (auto _ : bench) {
        benchmark::DoNotOptimize(ComputePage2(fields, state));
    }
}
BENCHMARK(BM_Page2);

void BM_Page3(benchmark::State& bench)
{
    MemoryFields fields;
    CalcState state;
    ComputePage1(fields, state);
    ComputePage2(fields, state);
    for (auto _ : bench) {
        benchmark::DoNotOptimize(ComputePage3(fields, state));
    }
}
BENCHMARK(BM_Page3);

// The whole sheet from the typed texts, including setting up the fields.
void BM_WholeSheet(benchmark::State& bench)
{
    for (auto _ : bench) {
        MemoryFields fields;
        CalcState state;
        ComputePage1(fields, state);
        ComputePage2(fields, state);
        benchmark::DoNotOptimize(ComputePage3(fields, state));
    }
}
BENCHMARK(BM_WholeSheet);

// The working type's own arithmetic, apart from the functions: a chain of
// the four operations as a page strings them, each checked.
void BM_ExtendedArithmetic(benchmark::State& bench)
{
    Ext x(6327.46);
    const Ext dx(722.28), dy(-1585.14);
    for (auto _ : bench) {
        x = (x * dx + dy) / (dx - dy) + 6327.46;
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_ExtendedArithmetic);

// One correctly rounded function of each kind, as a page calls them: the
// 128-bit evaluation both types share, which nearly always decides.
void BM_SinDeg(benchmark::State& bench)
{
    Ext a(148.89712345);
    for (auto _ : bench)
        benchmark::DoNotOptimize(SinDeg(a));
}
BENCHMARK(BM_SinDeg);

void BM_AtanDeg(benchmark::State& bench)
{
    Ext q(-0.4567891234);
    for (auto _ : bench)
        benchmark::DoNotOptimize(AtanDeg(q));
}
BENCHMARK(BM_AtanDeg);

void BM_AsinDeg(benchmark::State& bench)
{
    Ext q(0.0723456789);
    for (auto _ : bench)
        benchmark::DoNotOptimize(AsinDeg(q));
}
BENCHMARK(BM_AsinDeg);

} // namespace
