// The cell under a pixel, through the camera: cells projected with the matrices
// the frame uses (a look-at built by hand, GLU's perspective arithmetic and
// gluProject) map back to themselves, at many orbits, zooms and basin sizes.

#include <gtest/gtest.h>

#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <vector>

#include "look_at.h"
#include "render/camera.h"
#include "render/picking.h"

namespace {

constexpr double LEVEL = 100.0; // the drawn water at rest

// gluPerspective's matrix, column-major.
void perspective(double fovy, double aspect, double zNear, double zFar, double m[16])
{
    const double f = 1.0 / std::tan(fovy * 3.141592653589793 / 360.0);
    for (int k = 0; k < 16; ++k)
        m[k] = 0.0;
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (zFar + zNear) / (zNear - zFar);
    m[11] = -1.0;
    m[14] = 2.0 * zFar * zNear / (zNear - zFar);
}

struct Pixel {
    bool inside;
    int x, y; // origin top-left
};

// Where the frame draws the centre of cell (x, y) at rest.
Pixel project(const Camera& camera, int width, int height, double far, int x, int y)
{
    const Camera::Vec3 o = camera.eyeOffset();
    const double eye[3] = {camera.target.x + o.x, camera.target.y + o.y, camera.target.z + o.z};
    const double centre[3] = {camera.target.x, camera.target.y, camera.target.z};
    double model[16], proj[16];
    lookAtMatrix(eye, centre, model);
    perspective(FIELD_OF_VIEW_DEGREES, double(width) / height, NEAR_PLANE, far, proj);
    const GLint viewport[4] = {0, 0, width, height};
    double wx = 0, wy = 0, wz = 0;
    if (gluProject(x, LEVEL, y, model, proj, viewport, &wx, &wy, &wz) != GL_TRUE)
        return Pixel{false, 0, 0};
    const int px = int(std::floor(wx));
    const int py = height - 1 - int(std::floor(wy));
    return Pixel{wz > 0.0 && wz < 1.0 && px >= 0 && py >= 0 && px < width && py < height, px, py};
}

// How many cells one pixel spans at (px, py): the largest step in the picked
// cell to the next pixel across or down.
int footprint(const Camera& camera, int width, int height, const PickedCell& c, int px, int py)
{
    int cells = 0;
    const PickedCell across = pickCell(camera, width, height, LEVEL, px + 1, py);
    const PickedCell down = pickCell(camera, width, height, LEVEL, px, py + 1);
    for (const PickedCell& n : {across, down}) {
        if (n.hit)
            cells = std::max({cells, std::abs(n.x - c.x), std::abs(n.y - c.y)});
    }
    return cells;
}

// The pick at the pixel of the centre of cell (x, y): that very cell where a
// cell covers more than a pixel, else within one pixel's footprint of it.
// Returns whether it was exact.
bool expectPickedBack(const Camera& camera, int width, int height, const Pixel& p, int x, int y)
{
    const PickedCell c = pickCell(camera, width, height, LEVEL, p.x, p.y);
    EXPECT_TRUE(c.hit) << x << "," << y;
    const int slack = footprint(camera, width, height, c, p.x, p.y);
    EXPECT_LE(std::abs(c.x - x), slack) << "cell " << x << "," << y << " picked as " << c.x << "," << c.y;
    EXPECT_LE(std::abs(c.y - y), slack) << "cell " << x << "," << y << " picked as " << c.x << "," << c.y;
    return c.x == x && c.y == y;
}

struct View {
    double theta, phi, radiusScale;
};

// Every cell on a coarse lattice of the basin that lands in the window; returns
// how many were picked exactly.
int expectCellsPickBack(int basinWidth, int basinHeight, const View& v, int width, int height)
{
    Camera camera;
    frameBasin(camera, basinWidth, basinHeight);
    camera.theta = v.theta;
    camera.phi = v.phi;
    camera.radius *= v.radiusScale;
    const double far = farPlane(basinWidth, basinHeight);
    int checked = 0;
    const int step = std::max(1, std::max(basinWidth, basinHeight) / 23);
    for (int y = 0; y < basinHeight; y += step) {
        for (int x = 0; x < basinWidth; x += step) {
            const Pixel p = project(camera, width, height, far, x, y);
            if (!p.inside)
                continue;
            checked += expectPickedBack(camera, width, height, p, x, y) ? 1 : 0;
        }
    }
    return checked;
}

} // namespace

