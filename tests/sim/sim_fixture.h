#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "app/state.h"
#include "sim/solver_path.h"

// Start-up state, and the solver path under test. Parameterised suites run every
// case on the portable path and, where the processor has them, on the AVX2 and
// AVX-512 paths.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override { restartSimulation(); }
    void TearDown() override { useSolverPath(fastestSolverPath()); }

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

class SolverPathTest : public SimTest, public ::testing::WithParamInterface<SolverPath> {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        if (!solverPathAvailable(GetParam()))
            GTEST_SKIP() << "no " << solverPathName(GetParam()) << " on this processor";
        useSolverPath(GetParam());
    }
};

inline void PrintTo(SolverPath path, std::ostream* out) { *out << solverPathName(path); }

inline std::string solverPathParamName(const ::testing::TestParamInfo<SolverPath>& info)
{
    return solverPathName(info.param);
}

#define RIPPLEMOOR_ALL_PATHS(suite)                                                             \
    INSTANTIATE_TEST_SUITE_P(Paths, suite,                                                      \
                             ::testing::Values(SolverPath::Portable, SolverPath::Avx2,          \
                                               SolverPath::Avx512),                             \
                             solverPathParamName)

inline bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline void fill(Field& f, float value)
{
    for (float& x : f)
        x = value;
}
