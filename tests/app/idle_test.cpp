#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <chrono>
#include <thread>
#include <vector>

#include "app/idle.h"
#include "support/program_names.h"
#include "app/drops.h"
#include "support/gl_test_context.h"

namespace {

int displayCalls = 0;
void countingDisplay() { ++displayCalls; }

void startFromRest()
{
    ensureGlContext();
    glutDisplayFunc(countingDisplay);
    // GLUT redraws only a mapped window: wait for the first frame before counting.
    displayCalls = 0;
    glutPostRedisplay();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (displayCalls == 0 && std::chrono::steady_clock::now() < deadline) {
        pumpGlutEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_GT(displayCalls, 0) << "the test window never got drawn";
    resetFields();
    resetRanges();
    paused = false;
    colorMode = 0;
}

} // namespace

TEST(Idle, PausedSkipsTheStepButKeepsTimingAndRedisplay)
{
    startFromRest();
    basin.addDrop(80, 80, 4, 0.05f);
    idle(); // one real step so that velocities are non-zero
    paused = true;

    const Field h0 = h, u0 = u, v0 = v, hc0 = heightChange;
    const int64_t last0 = perfLast;
    for (int i = 0; i < 5; ++i) {
        displayCalls = 0;
        idle();
        pumpGlutEvents();
        EXPECT_EQ(displayCalls, 1) << "idle must post a redisplay while paused";
    }
    EXPECT_EQ(h, h0);
    EXPECT_EQ(u, u0);
    EXPECT_EQ(v, v0);
    EXPECT_EQ(heightChange, hc0);
    EXPECT_GT(perfLast, last0);
    EXPECT_GT(perfDelta, 0);

    paused = false;
    idle();
    EXPECT_NE(h, h0) << "resuming must step the water again";
}

TEST(Idle, StepsTheWaterAndMeasuresTheInterval)
{
    startFromRest();
    // At rest the step leaves the water exactly at rest.
    idle();
    for (int i = 0; i < CELL_COUNT; ++i) {
        ASSERT_EQ(h[i], 1.0f);
        ASSERT_EQ(u[i], 0.0f);
        ASSERT_EQ(v[i], 0.0f);
    }

    // A raised patch first shows in the velocities; the heights follow a step later.
    basin.addDrop(40, 60, 3, 0.06f);
    const Field before = u;
    const int64_t last0 = perfLast;
    displayCalls = 0;
    idle();
    pumpGlutEvents();
    EXPECT_NE(u, before);
    EXPECT_EQ(displayCalls, 1);
    EXPECT_EQ(perfDelta, perfLast - last0);
}