TEST(Picking, TheCellAtACellsProjectedCentreIsThatCell)
{
    // The seed's close view and others around it.
    Camera camera;
    frameBasin(camera, 160, 160);
    int exact = 0;
    for (double theta : {1.0471975511965976, 0.2, 2.5, 4.0, 5.9}) {
        for (double phi : {1.0471975511965976, 0.3, 1.3}) {
            for (double radius : {15.0, 40.0, 70.0}) {
                camera.theta = theta;
                camera.phi = phi;
                camera.radius = radius;
                for (int y = 0; y < 160; y += 3) {
                    for (int x = 0; x < 160; x += 3) {
                        const Pixel p = project(camera, 640, 480, 550.0, x, y);
                        if (!p.inside)
                            continue;
                        SCOPED_TRACE(testing::Message() << "theta " << theta << ", phi " << phi
                                                        << ", radius " << radius);
                        exact += expectPickedBack(camera, 640, 480, p, x, y) ? 1 : 0;
                    }
                }
            }
        }
    }
    EXPECT_GT(exact, 1000);
}

TEST(Picking, EveryBasinSizeAndWindowPicksThroughItsFraming)
{
    const View views[] = {{1.0471975511965976, 1.0471975511965976, 1.0},
                          {0.4, 0.6, 0.5},
                          {3.5, 1.2, 0.3},
                          {5.5, 0.2, 0.8}};
    struct Size {
        int width, height;
    } sizes[] = {{400, 120}, {64, 300}, {512, 512}, {37, 23}};
    for (const Size& s : sizes) {
        for (const View& v : views) {
            EXPECT_GT(expectCellsPickBack(s.width, s.height, v, 640, 480), 0) << s.width << "x" << s.height;
            EXPECT_GT(expectCellsPickBack(s.width, s.height, v, 1024, 400), 0) << s.width << "x" << s.height;
        }
    }
}

TEST(Picking, RaysThatMissTheWaterPickNothing)
{
    Camera camera;
    // Looking level or upwards from above the water: the top row of pixels sees sky.
    camera.phi = 3.141592653589793 / 2.0;
    EXPECT_FALSE(pickCell(camera, 640, 480, LEVEL, 320, 0).hit);
    EXPECT_FALSE(pickCell(camera, 640, 480, LEVEL, 320, 240).hit);
    // A window without area has no pixels.
    EXPECT_FALSE(pickCell(Camera(), 0, 480, LEVEL, 0, 0).hit);
    EXPECT_FALSE(pickCell(Camera(), 640, 0, LEVEL, 0, 0).hit);
    // Straight down from above, the middle pixel is the target's cell.
    camera.phi = PHI_MIN;
    const PickedCell below = pickCell(camera, 640, 480, LEVEL, 320, 240);
    ASSERT_TRUE(below.hit);
    EXPECT_EQ(below.x, 80);
    EXPECT_EQ(below.y, 80);
}

TEST(Framing, TheSeedsBasinKeepsTheSeedsViewAndOthersAreSeenWhole)
{
    Camera seed;
    frameBasin(seed, 160, 160);
    const Camera fresh;
    EXPECT_EQ(seed.radius, fresh.radius);
    EXPECT_EQ(seed.target.x, fresh.target.x);
    EXPECT_EQ(seed.target.y, fresh.target.y);
    EXPECT_EQ(seed.target.z, fresh.target.z);
    EXPECT_EQ(seed.phi, fresh.phi);
    EXPECT_EQ(seed.theta, fresh.theta);
    EXPECT_EQ(farPlane(160, 160), 550.0);

    struct Size {
        int width, height;
    } sizes[] = {{400, 120}, {120, 400}, {1024, 1024}, {2048, 2048}, {3, 3}, {161, 160}};
    for (const Size& s : sizes) {
        Camera camera;
        frameBasin(camera, s.width, s.height);
        const double far = farPlane(s.width, s.height);
        const int corners[4][2] = {{0, 0}, {s.width - 1, 0}, {0, s.height - 1}, {s.width - 1, s.height - 1}};
        for (const auto& c : corners) {
            const Pixel p = project(camera, 640, 480, far, c[0], c[1]);
            EXPECT_TRUE(p.inside) << s.width << "x" << s.height << " corner " << c[0] << "," << c[1];
        }
        // And not lost in the middle: the basin spans at least a third of the width.
        const Pixel left = project(camera, 640, 480, far, 0, s.height - 1);
        const Pixel right = project(camera, 640, 480, far, s.width - 1, 0);
        EXPECT_GT(std::abs(right.x - left.x), 640 / 3) << s.width << "x" << s.height;
    }
}
