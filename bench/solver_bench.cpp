// Times one simulation step and each stage on a disturbed 160 x 160 basin.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/state.h"
#include "bench/reference_step.h"
#include "sim/advect.h"
#include "sim/boundaries.h"
#include "sim/drops.h"
#include "sim/height_update.h"
#include "sim/solver_path.h"
#include "sim/state_dump.h"
#include "sim/step.h"
#include "sim/velocity_update.h"

namespace {

// A few hundred steps after a handful of drops: waves everywhere, not rest.
void disturbedState(int mode)
{
    sizeFields();
    resetFields();
    resetRanges();
    colorMode = mode;
    std::srand(7);
    for (int k = 0; k < 400; ++k) {
        if (k % 40 == 0)
            randomDrop();
        simulationStep();
    }
}

// Reference and optimised steps must agree to the bit before either is timed.
void checkAgainstReference(int mode)
{
    disturbedState(mode);
    for (int k = 0; k < 50; ++k)
        reference::simulationStep();
    const uint64_t expected = stateHash();
    disturbedState(mode);
    for (int k = 0; k < 50; ++k)
        simulationStep();
    if (stateHash() != expected) {
        std::fprintf(stderr, "solver differs from the reference in mode %d\n", mode);
        std::exit(1);
    }
}

template <typename Stage>
void timeStage(benchmark::State& state, Stage stage, const std::string& solver = solverNames().front())
{
    const int mode = int(state.range(0));
    useSolver(solver);
    state.SetLabel(activeSolverName());
    disturbedState(mode);
    for (auto _ : state) {
        stage();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    useDefaultSolver();
}

void BM_StepReferenceO2(benchmark::State& s) { timeStage(s, [] { reference::simulationStep(); }); }
void BM_AdvectH(benchmark::State& s) { timeStage(s, [] { advect(h, 0); }); }
void BM_AdvectU(benchmark::State& s) { timeStage(s, [] { advect(u, 1); }); }
void BM_AdvectV(benchmark::State& s) { timeStage(s, [] { advect(v, 2); }); }
void BM_UpdateHeight(benchmark::State& s) { timeStage(s, [] { updateHeight(); }); }
void BM_UpdateVelocities(benchmark::State& s) { timeStage(s, [] { updateVelocities(); }); }
void BM_ApplyBoundaries(benchmark::State& s) { timeStage(s, [] { applyBoundaries(); }); }

} // namespace

#define MODES ->Arg(0)->Arg(6)->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_StepReferenceO2) MODES;
BENCHMARK(BM_AdvectH) MODES;
BENCHMARK(BM_AdvectU) MODES;
BENCHMARK(BM_AdvectV) MODES;
BENCHMARK(BM_UpdateHeight) MODES;
BENCHMARK(BM_UpdateVelocities) MODES;
BENCHMARK(BM_ApplyBoundaries) MODES;

int main(int argc, char** argv)
{
    checkAgainstReference(0);
    checkAgainstReference(6);
    // One step benchmark per solver this processor offers: BM_Step/<name>.
    for (const std::string& solver : solverNames())
        benchmark::RegisterBenchmark(("BM_Step/" + solver).c_str(),
                                     [solver](benchmark::State& s) { timeStage(s, [] { simulationStep(); }, solver); })
            MODES;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
