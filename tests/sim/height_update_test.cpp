#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sim/height_update.h"
#include "sim_fixture.h"

namespace {

const float INF = std::numeric_limits<float>::infinity();

class HeightUpdateTest : public SolverPathTest {
protected:
    static void expectAllScalesInfinite()
    {
        for (float scale : {hScale, heightChangeScale, heightAccelScale, speedSqScale, flowDirectionScale,
                            energyProductScale})
            EXPECT_EQ(scale, INF);
    }
    static void expectRangesAtReset()
    {
        EXPECT_EQ(hMax, 1.0f);
        EXPECT_EQ(hMin, 1.0f);
        for (float bound : {heightChangeMax, heightChangeMin, heightAccelMax, heightAccelMin, speedSqMax,
                            speedSqMin, flowDirectionMax, flowDirectionMin, energyProductMax, energyProductMin})
            EXPECT_EQ(bound, 0.0f);
    }
};
RIPPLEMOOR_ALL_PATHS(HeightUpdateTest);

TEST_P(HeightUpdateTest, RestStaysAtRestWithInfiniteScalesInEveryMode)
{
    for (int mode = 0; mode <= 6; ++mode) {
        SimTest::restartSimulation();
        colorMode = mode;
        updateHeight();
        for (int i = 0; i < CELL_COUNT; ++i) {
            ASSERT_EQ(h[i], 1.0f) << "mode " << mode << " cell " << i;
            ASSERT_EQ(heightChange[i], 0.0f) << "mode " << mode << " cell " << i;
        }
        expectRangesAtReset();
        expectAllScalesInfinite();
    }
}

TEST_P(HeightUpdateTest, OneOutflowFaceMovesATenthAcrossIt)
{
    // Cells (78, 40) and (79, 40) share the face u[79, 40]; probe also the block
    // edges of the vector path (cells 156 to 158).
    for (int x : {78, 156, 157}) {
        SimTest::restartSimulation();
        u[cellIndex(x + 1, 40)] = 1.0f;
        const Field before = h;
        updateHeight();
        EXPECT_EQ(heightChange[cellIndex(x, 40)], -0.1f) << x;
        EXPECT_EQ(h[cellIndex(x, 40)], 0.9f) << x;
        EXPECT_EQ(heightChange[cellIndex(x + 1, 40)], 0.1f) << x;
        EXPECT_EQ(h[cellIndex(x + 1, 40)], 1.1f) << x;
        int changed = 0;
        for (int i = 0; i < CELL_COUNT; ++i)
            changed += h[i] != before[i];
        EXPECT_EQ(changed, 2) << x;
    }
}

TEST_P(HeightUpdateTest, ChangeIsProportionalToTheCellsOwnHeight)
{
    h[cellIndex(30, 30)] = 2.0f;
    v[cellIndex(30, 31)] = 1.0f; // outflow through the top face
    updateHeight();
    EXPECT_EQ(heightChange[cellIndex(30, 30)], -0.2f);
    EXPECT_EQ(h[cellIndex(30, 30)], 1.8f);
    EXPECT_EQ(heightChange[cellIndex(30, 31)], 0.1f);
}

TEST_P(HeightUpdateTest, BorderCellsAreNotWritten)
{
    fill(u, 0.5f);
    for (int i = 0; i < CELL_COUNT; ++i)
        v[i] = float(i % 13) * 0.1f;
    fill(heightChange, 9.0f);
    colorMode = 6;
    updateHeight();
    for (int k = 0; k < GRID_SIZE; ++k) {
        for (int i : {cellIndex(k, 0), cellIndex(k, GRID_SIZE - 1), cellIndex(0, k), cellIndex(GRID_SIZE - 1, k)}) {
            ASSERT_EQ(h[i], 1.0f) << i;
            ASSERT_EQ(heightChange[i], 9.0f) << i;
            ASSERT_EQ(energyProduct[i], 0.0f) << i;
        }
    }
}

TEST_P(HeightUpdateTest, ModeOneTracksTheHeightRange)
{
    for (int x = 1; x < GRID_SIZE - 1; ++x)
        for (int y = 1; y < GRID_SIZE - 1; ++y)
            h[cellIndex(x, y)] = 1.0f + 0.5f * float((x * 7 + y) % 31) / 30.0f;
    h[cellIndex(158, 158)] = 1.5f;
    colorMode = 1;
    updateHeight();
    EXPECT_EQ(hMax, 1.5f);
    EXPECT_EQ(hMin, 1.0f);
    EXPECT_EQ(hScale, 2.0f);
}

TEST_P(HeightUpdateTest, ModeTwoTracksTheChangeRange)
{
    u[cellIndex(158, 40)] = 1.0f; // the cell in the scalar tail of a row
    colorMode = 2;
    updateHeight();
    EXPECT_EQ(heightChangeMax, 0.1f);
    EXPECT_EQ(heightChangeMin, -0.1f);
    EXPECT_EQ(heightChangeScale, float(1.0 / (double(0.1f) - double(-0.1f))));
    EXPECT_EQ(hScale, INF);
}

TEST_P(HeightUpdateTest, ModeThreeSubtractsThePreviousChange)
{
    u[cellIndex(51, 40)] = 1.0f;
    heightChange[cellIndex(50, 40)] = 0.25f;
    colorMode = 3;
    updateHeight();
    EXPECT_EQ(heightAccel[cellIndex(50, 40)], float(double(-0.1f) - 0.25));
    // After a reset the previous change is 0: heightAccel is the new change.
    EXPECT_EQ(heightAccel[cellIndex(51, 40)], heightChange[cellIndex(51, 40)]);
    EXPECT_EQ(heightAccelMin, heightAccel[cellIndex(50, 40)]);
    EXPECT_EQ(heightAccelMax, 0.1f);
}

TEST_P(HeightUpdateTest, ModeFourStoresTheSquaredSpeed)
{
    u[cellIndex(20, 20)] = 3.0f;
    v[cellIndex(20, 20)] = 4.0f;
    speedSq[cellIndex(0, 0)] = 7.0f; // border: left alone
    colorMode = 4;
    updateHeight();
    EXPECT_EQ(speedSq[cellIndex(20, 20)], 25.0f);
    EXPECT_EQ(speedSqMax, 25.0f);
    EXPECT_EQ(speedSqMin, 0.0f);
    EXPECT_EQ(speedSqScale, 0.04f);
    EXPECT_EQ(speedSq[cellIndex(0, 0)], 7.0f);
    EXPECT_EQ(heightAccel[cellIndex(20, 20)], 0.0f);
}

TEST_P(HeightUpdateTest, ModeFiveStoresTheFlowDirection)
{
    v[cellIndex(10, 10)] = 1.0f;
    u[cellIndex(12, 10)] = -1.0f;
    v[cellIndex(14, 10)] = -2.0f;
    colorMode = 5;
    updateHeight();
    EXPECT_EQ(flowDirection[cellIndex(10, 10)], float(M_PI / 2));
    EXPECT_EQ(flowDirection[cellIndex(12, 10)], float(M_PI));
    EXPECT_EQ(flowDirection[cellIndex(14, 10)], float(-M_PI / 2));
    EXPECT_EQ(flowDirectionMax, float(M_PI));
    EXPECT_EQ(flowDirectionMin, float(-M_PI / 2));
}

TEST_P(HeightUpdateTest, ModeSixKeepsTheRangesOfModesThreeAndFour)
{
    u[cellIndex(21, 20)] = 2.0f; // cell (20, 20) loses water, (21, 20) gains
    colorMode = 6;
    updateHeight();
    const int left = cellIndex(20, 20), right = cellIndex(21, 20);
    EXPECT_EQ(heightAccel[left], heightChange[left]);
    EXPECT_EQ(speedSq[right], 4.0f);
    EXPECT_EQ(energyProduct[right], float(4.0 * double(heightAccel[right])));
    EXPECT_GT(energyProduct[right], 0.0f);
    EXPECT_EQ(energyProductMax, energyProduct[right]);
    EXPECT_EQ(heightAccelMax, 0.0f);
    EXPECT_EQ(heightAccelMin, 0.0f);
    EXPECT_EQ(speedSqMax, 0.0f);
    EXPECT_EQ(speedSqMin, 0.0f);
    EXPECT_EQ(heightAccelScale, INF);
    EXPECT_EQ(speedSqScale, INF);
}

TEST_P(HeightUpdateTest, OtherModesLeaveTheDerivedFieldsAlone)
{
    for (int mode : {0, 7, -1}) {
        SimTest::restartSimulation();
        for (int i = 0; i < CELL_COUNT; ++i) {
            u[i] = float(i % 5) * 0.1f;
            heightAccel[i] = speedSq[i] = flowDirection[i] = energyProduct[i] = 2.0f;
        }
        colorMode = mode;
        updateHeight();
        for (int i = 0; i < CELL_COUNT; ++i)
            ASSERT_TRUE(heightAccel[i] == 2.0f && speedSq[i] == 2.0f && flowDirection[i] == 2.0f &&
                        energyProduct[i] == 2.0f)
                << "mode " << mode << " cell " << i;
        expectRangesAtReset();
        expectAllScalesInfinite();
    }
}

TEST_P(HeightUpdateTest, NaNValuesNeverBecomeABound)
{
    u[cellIndex(40, 40)] = std::numeric_limits<float>::quiet_NaN();
    u[cellIndex(80, 40)] = 1.0f;
    colorMode = 2;
    updateHeight();
    EXPECT_TRUE(std::isnan(heightChange[cellIndex(40, 40)]));
    EXPECT_EQ(heightChangeMax, 0.1f);
    EXPECT_EQ(heightChangeMin, -0.1f);
}

TEST_P(HeightUpdateTest, AZeroHeightMinimumKeepsTheSignOfTheFirstZeroMet)
{
    // A height of -0 with inflowing faces stays -0, one of +0 stays +0. In mode 1
    // hMin falls from 1 to the first zero of the x-outer pass and no later zero is
    // strictly smaller, so the sign depends on which zero came first.
    for (bool negativeFirst : {true, false}) {
        SimTest::restartSimulation();
        colorMode = 1;
        const int first = cellIndex(3, 50), later = cellIndex(9, 50);
        const int negative = negativeFirst ? first : later, positive = negativeFirst ? later : first;
        h[negative] = -0.0f;
        u[negative + 1] = -1.0f;
        h[positive] = 0.0f;
        updateHeight();
        ASSERT_TRUE(sameBits(h[negative], -0.0f));
        ASSERT_TRUE(sameBits(h[positive], 0.0f));
        EXPECT_TRUE(sameBits(hMin, negativeFirst ? -0.0f : 0.0f)) << "negative first: " << negativeFirst;
        EXPECT_EQ(hScale, 1.0f);
    }
}

} // namespace
