#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "app/state.h"
#include "sim/solver_path.h"

// Start-up state, and the solver under test. Parameterised suites run every case
// on the portable loops and on every target of the vector kernel this processor has.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override { restartSimulation(); }
    void TearDown() override { useDefaultSolver(); }

public:
    static void restartSimulation()
    {
        colorMode = 0;
        windowWidth = 640;
        windowHeight = 480;
        sizeFields();
        resetFields();
        resetRanges();
        hScale = heightChangeScale = heightAccelScale = 0.0f;
        speedSqScale = flowDirectionScale = energyProductScale = 0.0f;
    }
};

class SolverPathTest : public SimTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        ASSERT_TRUE(useSolver(GetParam()));
    }
};

inline std::string solverParamName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

// The kernel's targets only, for comparisons against the portable loops.
inline std::vector<std::string> vectorTargetNames()
{
    std::vector<std::string> targets;
    for (const std::string& name : solverNames())
        if (name != PORTABLE_SOLVER)
            targets.push_back(name);
    return targets;
}

#define RIPPLEMOOR_ALL_PATHS(suite)                                                                         \
    INSTANTIATE_TEST_SUITE_P(Paths, suite, ::testing::ValuesIn(solverNames()), solverParamName)

inline bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline void fill(Field& f, float value)
{
    for (float& x : f)
        x = value;
}
