// The program as a wave laboratory, GL-free: start-up at any size, the pen that
// paints and rubs out walls through the camera, 'w', 'r' and 'h', and the
// middle-button drop beside walls.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "app/drops.h"
#include "app/program.h"
#include "app/wall_pen.h"
#include "input/controls.h"
#include "render/picking.h"

namespace {

constexpr double LEVEL = 100.0;

long wallCount(const Basin& basin)
{
    long n = 0;
    for (uint8_t w : basin.walls)
        n += w != 0;
    return n;
}

bool isWall(const Basin& basin, int x, int y) { return basin.walls[size_t(basin.cellIndex(x, y))] != 0; }

// A pixel of the window whose pick is cell (x, y), found by walking the window.
bool pixelOfCell(const Program& p, int x, int y, int& px, int& py)
{
    for (py = 0; py < p.view.windowHeight; ++py) {
        for (px = 0; px < p.view.windowWidth; ++px) {
            const PickedCell c = pickCell(p.view.camera, p.view.windowWidth, p.view.windowHeight, LEVEL, px, py);
            if (c.hit && c.x == x && c.y == y)
                return true;
        }
    }
    return false;
}

Program started(int width, int height)
{
    Program p;
    BasinConfig config;
    config.width = width;
    config.height = height;
    startProgram(p, config, 7);
    return p;
}

const Modifiers NONE{}, SHIFT{true, false}, CTRL{false, true};

} // namespace

TEST(ProgramStart, TheBasinIsMadeAtRestFramedAndSeeded)
{
    Program p = started(90, 40);
    EXPECT_EQ(p.basin.width(), 90);
    EXPECT_EQ(p.basin.height(), 40);
    EXPECT_EQ(p.basin.colorMode, MODE_PLAIN);
    for (float value : p.basin.h)
        ASSERT_EQ(value, 1.0f);
    EXPECT_EQ(p.view.camera.target.x, 44.5);
    EXPECT_EQ(p.view.camera.target.z, 19.5);

    // The same seed gives the same drops.
    Program q = started(90, 40);
    p.basin.randomDrop();
    q.basin.randomDrop();
    EXPECT_EQ(p.basin.stateHash(), q.basin.stateHash());

    // Back to the seed's basin: the seed's view.
    startProgram(p, BasinConfig{}, 1);
    EXPECT_EQ(p.view.camera.radius, Camera().radius);
    EXPECT_EQ(p.view.camera.target.x, 80.0);
}

TEST(ProgramStart, AdvancingStepsUnlessPausedAndAlwaysTimes)
{
    Program p = started(20, 20);
    p.basin.addDrop(10, 10, 3, 0.1f);
    const uint64_t before = p.basin.stateHash();
    p.view.clock.last = 1000;
    advanceProgram(p, 1600);
    EXPECT_EQ(p.view.clock.delta, 600);
    EXPECT_EQ(p.view.clock.last, 1600);
    EXPECT_NE(p.basin.stateHash(), before);

    p.view.paused = true;
    const uint64_t paused = p.basin.stateHash();
    advanceProgram(p, 2000);
    EXPECT_EQ(p.view.clock.delta, 400);
    EXPECT_EQ(p.basin.stateHash(), paused);
}

TEST(Pen, ADiscOfCellsBecomesDryWallAndComesBackAtRest)
{
    Program p = started(30, 20);
    Basin& b = p.basin;
    const uint64_t revision = b.revision;
    EXPECT_EQ(penCells(b, 10, 10, 2, true), 13); // radius 2: 13 cells in the disc
    EXPECT_GT(b.revision, revision);
    EXPECT_TRUE(isWall(b, 10, 10));
    EXPECT_TRUE(isWall(b, 12, 10));
    EXPECT_TRUE(isWall(b, 10, 8));
    EXPECT_TRUE(isWall(b, 11, 11));
    EXPECT_FALSE(isWall(b, 12, 12)); // outside the disc
    EXPECT_EQ(b.h[size_t(b.cellIndex(10, 10))], 0.0f);
    // Painting what is already wall changes nothing.
    EXPECT_EQ(penCells(b, 10, 10, 1, true), 0);

    // Clipped at the edges.
    EXPECT_EQ(penCells(b, 0, 0, 1, true), 3);
    EXPECT_EQ(penCells(b, -50, 5, 2, true), 0);

    // Rubbing out gives water at the rest height.
    EXPECT_EQ(penCells(b, 10, 10, 0, false), 1);
    EXPECT_FALSE(isWall(b, 10, 10));
    EXPECT_EQ(b.h[size_t(b.cellIndex(10, 10))], 1.0f);

    // 'w' clears them all, and the water is whole again.
    clearWalls(b);
    EXPECT_EQ(wallCount(b), 0);
    for (float value : b.h)
        ASSERT_EQ(value, 1.0f);
}

