#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "app/drops.h"
#include "support/program_names.h"
#include "sim/advect.h"
#include "sim/boundaries.h"
#include "sim/height_update.h"
#include "sim/velocity_update.h"
#include "simd/targets.h"

// The stages and the dump on the program's basin, under the names the cases use
// (advect(f, kind) is the program's own, app/program.h).
inline void updateHeight() { updateHeight(basin); }
inline void updateVelocities() { updateVelocities(basin); }
inline void applyBoundaries() { applyBoundaries(basin); }
inline double velocityCoefficient() { return velocityCoefficient(basin); }
inline float sampleBilinear(const Field& f, float px, float py)
{
    return sampleBilinear(f.data(), GRID_SIZE, GRID_SIZE, px, py);
}
inline float clampToGrid(float p) { return clampToGrid(p, GRID_SIZE - 1); }
inline std::vector<unsigned char> stateBytes() { return basin.dump(); }
inline uint64_t stateHash() { return basin.stateHash(); }
constexpr size_t STATE_DUMP_BYTES = (8 * size_t(CELL_COUNT) + 3 * (MODE_COUNT - 1)) * 4; // 819,272

// Start-up state, and the target under test. Parameterised suites run every case
// on the portable loops and on every target of the vector kernel this processor has.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override { restartSimulation(); }
    void TearDown() override { simd::useDefaultTarget(); }

public:
    static void restartSimulation()
    {
        windowWidth = 640;
        windowHeight = 480;
        startSimulation();
        hScale = heightChangeScale = heightAccelScale = 0.0f;
        speedSqScale = flowDirectionScale = energyProductScale = 0.0f;
    }
};

class SolverPathTest : public SimTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        ASSERT_TRUE(simd::useTarget(GetParam()));
    }
};

inline std::string solverParamName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

// The kernel's targets only, for comparisons against the portable loops.
inline std::vector<std::string> vectorTargetNames()
{
    std::vector<std::string> targets;
    for (const std::string& name : simd::targetNames())
        if (name != simd::PORTABLE)
            targets.push_back(name);
    return targets;
}

#define RIPPLEMOOR_ALL_PATHS(suite)                                                                         \
    INSTANTIATE_TEST_SUITE_P(Paths, suite, ::testing::ValuesIn(simd::targetNames()), solverParamName)

inline bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline void fill(Field& f, float value)
{
    for (float& x : f)
        x = value;
}
