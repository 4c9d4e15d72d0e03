#include "render/camera.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double TWO_PI = 6.283185307179586;

// A drag event further than this from the previous pointer position is a jump
// (a new drag, or the pointer re-entering the window), not a movement.
constexpr int MAX_DRAG_STEP = 19;

constexpr double ZOOM_PER_PIXEL = 0.1;
constexpr double THETA_PER_PIXEL = 0.014;
constexpr double PHI_PER_PIXEL = -0.014;

constexpr int SEED_SIZE = 160;
constexpr double RADIUS_MAX = 10000.0;
// The level of water at rest, as drawn (100 x the rest height of 1).
constexpr double WATER_LEVEL = 100.0;

} // namespace

Camera::Vec3 Camera::eyeOffset() const
{
    return Vec3{radius * std::cos(theta) * std::sin(phi), radius * std::cos(phi),
                radius * std::sin(theta) * std::sin(phi)};
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
    if (radius > RADIUS_MAX)
        radius = RADIUS_MAX;
    else if (radius < 1.0)
        radius = 1.0;
}

void frameBasin(Camera& camera, int width, int height, bool whole)
{
    camera = Camera();
    if (width == SEED_SIZE && height == SEED_SIZE && !whole)
        return;
    // Cell (x, y) is drawn at (x, level, y): the basin spans 0..width-1 by 0..height-1.
    camera.target = Camera::Vec3{(width - 1) / 2.0, WATER_LEVEL, (height - 1) / 2.0};
    // The sphere around the basin seen whole through the narrower of the two
    // angles of view; 4:3 makes the horizontal one the wider.
    const double halfDiagonal = 0.5 * std::hypot(double(width), double(height));
    const double halfAngle = 0.5 * FIELD_OF_VIEW_DEGREES * 3.141592653589793 / 180.0;
    camera.radius = std::min(RADIUS_MAX, 1.05 * halfDiagonal / std::sin(halfAngle));
}

double farPlane(int width, int height)
{
    Camera framed;
    frameBasin(framed, width, height, true);
    if (width == SEED_SIZE && height == SEED_SIZE)
        return SEED_FAR_PLANE;
    return std::max(SEED_FAR_PLANE, 2.0 * framed.radius + std::hypot(double(width), double(height)));
}

void dragCamera(Camera& camera, bool zoomDrag, int& lastX, int& lastY, int x, int y)
{
    const int dx = x - lastX;
    const int dy = y - lastY;
    lastX = x;
    lastY = y;

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
