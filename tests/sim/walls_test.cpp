// Walls as physics: a sealed wall, volume beside islands, a reflecting wall.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "sim/basin.h"
#include "sim/walls.h"

namespace {

Basin basinOf(int width, int height)
{
    BasinConfig config;
    config.width = width;
    config.height = height;
    return Basin(config);
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// On the default target: every target gives the portable loops' bits with walls
// (basin_test.cpp), so the physics is checked once.

TEST(Walls, ASealedWallKeepsTheFarSideAtRestToTheBit)
{
    Basin b = basinOf(120, 60);
    fillWalls(b, 60, 0, 61, 59);
    b.reset();
    b.addDrop(30, 30, 6, 0.3f);
    b.addDrop(58, 10, 3, 0.2f); // right against the wall
    for (int mode : {MODE_H, MODE_ENERGY_PRODUCT}) {
        b.colorMode = mode;
        for (int k = 0; k < 300; ++k)
            b.step();
    }
    double moved = 0.0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 120; ++x) {
            const size_t i = size_t(b.cellIndex(x, y));
            if (x < 60) {
                moved += std::fabs(double(b.h[i]) - 1.0);
                continue;
            }
            if (x <= 61) {
                ASSERT_TRUE(sameBits(b.h[i], 0.0f)) << "a wall holds no water at " << x << ", " << y;
            } else {
                ASSERT_TRUE(sameBits(b.h[i], 1.0f)) << x << ", " << y;
                ASSERT_TRUE(sameBits(b.v[i], 0.0f)) << x << ", " << y;
            }
            // No face beside the wall carries flow, nor any behind it.
            ASSERT_TRUE(sameBits(b.u[i], 0.0f)) << x << ", " << y;
        }
    }
    EXPECT_GT(moved, 1.0) << "the water on the near side moved";
}

// The wet interior's volume, in double.
double volume(const Basin& b)
{
    double sum = 0.0;
    for (int y = 1; y < b.height() - 1; ++y)
        for (int x = 1; x < b.width() - 1; ++x)
            if (b.walls[size_t(b.cellIndex(x, y))] == 0)
                sum += b.h[size_t(b.cellIndex(x, y))];
    return sum;
}

// The relative change of volume over the steps between drops, summed: what the
// scheme itself gains or loses.
double volumeDrift(Basin b, int rounds)
{
    b.generator.seed(2);
    double drift = 0.0;
    for (int k = 0; k < rounds; ++k) {
        b.randomDrop();
        const double before = volume(b);
        for (int s = 0; s < 100; ++s)
            b.step();
        drift += (volume(b) - before) / before;
    }
    return drift;
}

TEST(Walls, IslandsKeepTheVolumeAboutAsWellAsTheOpenBasin)
{
    Basin open = basinOf(160, 160), islands = basinOf(160, 160);
    fillWalls(islands, 40, 40, 54, 49);
    fillWalls(islands, 90, 100, 95, 129);
    fillWalls(islands, 120, 70, 139, 74);
    islands.reset();
    const double openDrift = volumeDrift(open, 30), islandDrift = volumeDrift(islands, 30);
    // Semi-Lagrangian advection conserves nothing exactly: over 3,000 steps the
    // open basin moves by tens of parts per million, the one with islands by a
    // few times that (measured: -20 and +120 ppm). A wall that leaked or filled
    // would move it by orders of magnitude more.
    EXPECT_LT(std::fabs(openDrift), 1e-4);
    EXPECT_LT(std::fabs(islandDrift), 3e-4) << "open basin: " << openDrift;
}

// The mean height of column x, minus the rest height.
double columnRise(const Basin& b, int x)
{
    double sum = 0.0;
    for (int y = 1; y < b.height() - 1; ++y)
        sum += b.h[size_t(b.cellIndex(x, y))] - 1.0;
    return sum / (b.height() - 2);
}

TEST(Walls, APlaneWaveReflectsFromAStraightWall)
{
    // A ridge across a channel at x = 150 splits into two plane waves; the one
    // heading right meets a wall at x = 250 after about 224 steps (long waves run
    // at about 0.447 cells a step) and comes back.
    Basin b = basinOf(400, 12);
    fillWalls(b, 250, 0, 250, 11);
    b.reset();
    for (int x = 144; x < 156; ++x)
        for (int y = 0; y < 12; ++y)
            b.h[size_t(b.cellIndex(x, y))] = float(1.0 + 0.02 * std::cos((x - 149.5) / 6.0 * 1.5707963));
    const auto crest = [&](int from, int to) {
        int best = from;
        for (int x = from; x < to; ++x)
            if (columnRise(b, x) > columnRise(b, best))
                best = x;
        return best;
    };
    for (int k = 0; k < 150; ++k)
        b.step();
    const int outward = crest(160, 250);
    EXPECT_NEAR(outward, 150 + 150 * 0.447, 8);
    for (int k = 150; k < 420; ++k)
        b.step();
    // Reflected, not passed: back at about 250 - (420 - 224) x 0.447, as a crest.
    const int back = crest(160, 250);
    EXPECT_NEAR(back, 250 - (420 - 224) * 0.447, 10);
    EXPECT_GT(columnRise(b, back), 0.25 * 0.02);
    for (int x = 251; x < 400; ++x)
        ASSERT_EQ(columnRise(b, x), 0.0) << "nothing passes the wall, at column " << x;
}

TEST(WallMask, ClosesTheFacesBesideEverySolidCellAndDrainsIt)
{
    Basin b = basinOf(10, 8);
    fillWalls(b, 3, 2, 4, 2);
    b.refreshWalls();
    const Basin::WallCache& c = b.wallCache();
    EXPECT_EQ(c.solidCells.size(), 2u);
    // u faces: x = 3 (2|3), 4 (3|4), 5 (4|5) in row 2; v faces: rows 2 and 3 under and over each.
    EXPECT_EQ(c.closedU, (std::vector<size_t>{size_t(b.cellIndex(3, 2)), size_t(b.cellIndex(4, 2)),
                                              size_t(b.cellIndex(5, 2))}));
    EXPECT_EQ(c.closedV, (std::vector<size_t>{size_t(b.cellIndex(3, 2)), size_t(b.cellIndex(4, 2)),
                                              size_t(b.cellIndex(3, 3)), size_t(b.cellIndex(4, 3))}));
    b.reset();
    EXPECT_EQ(b.h[size_t(b.cellIndex(3, 2))], 0.0f);
    b.addDrop(4, 3, 2, 0.05f);
    EXPECT_EQ(b.h[size_t(b.cellIndex(3, 2))], 0.0f) << "drops skip walls";
    EXPECT_EQ(b.h[size_t(b.cellIndex(3, 3))], 1.05f);
    // Cleared walls drop out of the cache at the next step.
    fillWalls(b, 0, 0, 9, 7, false);
    b.step();
    EXPECT_TRUE(b.wallCache().solidCells.empty());
    EXPECT_TRUE(b.wallCache().solid.empty());
}

} // namespace
