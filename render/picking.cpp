#include "render/picking.h"

#include <cmath>

namespace {

using Vec3 = Camera::Vec3;

Vec3 cross(const Vec3& a, const Vec3& b)
{
    return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 unit(const Vec3& a)
{
    const double length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return Vec3{a.x / length, a.y / length, a.z / length};
}

} // namespace

PickedCell pickCell(const Camera& camera, int windowWidth, int windowHeight, double level, int px, int py)
{
    const PickedCell miss{false, 0, 0};
    if (windowWidth <= 0 || windowHeight <= 0)
        return miss;
    const Vec3 offset = camera.eyeOffset();
    const Vec3 eye{camera.target.x + offset.x, camera.target.y + offset.y, camera.target.z + offset.z};
    // The look-at basis: forward, side (forward x up) and the true up.
    const Vec3 forward = unit(Vec3{-offset.x, -offset.y, -offset.z});
    const Vec3 side = unit(cross(forward, Vec3{0.0, 1.0, 0.0}));
    const Vec3 up = cross(side, forward);

    // The pixel's centre in normalised device coordinates, then on the plane one
    // unit in front of the eye.
    const double ndcX = 2.0 * (px + 0.5) / windowWidth - 1.0;
    const double ndcY = 1.0 - 2.0 * (py + 0.5) / windowHeight;
    const double tanHalf = std::tan(0.5 * FIELD_OF_VIEW_DEGREES * 3.141592653589793 / 180.0);
    const double aspect = double(windowWidth) / double(windowHeight);
    const double ex = ndcX * tanHalf * aspect;
    const double ey = ndcY * tanHalf;
    const Vec3 ray{forward.x + side.x * ex + up.x * ey, forward.y + side.y * ex + up.y * ey,
                   forward.z + side.z * ex + up.z * ey};

    if (std::fabs(ray.y) < 1e-12)
        return miss;
    const double t = (level - eye.y) / ray.y;
    if (!(t > 0.0))
        return miss;
    const double x = eye.x + t * ray.x;
    const double z = eye.z + t * ray.z;
    // Far off the basin the cell index would not fit an int.
    if (!(std::fabs(x) < 1e9 && std::fabs(z) < 1e9))
        return miss;
    return PickedCell{true, int(std::lround(x)), int(std::lround(z))};
}