TEST(Pen, ShiftDragPaintsUnderThePointerAtAnyOrbitAndCtrlDragRubsOut)
{
    for (double theta : {1.0471975511965976, 2.4, 4.2}) {
        for (double radiusScale : {1.0, 0.6}) {
            Program p = started(60, 40);
            p.view.camera.theta = theta;
            p.view.camera.radius *= radiusScale;
            int px = 0, py = 0;
            ASSERT_TRUE(pixelOfCell(p, 20, 15, px, py)) << theta;
            const int lastX = p.view.lastMouseX, lastY = p.view.lastMouseY;
            const Camera camera = p.view.camera;

            pressButton(p, BUTTON_LEFT, BUTTON_DOWN, px, py, SHIFT);
            EXPECT_TRUE(isWall(p.basin, 20, 15)) << theta;
            // Dragging paints a line, not dots, and leaves the camera alone.
            int ex = 0, ey = 0;
            ASSERT_TRUE(pixelOfCell(p, 40, 25, ex, ey));
            dragPointer(p, ex, ey);
            pressButton(p, BUTTON_LEFT, BUTTON_UP, ex, ey, SHIFT);
            for (int k = 0; k <= 20; ++k)
                EXPECT_TRUE(isWall(p.basin, 20 + k, 15 + k / 2)) << "k " << k << ", theta " << theta;
            EXPECT_EQ(p.view.camera.theta, camera.theta);
            EXPECT_EQ(p.view.camera.phi, camera.phi);
            EXPECT_EQ(p.view.lastMouseX, lastX);
            EXPECT_EQ(p.view.lastMouseY, lastY);
            // Nothing far from the stroke.
            for (int y = 0; y < 40; ++y) {
                for (int x = 0; x < 60; ++x) {
                    if (isWall(p.basin, x, y)) {
                        EXPECT_TRUE(x >= 17 && x <= 43 && y >= 12 && y <= 28) << x << "," << y;
                    }
                }
            }

            // Ctrl rubs out where it passes; the far end stays.
            pressButton(p, BUTTON_LEFT, BUTTON_DOWN, px, py, CTRL);
            EXPECT_FALSE(isWall(p.basin, 20, 15));
            pressButton(p, BUTTON_LEFT, BUTTON_UP, px, py, NONE);
            EXPECT_TRUE(isWall(p.basin, 40, 25));

            // Moving after the release orbits again.
            dragPointer(p, px + 5, py);
            dragPointer(p, px + 10, py);
            EXPECT_NE(p.view.camera.theta, camera.theta);
        }
    }
}

TEST(Pen, APlainLeftDragOrbitsAndPaintsNothing)
{
    Program p = started(60, 40);
    pressButton(p, BUTTON_LEFT, BUTTON_DOWN, 300, 200, NONE);
    dragPointer(p, 100, 100); // a jump: only remembered
    dragPointer(p, 110, 105);
    pressButton(p, BUTTON_LEFT, BUTTON_UP, 110, 105, NONE);
    EXPECT_EQ(wallCount(p.basin), 0);
    EXPECT_DOUBLE_EQ(p.view.camera.theta, Camera().theta + 10 * 0.014);
}

TEST(Keys, RestKeepsWallsDryAndWClearsThemAndHTogglesTheOverlay)
{
    Program p = started(40, 40);
    penCells(p.basin, 20, 20, 2, true);
    p.basin.addDrop(10, 10, 4, 0.1f);
    for (int i = 0; i < 5; ++i)
        p.basin.step();
    pressKey(p, 'r');
    EXPECT_EQ(wallCount(p.basin), 13);
    for (size_t cell = 0; cell < p.basin.cellCount(); ++cell)
        ASSERT_EQ(p.basin.h[cell], p.basin.walls[cell] != 0 ? 0.0f : 1.0f) << cell;

    pressKey(p, 'w');
    EXPECT_EQ(wallCount(p.basin), 0);
    EXPECT_EQ(p.basin.h[size_t(p.basin.cellIndex(20, 20))], 1.0f);

    EXPECT_FALSE(p.view.overlay);
    pressKey(p, 'h');
    EXPECT_TRUE(p.view.overlay);
    pressKey(p, 'h');
    EXPECT_FALSE(p.view.overlay);
    // Upper case stays ignored.
    penCells(p.basin, 5, 5, 1, true);
    pressKey(p, 'W');
    pressKey(p, 'H');
    EXPECT_EQ(wallCount(p.basin), 5);
    EXPECT_FALSE(p.view.overlay);
}

TEST(PointerDrop, NeverLandsInAWallAndKeepsItsPixelMapping)
{
    Program p = started(160, 160);
    // The window's pixel scaled to cells: (320, 240) of 640 x 480 is cell (80, 80).
    penCells(p.basin, 80, 80, 0, true);
    const uint64_t before = p.basin.stateHash();
    const DropGenerator generator = p.basin.generator;
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    dropAtPointer(p, 320, 240);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(p.basin.stateHash(), before);

    // Beside the wall the drop falls, and the wall stays dry.
    p.basin.generator = generator;
    testing::internal::CaptureStdout();
    dropAtPointer(p, 324, 240);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "2D drop x/y81 80\n");
    EXPECT_EQ(p.basin.h[size_t(p.basin.cellIndex(80, 80))], 0.0f);
    EXPECT_GT(p.basin.h[size_t(p.basin.cellIndex(81, 80))], 1.0f);

    // Another basin: the same pixels scale to its own cells.
    Program wide = started(400, 120);
    testing::internal::CaptureStdout();
    dropAtPointer(wide, 320, 240);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "2D drop x/y200 60\n");
}
