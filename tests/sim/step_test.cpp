#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "sim/advect.h"
#include "sim/bed.h"
#include "sim/boundaries.h"
#include "app/drops.h"
#include "sim/height_update.h"
#include "sim/step.h"
#include "sim/velocity_update.h"
#include "sim/walls.h"
#include "sim_fixture.h"

namespace {

Field* const allFields[] = {&u, &v, &scratch, &h, &heightChange, &heightAccel,
                            &speedSq, &flowDirection, &energyProduct};

struct Snapshot {
    Field fields[9];
    std::vector<unsigned char> bytes;

    static Snapshot take()
    {
        Snapshot s;
        for (int k = 0; k < 9; ++k)
            s.fields[k] = *allFields[k];
        s.bytes = stateBytes();
        return s;
    }
    void restore() const
    {
        for (int k = 0; k < 9; ++k)
            *allFields[k] = fields[k];
    }
};

// Equal bits, or both NaN (a NaN's payload may depend on operand order).
void expectSameFields(const Snapshot& a, const Snapshot& b, const char* what)
{
    for (int k = 0; k < 9; ++k) {
        if (allFields[k] == &scratch)
            continue;
        for (int i = 0; i < CELL_COUNT; ++i) {
            const float x = a.fields[k][i], y = b.fields[k][i];
            ASSERT_TRUE(sameBits(x, y) || (std::isnan(x) && std::isnan(y)))
                << what << ": field " << k << " cell " << i << ": " << x << " vs " << y;
        }
    }
}

void disturb(unsigned seed, int steps)
{
    basin.generator.seed(seed);
    for (int k = 0; k < steps; ++k) {
        if (k % 15 == 0)
            basin.randomDrop();
        simulationStep();
    }
}

// Runs one operation on the same state on the portable path and on the path under
// test, and compares the outcome.
template <typename Operation>
void expectPathsAgree(const std::string& solver, const Operation& operation, const char* what)
{
    const Snapshot start = Snapshot::take();
    simd::useTarget(simd::PORTABLE);
    operation();
    const Snapshot portable = Snapshot::take();
    start.restore();
    simd::useTarget(solver);
    operation();
    const Snapshot fast = Snapshot::take();
    expectSameFields(portable, fast, what);
    // The ranges and scales after the fields, to the bit: every bound starts from
    // its reset value and moves only for a number, so no payload can differ.
    const size_t ranges = 8 * sizeof(float) * size_t(CELL_COUNT);
    ASSERT_EQ(portable.bytes.size(), fast.bytes.size());
    EXPECT_TRUE(std::equal(portable.bytes.begin() + ranges, portable.bytes.end(), fast.bytes.begin() + ranges))
        << what << ": the ranges differ";
}

// Each target of the vector kernel against the portable loops.
class SolverPathsAgree : public SolverPathTest {};
INSTANTIATE_TEST_SUITE_P(Targets, SolverPathsAgree, ::testing::ValuesIn(vectorTargetNames()), solverParamName);

TEST_P(SolverPathsAgree, EveryStageOnADisturbedStateInEveryMode)
{
    disturb(21, 300);
    for (int mode = 0; mode <= 7; ++mode) {
        colorMode = mode;
        expectPathsAgree(GetParam(), [] { advect(h, 0); }, "advect h");
        expectPathsAgree(GetParam(), [] { advect(u, 1); }, "advect u");
        expectPathsAgree(GetParam(), [] { advect(v, 2); }, "advect v");
        expectPathsAgree(GetParam(), [] { updateHeight(); }, "updateHeight");
        expectPathsAgree(GetParam(), [] { updateVelocities(); }, "updateVelocities");
        // Ranges and scales too: the dumps must match byte for byte.
        const Snapshot start = Snapshot::take();
        simd::useTarget(simd::PORTABLE);
        for (int k = 0; k < 40; ++k)
            simulationStep();
        const std::vector<unsigned char> portable = stateBytes();
        start.restore();
        simd::useTarget(GetParam());
        for (int k = 0; k < 40; ++k)
            simulationStep();
        EXPECT_TRUE(portable == stateBytes()) << "mode " << mode;
    }
}

TEST_P(SolverPathsAgree, StagesOnHostileValues)
{
    const float specials[] = {std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::denorm_min(),
                              -std::numeric_limits<float>::denorm_min(),
                              -0.0f,
                              3e38f,
                              -3e38f,
                              1e-30f,
                              0.7f,
                              -5.0f,
                              200.0f,
                              std::numeric_limits<float>::max(),
                              -std::numeric_limits<float>::max(),
                              std::numeric_limits<float>::min(),
                              -0x1.fffffcp-127f,
                              1e38f,
                              -0.2f};
    const int n = int(sizeof specials / sizeof specials[0]);
    for (int i = 0; i < CELL_COUNT; ++i) {
        u[i] = (i % 9 == 0) ? specials[(i / 9) % n] : float((i * 17) % 23 - 11) * 0.3f;
        v[i] = (i % 11 == 0) ? specials[(i / 11) % n] : float((i * 5) % 19 - 9) * 0.4f;
        h[i] = (i % 13 == 0) ? specials[(i / 13) % n] : 1.0f + float(i % 7) * 0.01f;
        heightChange[i] = (i % 4 == 0) ? specials[(i / 4) % n] : 0.01f;
    }
    for (int mode = 0; mode <= 6; ++mode) {
        colorMode = mode;
        expectPathsAgree(GetParam(), [] { advect(h, 0); }, "advect h");
        expectPathsAgree(GetParam(), [] { advect(u, 1); }, "advect u");
        expectPathsAgree(GetParam(), [] { advect(v, 2); }, "advect v");
        expectPathsAgree(GetParam(), [] { updateHeight(); }, "updateHeight");
        expectPathsAgree(GetParam(), [] { updateVelocities(); }, "updateVelocities");
    }
}

TEST_P(SolverPathsAgree, FaceAveragesAtTheEdgesOfTheFloatRange)
{
    // Neighbouring faces whose float sum overflows, underflows, cancels or is a
    // signed zero: the height advection's averages must still match the double ones.
    const float big = std::numeric_limits<float>::max();
    const float pairs[][2] = {{big, big},      {-big, -big},   {3e38f, 1e38f},  {0x1p-126f, 0x1p-149f},
                              {0x1p-124f, 0.0f}, {0x1.8p-125f, -0x1p-149f}, {-0.0f, -0.0f}, {-0.0f, 0.0f},
                              {1.5f, -1.5f},   {1e-45f, 3e-45f}, {0.1f, 1e-9f}};
    const int n = int(sizeof pairs / sizeof pairs[0]);
    for (int y = 0; y < GRID_SIZE; ++y) {
        for (int x = 0; x + 1 < GRID_SIZE; x += 2) {
            const float* pair = pairs[(x / 2 + y) % n];
            u[cellIndex(x, y)] = pair[0];
            u[cellIndex(x + 1, y)] = pair[1];
            v[cellIndex(x, y)] = pairs[(x / 2 + 3 * y) % n][y % 2];
            h[cellIndex(x, y)] = 1.0f + 0.01f * float((x * 7 + y) % 11);
        }
    }
    expectPathsAgree(GetParam(), [] { advect(h, 0); }, "advect h");
    expectPathsAgree(GetParam(), [] { advect(u, 1); }, "advect u");
    expectPathsAgree(GetParam(), [] { advect(v, 2); }, "advect v");
}

// --- whole runs --------------------------------------------------------------------

// A fixed scenario: explicit drops (no rand), every colour mode, a reset. The hash
// pins every bit of the result, so any change of rounding, operation order or
// compiler contraction fails here.
uint64_t scriptedScenarioHash()
{
    SimTest::restartSimulation();
    for (int round = 0; round < 30; ++round) {
        colorMode = round % 7;
        basin.addDrop((round * 37) % 170 - 5, (round * 53) % 165, 1 + round % 7, 0.01f + 0.002f * float(round));
        for (int k = 0; k < 100; ++k)
            simulationStep();
        if (round == 20) {
            resetFields();
            basin.addDrop(80, 80, 6, 0.4f);
        }
    }
    return stateHash();
}

constexpr uint64_t SCENARIO_HASH = 0x54160cde27de4e5eull;

TEST_F(SimTest, ScriptedScenarioIsPinnedToTheBit)
{
    const uint64_t hash = scriptedScenarioHash();
    EXPECT_EQ(hash, SCENARIO_HASH) << std::hex << "got 0x" << hash;
    for (const std::string& solver : simd::targetNames()) {
        simd::useTarget(solver);
        EXPECT_EQ(scriptedScenarioHash(), SCENARIO_HASH) << solver;
    }
}

// Long: the kernel's best target and the portable loops only; the agreement tests
// above tie every other target to the portable loops.
class LongRun : public SolverPathTest {};
INSTANTIATE_TEST_SUITE_P(Paths, LongRun, ::testing::Values(vectorTargetNames().front(), std::string(simd::PORTABLE)),
                         solverParamName);

TEST_P(LongRun, TwentyThousandStepsWithDropsStayFinite)
{
    basin.generator.seed(2024);
    for (int k = 0; k < 20000; ++k) {
        if (k % 100 == 0)
            basin.randomDrop();
        if (k % 2000 == 0)
            colorMode = (k / 2000) % 7;
        simulationStep();
    }
    for (const Field* f : allFields)
        for (int i = 0; i < CELL_COUNT; ++i)
            ASSERT_TRUE(std::isfinite((*f)[i])) << i;
    for (int i = 0; i < CELL_COUNT; ++i)
        ASSERT_GT(h[i], 0.0f) << i;
}

TEST_F(SimTest, ADropSpreadsOverSteps)
{
    basin.addDrop(80, 80, 3, 0.1f);
    const float peak = h[cellIndex(80, 80)];
    auto disturbanceAt = [](int distance) {
        return std::fabs(h[cellIndex(80 + distance, 80)] - 1.0f);
    };
    EXPECT_EQ(disturbanceAt(10), 0.0f);
    for (int k = 0; k < 5; ++k)
        simulationStep();
    EXPECT_LT(h[cellIndex(80, 80)], peak);
    EXPECT_EQ(disturbanceAt(30), 0.0f);
    for (int k = 0; k < 60; ++k)
        simulationStep();
    EXPECT_GT(disturbanceAt(10), 1e-4f);
    EXPECT_LT(h[cellIndex(80, 80)], 1.05f);
    EXPECT_GT(std::fabs(h[cellIndex(80, 90)] - 1.0f), 1e-4f);
}

// --- the step against its stages ----------------------------------------------------

// A basin that takes every path of the step's bookkeeping: walls on the border
// (closed faces in the outer ring) and inside, a sloping bed, and outer and wall
// faces of u and v that a user has set: the advections read the outer ones and
// never write them, and carry the wall faces, which the velocity update leaves.
Basin stagedBasin(int threads)
{
    BasinConfig config;
    config.width = 61;
    config.height = 47;
    config.threads = threads;
    Basin b(config);
    fillWalls(b, 60, 10, 60, 16);
    fillWalls(b, 4, 0, 9, 0);
    fillWalls(b, 30, 20, 32, 23);
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            b.bed[size_t(b.cellIndex(x, y))] = 0.5f * float(x) / float(b.width());
    b.reset();
    b.generator.seed(5);
    for (int k = 0; k < 6; ++k)
        b.randomDrop();
    for (int y = 0; y < b.height(); ++y) {
        b.u[size_t(b.cellIndex(b.width() - 1, y))] = 0.01f * float(y % 5);
        b.u[size_t(b.cellIndex(0, y))] = -0.02f;
        b.u[size_t(b.cellIndex(1, y))] = 0.02f; // the wall face, advected but never accelerated
    }
    for (int x = 0; x < b.width(); ++x) {
        b.v[size_t(b.cellIndex(x, b.height() - 1))] = -0.015f * float(x % 3);
        b.v[size_t(b.cellIndex(x, 0))] = 0.03f;
        b.v[size_t(b.cellIndex(x, 1))] = -0.01f;
    }
    return b;
}

// The step as its public stages, one after another, each copying its result back.
void stepByStages(Basin& b)
{
    b.refreshWalls();
    b.refreshBed();
    const double volumeBefore = volumeBeforeStep(b);
    advectOverBed(b, [&] { advect(b, b.h, ADVECT_H); });
    advect(b, b.u, ADVECT_U);
    advect(b, b.v, ADVECT_V);
    updateHeight(b);
    updateVelocities(b);
    keepVolume(b, volumeBefore);
    ++b.steps;
    driveSources(b);
    applySponge(b);
    applyBoundaries(b);
    recordGauges(b);
}

class StepAgainstStages : public ::testing::TestWithParam<std::string> {
protected:
    void TearDown() override { simd::useDefaultTarget(); }
};
INSTANTIATE_TEST_SUITE_P(Paths, StepAgainstStages, ::testing::ValuesIn(simd::targetNames()), solverParamName);

// The step keeps the advected fields in buffers of its own and lets the updates
// read them: it must end where the stages, run on the reference loops, end.
TEST_P(StepAgainstStages, TheStepEndsWhereItsStagesEndInEveryMode)
{
    for (bool bed : {true, false}) {
        ASSERT_TRUE(simd::useTarget(simd::PORTABLE));
        Basin reference = stagedBasin(1);
        if (!bed) {
            std::fill(reference.bed.begin(), reference.bed.end(), 0.0f);
            reference.reset();
        }
        std::vector<std::vector<unsigned char>> expected;
        for (int mode = 0; mode <= 7; ++mode) {
            reference.colorMode = mode;
            for (int k = 0; k < 12; ++k)
                stepByStages(reference);
            expected.push_back(reference.dump());
        }
        ASSERT_TRUE(simd::useTarget(GetParam()));
        for (int threads : {1, 2, 3, 7}) {
            Basin b = stagedBasin(threads);
            if (!bed) {
                std::fill(b.bed.begin(), b.bed.end(), 0.0f);
                b.reset();
            }
            for (int mode = 0; mode <= 7; ++mode) {
                b.colorMode = mode;
                for (int k = 0; k < 12; ++k)
                    b.step();
                ASSERT_TRUE(b.dump() == expected[size_t(mode)])
                    << (bed ? "bed" : "no bed") << ", mode " << mode << ", " << threads << " threads";
            }
        }
    }
}

} // namespace
