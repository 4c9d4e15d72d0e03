#include <gtest/gtest.h>

#include "sim/boundaries.h"
#include "sim/velocity_update.h"
#include "sim_fixture.h"

namespace {

class VelocityUpdateTest : public SolverPathTest {};
RIPPLEMOOR_ALL_PATHS(VelocityUpdateTest);

void faces(float scale)
{
    for (int i = 0; i < CELL_COUNT; ++i) {
        u[i] = scale * float((i * 13) % 17 - 8);
        v[i] = scale * float((i * 7) % 11 - 5);
    }
}

TEST(VelocityCoefficient, IsFormedInDoubleFromTheFloatInverseCellSize)
{
    EXPECT_EQ(velocityCoefficient(), 0.625 * 3.2000000476837158);
    EXPECT_NEAR(velocityCoefficient(), 2.00000003, 1e-8);
}

TEST_P(VelocityUpdateTest, UniformHeightLeavesEveryFaceAlone)
{
    faces(0.125f);
    fill(h, 2.5f);
    const Field u0 = u, v0 = v;
    updateVelocities();
    EXPECT_EQ(u, u0);
    EXPECT_EQ(v, v0);
}

TEST_P(VelocityUpdateTest, RaisedCellPushesWaterOutThroughAllFourFaces)
{
    // (100, 70) is inside a vector block, (157, 70) and (158, 157) in the scalar tails.
    for (auto cell : {std::pair<int, int>{100, 70}, {157, 70}, {158 - 1, 157}}) {
        SimTest::restartSimulation();
        const int x0 = cell.first, y0 = cell.second;
        h[cellIndex(x0, y0)] = 1.5f;
        updateVelocities();
        const float out = float(-0.5 * velocityCoefficient());
        EXPECT_EQ(out, -1.0f);
        EXPECT_EQ(u[cellIndex(x0, y0)], out);
        EXPECT_EQ(v[cellIndex(x0, y0)], out);
        EXPECT_EQ(u[cellIndex(x0 + 1, y0)], 1.0f);
        EXPECT_EQ(v[cellIndex(x0, y0 + 1)], 1.0f);
        int changed = 0;
        for (int i = 0; i < CELL_COUNT; ++i)
            changed += (u[i] != 0.0f) + (v[i] != 0.0f);
        EXPECT_EQ(changed, 4);
    }
}

TEST_P(VelocityUpdateTest, NoWaterFlowsThroughTheWalls)
{
    h[cellIndex(1, 50)] = 1.5f;    // next to the left wall
    h[cellIndex(158, 90)] = 1.5f;  // right wall
    h[cellIndex(30, 1)] = 1.5f;    // bottom wall
    h[cellIndex(60, 158)] = 1.5f;  // top wall
    fill(u, 0.0f);
    updateVelocities();
    for (int k = 0; k < GRID_SIZE; ++k) {
        ASSERT_EQ(u[cellIndex(1, k)], 0.0f);
        ASSERT_EQ(u[cellIndex(GRID_SIZE - 1, k)], 0.0f);
        ASSERT_EQ(v[cellIndex(k, 1)], 0.0f);
        ASSERT_EQ(v[cellIndex(k, GRID_SIZE - 1)], 0.0f);
    }
    EXPECT_EQ(u[cellIndex(2, 50)], 1.0f);
    EXPECT_EQ(v[cellIndex(1, 50)], -1.0f);
    EXPECT_EQ(v[cellIndex(1, 51)], 1.0f);
    EXPECT_EQ(u[cellIndex(158, 90)], -1.0f);
    EXPECT_EQ(v[cellIndex(30, 2)], 1.0f);
    EXPECT_EQ(v[cellIndex(60, 158)], -1.0f);
}

TEST_P(VelocityUpdateTest, BorderHeightsDoNotEnter)
{
    for (int k = 0; k < GRID_SIZE; ++k) {
        h[cellIndex(k, 0)] = h[cellIndex(k, GRID_SIZE - 1)] = 50.0f;
        h[cellIndex(0, k)] = h[cellIndex(GRID_SIZE - 1, k)] = 50.0f;
    }
    updateVelocities();
    for (int i = 0; i < CELL_COUNT; ++i)
        ASSERT_TRUE(u[i] == 0.0f && v[i] == 0.0f) << i;
}

// --- boundaries ------------------------------------------------------------------

TEST_F(SimTest, BoundariesMirrorTheInnerNeighbours)
{
    for (int i = 0; i < CELL_COUNT; ++i)
        h[i] = float((i * 31) % 97) * 0.01f;
    const Field before = h;
    applyBoundaries();
    const int last = GRID_SIZE - 1;
    for (int k = 1; k < last; ++k) {
        EXPECT_EQ(h[cellIndex(k, 0)], before[cellIndex(k, 1)]);
        EXPECT_EQ(h[cellIndex(k, last)], before[cellIndex(k, last - 1)]);
        EXPECT_EQ(h[cellIndex(0, k)], before[cellIndex(1, k)]);
        EXPECT_EQ(h[cellIndex(last, k)], before[cellIndex(last - 1, k)]);
    }
    EXPECT_EQ(h[cellIndex(0, 0)], before[cellIndex(1, 1)]);
    EXPECT_EQ(h[cellIndex(last, 0)], before[cellIndex(last - 1, 1)]);
    EXPECT_EQ(h[cellIndex(0, last)], before[cellIndex(1, last - 1)]);
    EXPECT_EQ(h[cellIndex(last, last)], before[cellIndex(last - 1, last - 1)]);
    for (int x = 1; x < last; ++x)
        for (int y = 1; y < last; ++y)
            ASSERT_EQ(h[cellIndex(x, y)], before[cellIndex(x, y)]);
}

} // namespace
