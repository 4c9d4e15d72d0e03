#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/state.h"
#include "sim/solver_path.h"

// Start-up state, and the solver path under test. Parameterised suites run every
// case on the portable path and, where the processor has it, on the AVX2 path.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override { restartSimulation(); }
    void TearDown() override { useAvx2Solver(true); }

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

class SolverPathTest : public SimTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        if (GetParam() && !avx2SolverAvailable())
            GTEST_SKIP() << "no AVX2 on this processor";
        useAvx2Solver(GetParam());
    }
};

inline std::string solverPathName(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "Avx2" : "Portable";
}

#define RIPPLEMOOR_BOTH_PATHS(suite) \
    INSTANTIATE_TEST_SUITE_P(Paths, suite, ::testing::Values(false, true), solverPathName)

inline bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline void fill(Field& f, float value)
{
    for (float& x : f)
        x = value;
}
