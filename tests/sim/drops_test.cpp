#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/drops.h"
#include "sim/step.h"
#include "sim_fixture.h"

namespace {

struct Patch {
    int count = 0;
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
};

// The cells of h that differ from rest.
Patch raisedCells()
{
    Patch p;
    for (int x = 0; x < GRID_SIZE; ++x)
        for (int y = 0; y < GRID_SIZE; ++y)
            if (h[cellIndex(x, y)] != 1.0f) {
                ++p.count;
                p.minX = std::min(p.minX, x);
                p.maxX = std::max(p.maxX, x);
                p.minY = std::min(p.minY, y);
                p.maxY = std::max(p.maxY, y);
            }
    return p;
}

void expectPatch(int minX, int maxX, int minY, int maxY)
{
    const Patch p = raisedCells();
    EXPECT_EQ(p.count, (maxX - minX + 1) * (maxY - minY + 1));
    EXPECT_EQ(p.minX, minX);
    EXPECT_EQ(p.maxX, maxX);
    EXPECT_EQ(p.minY, minY);
    EXPECT_EQ(p.maxY, maxY);
}

std::string dropAtPointerOutput(int x, int y)
{
    ::testing::internal::CaptureStdout();
    dropAtPointer(program, x, y);
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

// The rand() value that follows `draws` draws from seed.
int drawAfter(unsigned seed, int draws)
{
    basin.generator.seed(seed);
    for (int k = 0; k < draws; ++k)
        int(basin.generator.next());
    return int(basin.generator.next());
}

// --- randomFloat -------------------------------------------------------------------

TEST(RandomFloat, StaysInItsHalfOpenRange)
{
    basin.generator.seed(12345);
    float lowest = 1.0f, highest = 0.0f;
    for (int k = 0; k < 200000; ++k) {
        const float r = randomFloat(basin.generator, 0.01f, 0.07f);
        ASSERT_GE(r, 0.01f);
        ASSERT_LT(r, 0.07f);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    // 15-bit steps of (hi - lo) / 32768: both ends are reached closely.
    EXPECT_LT(lowest, 0.01f + 1e-5f);
    EXPECT_GT(highest, 0.07f - 1e-5f);
}

TEST(RandomFloat, DrawsOnceAndScalesByOne32768th)
{
    basin.generator.seed(99);
    const int expectedDraw = int(basin.generator.next()) & 0x7FFF;
    basin.generator.seed(99);
    const float r = randomFloat(basin.generator, 0.0f, 1.0f);
    EXPECT_EQ(double(r) * 32768.0, double(expectedDraw));
    {
        const int next = int(basin.generator.next()); // taken before drawAfter re-seeds
        EXPECT_EQ(next, drawAfter(99, 1)); }
}

// --- addDrop -----------------------------------------------------------------------

TEST_F(SimTest, PatchIsTwoRadiiWideAndReachesOneLessAfterTheCentre)
{
    basin.addDrop(50, 60, 1, 0.05f);
    expectPatch(49, 50, 59, 60);
    SimTest::restartSimulation();
    basin.addDrop(50, 60, 7, 0.05f);
    expectPatch(43, 56, 53, 66);
    EXPECT_EQ(h[cellIndex(43, 53)], 1.05f);
}

TEST_F(SimTest, PatchIsClippedPerCoordinateAtEdgesAndCorners)
{
    basin.addDrop(0, 0, 3, 0.05f);
    expectPatch(0, 2, 0, 2);
    SimTest::restartSimulation();
    basin.addDrop(159, 80, 2, 0.05f);
    expectPatch(157, 159, 78, 81); // nothing wraps into column 0 of rows 79 to 82
    SimTest::restartSimulation();
    basin.addDrop(159, 159, 4, 0.05f);
    expectPatch(155, 159, 155, 159);
    SimTest::restartSimulation();
    basin.addDrop(-2, 80, 3, 0.05f);
    expectPatch(0, 0, 77, 82);
    SimTest::restartSimulation();
    basin.addDrop(80, 200, 5, 0.05f);
    EXPECT_EQ(raisedCells().count, 0);
}

TEST_F(SimTest, ExtremeCentresAndRadiiAreSafe)
{
    basin.addDrop(INT_MAX, INT_MIN, 5, 0.05f);
    basin.addDrop(INT_MIN, INT_MAX, INT_MAX, 0.05f);
    EXPECT_EQ(raisedCells().count, 0);
    basin.addDrop(INT_MAX, INT_MAX, INT_MAX, 0.05f); // reaches back over the whole grid
    expectPatch(0, 159, 0, 159);
}

TEST_F(SimTest, RaisedHeightIsCappedAt1Point1)
{
    h[cellIndex(20, 20)] = 1.5f;  // already above the cap
    h[cellIndex(21, 21)] = 1.08f; // crosses it
    basin.addDrop(21, 21, 1, 0.05f);
    EXPECT_EQ(h[cellIndex(20, 20)], 1.1f);
    EXPECT_EQ(h[cellIndex(21, 21)], 1.1f);
    EXPECT_EQ(h[cellIndex(20, 21)], 1.05f);
    EXPECT_EQ(h[cellIndex(21, 20)], float(1.0 + double(0.05f)));
    basin.addDrop(60, 60, 2, 0.1f);
    EXPECT_EQ(h[cellIndex(60, 60)], 1.1f); // 1.1 exactly, the smallest pointer increment
    EXPECT_EQ(double(h[cellIndex(60, 60)]), 1.100000023841858);
}

// --- randomDrop and dropAtPointer -------------------------------------------------

TEST_F(SimTest, RandomDropRaisesOneSquareByOneIncrement)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SimTest::restartSimulation();
        basin.generator.seed(seed);
        basin.randomDrop();
        {
            const int next = int(basin.generator.next()); // taken before drawAfter re-seeds
            EXPECT_EQ(next, drawAfter(seed, 4)) << "four draws per drop"; }
        const Patch p = raisedCells();
        ASSERT_GT(p.count, 0);
        EXPECT_EQ(p.count, (p.maxX - p.minX + 1) * (p.maxY - p.minY + 1));
        EXPECT_LE(p.maxX - p.minX + 1, 14);
        const float raised = h[cellIndex(p.minX, p.minY)];
        EXPECT_GE(double(raised), 1.0099999904632568);
        EXPECT_LE(double(raised), 1.0699981451034546);
        for (int x = p.minX; x <= p.maxX; ++x)
            for (int y = p.minY; y <= p.maxY; ++y)
                ASSERT_EQ(h[cellIndex(x, y)], raised);
    }
}

TEST_F(SimTest, PointerDropMapsTheWindowLinearlyOntoTheGrid)
{
    basin.generator.seed(5);
    EXPECT_EQ(dropAtPointerOutput(320, 240), "2D drop x/y80 80\n");
    {
        const int next = int(basin.generator.next()); // taken before drawAfter re-seeds
        EXPECT_EQ(next, drawAfter(5, 2)) << "two draws per pointer drop"; }
    EXPECT_EQ(h[cellIndex(79, 79)], 1.1f);
    EXPECT_EQ(h[cellIndex(80, 80)], 1.1f);

    EXPECT_EQ(dropAtPointerOutput(639, 479), "2D drop x/y159 159\n");
    EXPECT_EQ(dropAtPointerOutput(0, 0), "2D drop x/y0 0\n");
    EXPECT_EQ(dropAtPointerOutput(-1, -2), "2D drop x/y0 0\n"); // truncation towards zero
    EXPECT_EQ(dropAtPointerOutput(700, -10), "2D drop x/y175 -3\n");

    windowWidth = 800;
    windowHeight = 800;
    SimTest::restartSimulation();
    windowWidth = windowHeight = 800;
    EXPECT_EQ(dropAtPointerOutput(400, 400), "2D drop x/y80 80\n");
    const Patch p = raisedCells();
    // Centred on (80, 80): r cells before it, r - 1 after.
    EXPECT_EQ(p.minX + p.maxX, 159);
    EXPECT_EQ(p.minY + p.maxY, 159);
    EXPECT_EQ(h[cellIndex(80, 80)], 1.1f);
}

TEST_F(SimTest, PointerDropWithoutWindowAreaDoesNothing)
{
    for (auto size : {std::pair<int, int>{0, 480}, {640, 0}, {0, 0}}) {
        windowWidth = size.first;
        windowHeight = size.second;
        basin.generator.seed(3);
        EXPECT_EQ(dropAtPointerOutput(0, 0), "");
        EXPECT_EQ(dropAtPointerOutput(10, 10), "");
        {
            const int next = int(basin.generator.next()); // taken before drawAfter re-seeds
            EXPECT_EQ(next, drawAfter(3, 0)) << "no draw"; }
        EXPECT_EQ(raisedCells().count, 0);
    }
}

TEST_F(SimTest, FarOffPointerSaturatesInsteadOfOverflowing)
{
    windowWidth = 1;
    windowHeight = 1;
    EXPECT_EQ(dropAtPointerOutput(INT_MAX, INT_MIN), "2D drop x/y2147483647 -2147483648\n");
    EXPECT_EQ(raisedCells().count, 0);
}

TEST_F(SimTest, ResetReturnsToRestAfterDropsAndSteps)
{
    colorMode = 4;
    basin.generator.seed(8);
    for (int k = 0; k < 5; ++k) {
        basin.randomDrop();
        simulationStep();
    }
    resetFields();
    EXPECT_EQ(colorMode, 4);
    for (int i = 0; i < CELL_COUNT; ++i) {
        ASSERT_EQ(h[i], 1.0f);
        ASSERT_TRUE(u[i] == 0.0f && v[i] == 0.0f && heightChange[i] == 0.0f && speedSq[i] == 0.0f);
    }
}

} // namespace
