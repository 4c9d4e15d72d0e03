#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <cstring>
#include <string>

#include "support/program_names.h"
#include "render/camera.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "support/gl_test_context.h"

namespace {

constexpr int LEFT = GLUT_LEFT_BUTTON;
constexpr int MIDDLE = GLUT_MIDDLE_BUTTON;
constexpr int RIGHT = GLUT_RIGHT_BUTTON;
constexpr int DOWN = GLUT_DOWN;
constexpr int UP = GLUT_UP;

void startFresh()
{
    resetFields();
    camera = Camera();
    zoomDrag = false;
    lastMouseX = 0;
    lastMouseY = 0;
    windowWidth = 640;
    windowHeight = 480;
}

// Moves the pointer from (x, y) by (dx, dy) in steps of one to three pixels, the
// way a real drag arrives.
void dragBy(int x, int y, int dx, int dy)
{
    motion(x, y);
    const int steps = 10;
    for (int i = 1; i <= steps; ++i)
        motion(x + dx * i / steps, y + dy * i / steps);
}

bool sameCamera(const Camera& a, const Camera& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(Mouse, ZoomFlagFollowsEveryButtonEvent)
{
    startFresh();
    struct Event {
        int button, state;
        bool zoomAfter;
    };
    // Only a right press sets the flag; any other event, of any button, clears it.
    const Event sequence[] = {
        {RIGHT, DOWN, true},  {RIGHT, UP, false},   {RIGHT, DOWN, true},  {LEFT, DOWN, false},
        {LEFT, UP, false},    {RIGHT, DOWN, true},  {LEFT, UP, false},    {RIGHT, DOWN, true},
        {3, DOWN, false},     {RIGHT, DOWN, true},  {4, UP, false},       {RIGHT, DOWN, true},
        {MIDDLE, UP, false},  {RIGHT, DOWN, true},  {RIGHT, DOWN, true},  {LEFT, DOWN, false},
    };
    for (const Event& e : sequence) {
        mouse(e.button, e.state, 100, 100);
        EXPECT_EQ(zoomDrag, e.zoomAfter) << "button " << e.button << " state " << e.state;
    }
    EXPECT_EQ(h, Field(CELL_COUNT, 1.0f)) << "only a middle press drops";
}

TEST(Mouse, MiddlePressDropsUnderThePointerAndEndsAZoom)
{
    startFresh();
    mouse(RIGHT, DOWN, 0, 0);
    ASSERT_TRUE(zoomDrag);

    testing::internal::CaptureStdout();
    mouse(MIDDLE, DOWN, 320, 240);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "2D drop x/y80 80\n");
    EXPECT_FALSE(zoomDrag);
    // At rest every cell of the patch reaches the cap; (80, 80) is always in it.
    EXPECT_EQ(h[cellIndex(80, 80)], 1.1f);
    EXPECT_EQ(h[cellIndex(79, 79)], 1.1f);
    EXPECT_EQ(h[cellIndex(0, 0)], 1.0f);

    const Field raised = h;
    testing::internal::CaptureStdout();
    mouse(MIDDLE, UP, 320, 240);
    mouse(LEFT, DOWN, 10, 10);
    mouse(LEFT, UP, 10, 10);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "releases and left presses print nothing";
    EXPECT_EQ(h, raised);
}

TEST(Mouse, PointerDropFollowsTheWindowSize)
{
    startFresh();
    testing::internal::CaptureStdout();
    mouse(MIDDLE, DOWN, 639, 479);
    windowWidth = 800;
    windowHeight = 800;
    mouse(MIDDLE, DOWN, 400, 400);
    mouse(MIDDLE, DOWN, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "2D drop x/y159 159\n2D drop x/y80 80\n2D drop x/y0 0\n");
}

TEST(Mouse, ButtonsNeverTouchTheStoredPointer)
{
    startFresh();
    lastMouseX = 17;
    lastMouseY = 23;
    testing::internal::CaptureStdout();
    for (int button : {LEFT, MIDDLE, RIGHT, 3})
        for (int state : {DOWN, UP})
            mouse(button, state, 300 + button, 200 + state);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(lastMouseX, 17);
    EXPECT_EQ(lastMouseY, 23);
}

TEST(Motion, RightDragZoomsThenLeftDragOrbits)
{
    startFresh();
    const Camera start = camera;

    mouse(RIGHT, DOWN, 200, 200);
    dragBy(200, 200, 30, 40);
    mouse(RIGHT, UP, 230, 240);
    // Vertical movement only, 0.1 per pixel; the angles stay bit for bit.
    EXPECT_NEAR(camera.radius, start.radius + 40 * 0.1, 1e-9);
    EXPECT_EQ(camera.theta, start.theta);
    EXPECT_EQ(camera.phi, start.phi);

    const double radius = camera.radius;
    mouse(LEFT, DOWN, 230, 240);
    dragBy(230, 240, 50, -20);
    mouse(LEFT, UP, 280, 220);
    EXPECT_EQ(camera.radius, radius);
    EXPECT_NEAR(camera.theta, start.theta + 50 * 0.014, 1e-9);
    EXPECT_NEAR(camera.phi, start.phi + 20 * 0.014, 1e-9);
}

TEST(Motion, LeftPressDuringARightDragTurnsItIntoAnOrbit)
{
    startFresh();
    mouse(RIGHT, DOWN, 100, 100);
    dragBy(100, 100, 0, 10);
    const double radius = camera.radius;
    EXPECT_NEAR(radius, 41.0, 1e-9);

    mouse(LEFT, DOWN, 100, 110);
    mouse(LEFT, UP, 100, 110);
    const Camera before = camera;
    dragBy(100, 110, 10, 10);
    EXPECT_EQ(camera.radius, radius) << "right still held, but the zoom has ended";
    EXPECT_NE(camera.theta, before.theta);
    EXPECT_NE(camera.phi, before.phi);
}

TEST(Motion, MiddleDragOrbitsAndNeverZooms)
{
    startFresh();
    testing::internal::CaptureStdout();
    mouse(MIDDLE, DOWN, 320, 240);
    testing::internal::GetCapturedStdout();
    const Camera before = camera;
    dragBy(320, 240, -15, 12);
    EXPECT_EQ(camera.radius, before.radius);
    EXPECT_NEAR(camera.theta, before.theta - 15 * 0.014, 1e-9);
}

TEST(Motion, FirstEventOfADragIsMeasuredFromTheLastOne)
{
    startFresh();
    // (0, 0) is 300 pixels away: the first event only records the position.
    const Camera start = camera;
    motion(300, 300);
    EXPECT_TRUE(sameCamera(camera, start));
    EXPECT_EQ(lastMouseX, 300);
    EXPECT_EQ(lastMouseY, 300);
    motion(305, 300);
    EXPECT_FALSE(sameCamera(camera, start));
}

TEST(PassiveMotion, ChangesNothingNotEvenTheStoredPointer)
{
    startFresh();
    motion(50, 60);
    const Camera before = camera;
    for (int i = 0; i < 40; ++i)
        passiveMotion(50 + i, 60 + 2 * i);
    EXPECT_TRUE(sameCamera(camera, before));
    EXPECT_EQ(lastMouseX, 50);
    EXPECT_EQ(lastMouseY, 60);
    // A drag that resumes next to the old end point is applied at once.
    motion(55, 60);
    EXPECT_NEAR(camera.theta, before.theta + 5 * 0.014, 1e-9);
}

namespace {
int redisplays = 0;
void countRedisplays() { ++redisplays; }
} // namespace

TEST(InputCallbacks, PostNoRedisplay)
{
    ensureGlContext();
    glutDisplayFunc(countRedisplays);
    glutIdleFunc(nullptr);
    // Let the first expose and anything pending go by.
    for (int i = 0; i < 5; ++i)
        pumpGlutEvents();
    startFresh();
    redisplays = 0;

    testing::internal::CaptureStdout();
    for (unsigned char key : {'0', '3', 'b', 'c', 'd', 'f', 's', 'p', 'p', 'r'})
        keyboard(key, 0, 0);
    mouse(RIGHT, DOWN, 10, 10);
    motion(12, 14);
    mouse(RIGHT, UP, 12, 14);
    mouse(MIDDLE, DOWN, 320, 240);
    passiveMotion(1, 1);
    testing::internal::GetCapturedStdout();
    for (int i = 0; i < 3; ++i)
        pumpGlutEvents();
    EXPECT_EQ(redisplays, 0) << "the idle callback posts every redisplay";
}
