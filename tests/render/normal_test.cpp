#include <gtest/gtest.h>

#include <cmath>

#include "support/program_names.h"
#include "render/surface.h"

namespace {

void startAtRest()
{
    resetFields();
}

} // namespace

TEST(SurfaceNormal, RestIsStraightUp)
{
    startAtRest();
    for (int y = FIRST_STRIP_ROW; y <= LAST_STRIP_ROW; ++y) {
        for (int x = 1; x < GRID_SIZE; ++x) {
            const SurfaceNormal a = upperNormal(gridOf(basin), x, y);
            const SurfaceNormal b = lowerNormal(gridOf(basin), x, y);
            ASSERT_TRUE(a.x == 0.0 && a.y == 1.0 && a.z == 0.0) << x << ", " << y;
            ASSERT_TRUE(b.x == 0.0 && b.y == 1.0 && b.z == 0.0) << x << ", " << y;
        }
    }
    EXPECT_EQ(scaledHeight(gridOf(basin), 0, 1), 100.0);
    EXPECT_EQ(scaledHeight(gridOf(basin), 159, 159), 100.0);
}

TEST(SurfaceNormal, OneRaisedVertexTiltsBothItsNormals)
{
    startAtRest();
    const int x = 40, y = 60;
    h[unsigned(cellIndex(x, y + 1))] = 1.25f;

    // Upper vertex (x, y+1): slope 25 along X; lower vertex (x, y): 25 along Z.
    const double r = 1.0 / std::sqrt(626.0);
    const SurfaceNormal a = upperNormal(gridOf(basin), x, y);
    EXPECT_DOUBLE_EQ(a.x, -25.0 * r);
    EXPECT_DOUBLE_EQ(a.y, r);
    EXPECT_EQ(a.z, 0.0);
    const SurfaceNormal b = lowerNormal(gridOf(basin), x, y);
    EXPECT_EQ(b.x, 0.0);
    EXPECT_DOUBLE_EQ(b.y, r);
    EXPECT_DOUBLE_EQ(b.z, -25.0 * r);
    EXPECT_NEAR(a.x, -0.99920, 5e-6);
    EXPECT_NEAR(a.y, 0.03997, 5e-6);

    // The next column's upper vertex sees the raised cell behind it and below
    // its diagonal neighbour; the strip above has it as its lower-row vertex.
    const double r2 = 1.0 / std::sqrt(1251.0);
    const SurfaceNormal next = upperNormal(gridOf(basin), x + 1, y);
    EXPECT_DOUBLE_EQ(next.x, 25.0 * r2);
    EXPECT_DOUBLE_EQ(next.z, -25.0 * r2);
    const SurfaceNormal above = lowerNormal(gridOf(basin), x, y + 1);
    EXPECT_DOUBLE_EQ(above.x, -25.0 * r2);
    EXPECT_DOUBLE_EQ(above.z, 25.0 * r2);

    // Normals away from the bump are untouched.
    const SurfaceNormal far = upperNormal(gridOf(basin), x + 5, y);
    EXPECT_TRUE(far.x == 0.0 && far.y == 1.0 && far.z == 0.0);
}

TEST(SurfaceNormal, UnitLengthAndAlwaysUpward)
{
    for (double dX : {-1e6, -3.0, -0.5, 0.0, 0.25, 7.0, 1e6}) {
        for (double dZ : {-1e6, -2.0, 0.0, 0.125, 9.0, 1e6}) {
            const SurfaceNormal n = normalFromSlopes(dX, dZ);
            EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0, 1e-12);
            EXPECT_GT(n.y, 0.0);
            // Points against the slope: up-hill along +X tilts it towards -X.
            EXPECT_TRUE((dX > 0.0) == (n.x < 0.0) || dX == 0.0);
            EXPECT_TRUE((dZ > 0.0) == (n.z < 0.0) || dZ == 0.0);
        }
    }
}
