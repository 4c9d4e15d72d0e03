#include "render/camera.h"

#include <GL/glu.h>
#include <cmath>

#include "app/state.h"

Camera camera;

namespace {

constexpr double TWO_PI = 6.283185307179586;

// A drag event further than this from the previous pointer position is a jump
// (a new drag, or the pointer re-entering the window), not a movement.
constexpr int MAX_DRAG_STEP = 19;

constexpr double ZOOM_PER_PIXEL = 0.1;
constexpr double THETA_PER_PIXEL = 0.014;
constexpr double PHI_PER_PIXEL = -0.014;

} // namespace

void Camera::Apply()
{
    offset.x = radius * std::cos(theta) * std::sin(phi);
    offset.y = radius * std::cos(phi);
    offset.z = radius * std::sin(theta) * std::sin(phi);

    gluLookAt(target.x + offset.x, target.y + offset.y, target.z + offset.z,
              target.x, target.y, target.z,
              0.0, 1.0, 0.0);
}

void Camera::AddPhi(double d)
{
    // Keep off the poles, where the view direction would be parallel to up.
    phi = phi + d;
    if (phi > PHI_MAX)
        phi = PHI_MAX;
    if (phi < PHI_MIN)
        phi = PHI_MIN;
}

void Camera::AddTheta(double d)
{
    // One correction is enough: a drag step turns by far less than a full turn.
    theta = theta + d;
    if (theta > TWO_PI)
        theta -= TWO_PI;
    if (theta < 0.0)
        theta += TWO_PI;
}

void Camera::AddRadius(double d)
{
    radius = radius + d;
    if (radius > 10000.0)
        radius = 10000.0;
    else if (radius < 1.0)
        radius = 1.0;
}

void dragCamera(int x, int y)
{
    const int dx = x - lastMouseX;
    const int dy = y - lastMouseY;
    lastMouseX = x;
    lastMouseY = y;

    if (dx < -MAX_DRAG_STEP || dx > MAX_DRAG_STEP)
        return;
    if (dy < -MAX_DRAG_STEP || dy > MAX_DRAG_STEP)
        return;

    if (zoomDrag) {
        camera.AddRadius(dy * ZOOM_PER_PIXEL);
    } else {
        camera.AddTheta(dx * THETA_PER_PIXEL);
        camera.AddPhi(dy * PHI_PER_PIXEL);
    }
}
