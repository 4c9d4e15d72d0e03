#include <gtest/gtest.h>

#include "support/program_names.h"
#include "render/camera.h"

namespace {

constexpr double TWO_PI = 6.283185307179586;

// A fresh camera and pointer history, as at start-up.
void startDrag(bool zoom)
{
    camera = Camera();
    lastMouseX = 0;
    lastMouseY = 0;
    zoomDrag = zoom;
}

} // namespace

TEST(CameraBounds, PhiIsClampedShortOfThePoles)
{
    Camera c;
    c.AddPhi(10.0);
    EXPECT_EQ(c.phi, 3.1384510609362035);
    c.AddPhi(-10.0);
    EXPECT_EQ(c.phi, 0.0031415926535897933);

    // Inside the range a step moves freely, up to just short of a pole.
    c.phi = PHI_MAX - 0.5;
    c.AddPhi(0.5 - 1e-9);
    EXPECT_LT(c.phi, PHI_MAX);
    EXPECT_GT(c.phi, PHI_MAX - 1e-8);
    c.phi = 1.0;
    c.AddPhi(0.25);
    EXPECT_EQ(c.phi, 1.25);
}

TEST(CameraBounds, ThetaWrapsOnceAroundTheCircle)
{
    Camera c;
    c.theta = 6.2;
    c.AddTheta(0.2);
    EXPECT_EQ(c.theta, 0.11681469282041412);

    c.theta = 0.1;
    c.AddTheta(-0.2);
    EXPECT_EQ(c.theta, 6.183185307179587);

    // Exactly 2*pi and exactly 0 are inside the range.
    c.theta = TWO_PI - 1.0;
    c.AddTheta(1.0);
    EXPECT_EQ(c.theta, TWO_PI);
    c.theta = 1.0;
    c.AddTheta(-1.0);
    EXPECT_EQ(c.theta, 0.0);

    // One correction only: a change of more than a turn is not folded twice.
    c.theta = 1.0;
    c.AddTheta(3.0 * TWO_PI);
    EXPECT_GT(c.theta, TWO_PI);
}

TEST(CameraBounds, RadiusStaysBetweenOneAndTenThousand)
{
    Camera c;
    c.AddRadius(-100.0);
    EXPECT_EQ(c.radius, 1.0);
    c.AddRadius(20000.0);
    EXPECT_EQ(c.radius, 10000.0);
    c.radius = 40.0;
    c.AddRadius(-39.0);
    EXPECT_EQ(c.radius, 1.0);
    c.AddRadius(2.5);
    EXPECT_EQ(c.radius, 3.5);
}

TEST(CameraDrag, OrbitUsesStepsOfUpToNineteenPixels)
{
    startDrag(false);
    lastMouseX = 100;
    lastMouseY = 100;
    const double theta0 = camera.theta, phi0 = camera.phi;
    dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 119, 81);
    EXPECT_EQ(lastMouseX, 119);
    EXPECT_EQ(lastMouseY, 81);
    EXPECT_EQ(camera.theta, theta0 + 19 * 0.014);
    EXPECT_EQ(camera.phi, phi0 + -19 * -0.014);
    EXPECT_NEAR(camera.theta - theta0, 0.266, 1e-15);
    EXPECT_NEAR(camera.phi - phi0, 0.266, 1e-15);
    EXPECT_EQ(camera.radius, 40.0);
}

TEST(CameraDrag, TwentyPixelsDiscardTheEventButMoveTheReference)
{
    startDrag(false);
    lastMouseX = 100;
    lastMouseY = 100;
    const Camera before = camera;
    dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 120, 100);
    EXPECT_EQ(camera.theta, before.theta);
    EXPECT_EQ(camera.phi, before.phi);
    EXPECT_EQ(lastMouseX, 120);

    // The next pixel is measured from the new position and applied.
    dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 121, 100);
    EXPECT_EQ(camera.theta, before.theta + 0.014);
    EXPECT_EQ(camera.phi, before.phi);

    // A vertical jump alone also discards it; so does a negative one.
    dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 121, 80);
    dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 101, 80);
    EXPECT_EQ(camera.theta, before.theta + 0.014);
    EXPECT_EQ(camera.phi, before.phi);
    EXPECT_EQ(lastMouseX, 101);
    EXPECT_EQ(lastMouseY, 80);
}

TEST(CameraDrag, FirstDragIsMeasuredFromTheOrigin)
{
    startDrag(false);
    const Camera before = camera;
    dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 320, 240);
    EXPECT_EQ(camera.theta, before.theta);
    EXPECT_EQ(camera.phi, before.phi);
    dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 330, 235);
    EXPECT_EQ(camera.theta, before.theta + 10 * 0.014);
    EXPECT_EQ(camera.phi, before.phi + -5 * -0.014);
}

TEST(CameraDrag, ZoomUsesOnlyTheVerticalMovement)
{
    startDrag(true);
    lastMouseX = 200;
    lastMouseY = 200;
    const Camera before = camera;

    dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 215, 200); // horizontal only: nothing
    EXPECT_EQ(camera.radius, 40.0);
    dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 215, 210); // down: away from the target
    EXPECT_EQ(camera.radius, 41.0);
    dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 240, 220); // 25 across discards the 10 down
    EXPECT_EQ(camera.radius, 41.0);
    dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 240, 201); // up 19: nearer
    EXPECT_DOUBLE_EQ(camera.radius, 41.0 - 1.9);
    EXPECT_EQ(camera.theta, before.theta);
    EXPECT_EQ(camera.phi, before.phi);

    // Zooming in step by step stops at the lower bound.
    for (int i = 0; i < 40; ++i)
        dragCamera(camera, zoomDrag, lastMouseX, lastMouseY, 240, 201 - 19 * (i + 1));
    EXPECT_EQ(camera.radius, 1.0);
}
