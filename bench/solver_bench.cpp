// Times the solver: one step of a disturbed basin per target, size and thread
// count (ns per cell in the counters), the stages one by one on the default
// 160 x 160 basin, two basins stepped in two threads against one thread
// stepping both, and what each of the wave tank's parts adds to a step.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "sim/advect.h"
#include "sim/basin.h"
#include "sim/boundaries.h"
#include "sim/height_update.h"
#include "sim/sources.h"
#include "sim/sponge.h"
#include "sim/threads.h"
#include "sim/velocity_update.h"
#include "simd/targets.h"

namespace {

// A few hundred steps after a handful of drops: waves everywhere, not rest. The
// drops scale with the basin, so every size is as busy as the default 160 x 160
// basin.
// setUp, if given, furnishes the basin before it is disturbed.
template <typename SetUp>
Basin disturbedBasin(int size, int mode, int threads, SetUp setUp)
{
    BasinConfig config;
    config.width = config.height = size;
    config.threads = threads;
    Basin basin(config);
    setUp(basin);
    basin.colorMode = mode;
    basin.generator.seed(7);
    const int drops = std::max(1, size * size / (160 * 160)) * 10;
    for (int k = 0; k < drops; ++k)
        basin.randomDrop();
    // About 100 steps of spreading on the default 160 x 160 basin, fewer where a
    // step costs more.
    const int steps = std::max(5, int(100 * 160 * 160 / basin.cellCount()));
    for (int k = 0; k < steps; ++k)
        basin.step();
    return basin;
}

Basin disturbedBasin(int size, int mode, int threads = 1)
{
    return disturbedBasin(size, mode, threads, [](Basin&) {});
}

// Every target must give the portable loops' bits before any is timed.
void checkTargetsAgree(int size, int mode)
{
    simd::useTarget(simd::PORTABLE);
    Basin reference = disturbedBasin(size, mode);
    for (int k = 0; k < 20; ++k)
        reference.step();
    for (const std::string& target : simd::targetNames()) {
        simd::useTarget(target);
        Basin basin = disturbedBasin(size, mode, 2);
        for (int k = 0; k < 20; ++k)
            basin.step();
        if (basin.stateHash() != reference.stateHash()) {
            std::fprintf(stderr, "target %s differs from the portable loops at %d x %d in mode %d\n",
                         target.c_str(), size, size, mode);
            std::exit(1);
        }
    }
    simd::useDefaultTarget();
}

void perCell(benchmark::State& state, const Basin& basin)
{
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(basin.cellCount()));
    state.counters["ns_per_cell"] =
        benchmark::Counter(double(basin.cellCount()), benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
}

// BM_Step/<target>/<size>/<threads>, mode 0.
void timeStep(benchmark::State& state, const std::string& target)
{
    simd::useTarget(target);
    state.SetLabel(simd::chosenTargetName());
    Basin basin = disturbedBasin(int(state.range(0)), MODE_PLAIN, int(state.range(1)));
    for (auto _ : state) {
        basin.step();
        benchmark::ClobberMemory();
    }
    perCell(state, basin);
    simd::useDefaultTarget();
}

template <typename Stage>
void timeStage(benchmark::State& state, Stage stage)
{
    Basin basin = disturbedBasin(160, int(state.range(0)));
    for (auto _ : state) {
        stage(basin);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_AdvectH(benchmark::State& s) { timeStage(s, [](Basin& b) { advect(b, b.h, ADVECT_H); }); }
void BM_AdvectU(benchmark::State& s) { timeStage(s, [](Basin& b) { advect(b, b.u, ADVECT_U); }); }
void BM_AdvectV(benchmark::State& s) { timeStage(s, [](Basin& b) { advect(b, b.v, ADVECT_V); }); }
void BM_UpdateHeight(benchmark::State& s) { timeStage(s, [](Basin& b) { updateHeight(b); }); }
void BM_UpdateVelocities(benchmark::State& s) { timeStage(s, [](Basin& b) { updateVelocities(b); }); }
void BM_ApplyBoundaries(benchmark::State& s) { timeStage(s, [](Basin& b) { applyBoundaries(b); }); }

// A wall across the basin with two slits against the same basin open: what the
// walls cost a step.
void BM_StepWithWalls(benchmark::State& state)
{
    Basin basin = disturbedBasin(160, MODE_PLAIN);
    for (int y = 0; y < 160; ++y)
        if (y < 70 || (y > 74 && y < 85) || y > 89)
            basin.walls[size_t(basin.cellIndex(60, y))] = 1;
    for (auto _ : state) {
        basin.step();
        benchmark::ClobberMemory();
    }
    perCell(state, basin);
}

// Two basins of 256 x 256 cells, 20 steps each: in two threads at once (UseRealTime) ...
void BM_TwoBasinsTwoThreads(benchmark::State& state)
{
    Basin a = disturbedBasin(256, MODE_PLAIN), b = disturbedBasin(256, MODE_PLAIN);
    for (auto _ : state) {
        std::thread other([&] {
            for (int k = 0; k < 20; ++k)
                b.step();
        });
        for (int k = 0; k < 20; ++k)
            a.step();
        other.join();
    }
}

// ... and one thread stepping both.
void BM_TwoBasinsOneThread(benchmark::State& state)
{
    Basin a = disturbedBasin(256, MODE_PLAIN), b = disturbedBasin(256, MODE_PLAIN);
    for (auto _ : state) {
        for (int k = 0; k < 20; ++k)
            b.step();
        for (int k = 0; k < 20; ++k)
            a.step();
    }
}

enum TankPart { TANK_OPEN, TANK_SOURCES, TANK_SPONGE, TANK_BED, TANK_GAUGES, TANK_VOLUME };

void furnishTank(Basin& basin, int part)
{
    const int w = basin.width(), h = basin.height();
    switch (part) {
    case TANK_SOURCES:
        basin.sources.push_back(lineSource(basin, 20, 1, 20, h - 2, 2.0, 0.01, 0.0, 2.0));
        basin.sources.push_back(pointSource(basin, w / 2, h / 2, 1, 1.5, 0.01, 0.0, 2.0));
        break;
    case TANK_SPONGE:
        setSponge(basin, 40, SPONGE_WEST | SPONGE_EAST | SPONGE_SOUTH | SPONGE_NORTH);
        break;
    case TANK_BED:
        // A slope up to half the rest depth across the basin.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                basin.bed[size_t(basin.cellIndex(x, y))] = 0.5f * float(x) / float(w - 1);
        break;
    case TANK_GAUGES:
        for (int k = 1; k <= 4; ++k)
            basin.addGauge(k * w / 5, k * h / 5);
        break;
    case TANK_VOLUME:
        basin.volumeKeeper.on = true;
        break;
    default:
        break;
    }
    basin.reset(); // the water at rest over the bed, the sources' clocks at 0
}

// BM_Tank/<part>/<threads>: a step of a disturbed 512 x 512 basin with one of
// the tank's parts (0 open, 1 two wave makers, 2 a 40-cell sponge on every
// edge, 3 a bed, 4 four gauges, 5 the volume keeper), the default target.
void BM_Tank(benchmark::State& state)
{
    const int part = int(state.range(0));
    const char* names[] = {"open", "two wave makers", "sponge", "bed", "four gauges", "volume keeper"};
    state.SetLabel(names[part]);
    Basin basin = disturbedBasin(512, MODE_PLAIN, int(state.range(1)), [part](Basin& b) { furnishTank(b, part); });
    for (auto _ : state) {
        basin.step();
        benchmark::ClobberMemory();
    }
    perCell(state, basin);
}

} // namespace

#define MODES ->Arg(0)->Arg(6)->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_AdvectH) MODES;
BENCHMARK(BM_AdvectU) MODES;
BENCHMARK(BM_AdvectV) MODES;
BENCHMARK(BM_UpdateHeight) MODES;
BENCHMARK(BM_UpdateVelocities) MODES;
BENCHMARK(BM_ApplyBoundaries) MODES;
BENCHMARK(BM_StepWithWalls)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tank)->ArgsProduct({{TANK_OPEN, TANK_SOURCES, TANK_SPONGE, TANK_BED, TANK_GAUGES, TANK_VOLUME}, {1, 2}})
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TwoBasinsTwoThreads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TwoBasinsOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    for (int size : {160, 97})
        for (int mode : {0, 6})
            checkTargetsAgree(size, mode);
    // BM_Step/<target>/<size>/<threads>: every target on one thread from the default
    // basin's 160 to 1,024; the default target up to 4,096, on one thread and on every core.
    const int cores = availableThreads();
    for (const std::string& target : simd::targetNames()) {
        const bool best = target == simd::targetNames().front();
        auto* b = benchmark::RegisterBenchmark(("BM_Step/" + target).c_str(),
                                               [target](benchmark::State& s) { timeStep(s, target); });
        b->Unit(benchmark::kMicrosecond)->UseRealTime();
        for (int size : {160, 256, 512, 1024, 2048, 4096}) {
            if (size > 1024 && !best)
                continue;
            b->Args({size, 1});
            if (best && cores > 1)
                b->Args({size, cores});
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
