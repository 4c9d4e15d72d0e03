// The renderer on basins other than the seed's: the strips cover a basin of any
// width and height, large basins are drawn from a sampled mesh no larger than
// the limit, and walls stand as lit blocks. Read back through GL feedback.

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "render/surface.h"
#include "render/wall_blocks.h"
#include "sim/basin.h"
#include "sim/walls.h"
#include "support/gl_test_context.h"

namespace {

struct Polygon {
    std::vector<std::array<double, 3>> corners; // world x, y (height), z
    float red, green, blue;
};

constexpr int VIEWPORT = 1000;

// Orthographic view from above of a square of side `side` world units:
// world X -> window x, Z -> window y, heights 0..200 -> depth.
void overhead(double side)
{
    glViewport(0, 0, VIEWPORT, VIEWPORT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    const GLdouble m[16] = {2.0 / side, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0 / 200.0, 0.0,
                            0.0, 2.0 / side, 0.0, 0.0, -1.0, -1.0, -0.5, 1.0};
    glLoadMatrixd(m);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}

template <class Draw>
std::vector<Polygon> capture(double side, size_t room, const Draw& draw)
{
    overhead(side);
    std::vector<GLfloat> buffer(room);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint count = glRenderMode(GL_RENDER);
    EXPECT_GE(count, 0) << "feedback buffer overflow";
    std::vector<Polygon> polygons;
    for (GLint i = 0; i < count;) {
        EXPECT_EQ(GLenum(buffer[size_t(i)]), GLenum(GL_POLYGON_TOKEN));
        const int n = int(buffer[size_t(i) + 1]);
        Polygon p;
        for (int k = 0; k < n; ++k) {
            const GLfloat* f = &buffer[size_t(i) + 2 + size_t(k) * 7];
            p.corners.push_back({f[0] / VIEWPORT * side, (f[2] - 0.25) * 400.0, f[1] / VIEWPORT * side});
            p.red = f[3];
            p.green = f[4];
            p.blue = f[5];
        }
        polygons.push_back(p);
        i += 2 + n * 7;
    }
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    return polygons;
}

struct Extent {
    double minX = 1e30, maxX = -1e30, minZ = 1e30, maxZ = -1e30;
};

Extent extentOf(const std::vector<Polygon>& polygons)
{
    Extent e;
    for (const Polygon& p : polygons) {
        for (const auto& c : p.corners) {
            e.minX = std::min(e.minX, c[0]);
            e.maxX = std::max(e.maxX, c[0]);
            e.minZ = std::min(e.minZ, c[2]);
            e.maxZ = std::max(e.maxZ, c[2]);
        }
    }
    return e;
}

Basin basinOf(int width, int height)
{
    BasinConfig config;
    config.width = width;
    config.height = height;
    return Basin(config);
}

const double COLOUR[2] = {1.0 / 3.0, -1.0 / 3.0};
const double GREY[2] = {0.0, 0.0};

} // namespace

TEST(AnySize, StripsCoverANonSquareBasinFromRowOneToTheLast)
{
    ensureGlContext();
    for (const auto& size : {std::pair<int, int>{37, 23}, {23, 37}, {250, 120}}) {
        Basin basin = basinOf(size.first, size.second);
        basin.addDrop(size.first / 2, size.second / 2, 3, 0.1f);
        basin.step();
        SurfaceCache cache;
        const std::vector<Polygon> triangles =
            capture(std::max(size.first, size.second), 8u << 20, [&] { drawSurface(basin, COLOUR, cache); });
        // Two triangles per column step in each strip; strips join rows 1..H-1.
        EXPECT_EQ(triangles.size(), size_t(size.second - 2) * size_t(2 * (size.first - 1)))
            << size.first << "x" << size.second;
        const Extent e = extentOf(triangles);
        EXPECT_NEAR(e.minX, 0.0, 0.01);
        EXPECT_NEAR(e.maxX, size.first - 1, 0.01);
        EXPECT_NEAR(e.minZ, 1.0, 0.01);
        EXPECT_NEAR(e.maxZ, size.second - 1, 0.01);
        EXPECT_EQ(cache.stride, 1);
    }
}

TEST(AnySize, LargeBasinsAreDrawnFromPointSamplesAtAStride)
{
    ensureGlContext();
    Basin basin = basinOf(1100, 600);
    // A marked cell on the sampling lattice shows at its own place, scaled back.
    basin.h[size_t(basin.cellIndex(300, 150))] = 1.5f;
    basin.noteFieldsChanged();
    SurfaceCache cache;
    const std::vector<Polygon> triangles =
        capture(1100.0, 16u << 20, [&] { drawSurface(basin, COLOUR, cache); });
    // The least stride within 256 vertices a side: 5, so 220 x 120 vertices.
    EXPECT_EQ(cache.stride, 5);
    EXPECT_EQ(cache.width, 220);
    EXPECT_EQ(cache.height, 120);
    EXPECT_LE(cache.width, MESH_SIDE_LIMIT);
    EXPECT_EQ(triangles.size(), size_t(120 - 2) * size_t(2 * (220 - 1)));
    const Extent e = extentOf(triangles);
    EXPECT_NEAR(e.minX, 0.0, 0.05);
    EXPECT_NEAR(e.maxX, 1095.0, 0.05);
    EXPECT_NEAR(e.minZ, 5.0, 0.05);
    EXPECT_NEAR(e.maxZ, 595.0, 0.05);
    bool raised = false;
    for (const Polygon& t : triangles) {
        for (const auto& c : t.corners) {
            if (c[1] > 140.0) {
                raised = true;
                EXPECT_NEAR(c[0], 300.0, 0.05);
                EXPECT_NEAR(c[2], 150.0, 0.05);
            }
        }
    }
    EXPECT_TRUE(raised);

    EXPECT_EQ(meshStride(256, 256), 1);
    EXPECT_EQ(meshStride(160, 257), 2);
    EXPECT_EQ(meshStride(512, 512), 2);
    EXPECT_EQ(meshStride(513, 10), 3);
    EXPECT_EQ(meshStride(2048, 2048), 8);
}

TEST(AnySize, WallsStandAsBlocksInStoneAndGreyAndNothingIsDrawnWithoutThem)
{
    ensureGlContext();
    Basin basin = basinOf(37, 23);
    WallBlocks blocks;
    EXPECT_TRUE(capture(40.0, 1 << 16, [&] { drawWalls(basin, COLOUR, blocks); }).empty());

    fillWalls(basin, 5, 4, 7, 4);   // one run of three cells
    fillWalls(basin, 20, 10, 20, 10); // and a single cell
    const std::vector<Polygon> faces = capture(40.0, 1 << 16, [&] { drawWalls(basin, COLOUR, blocks); });
    // Two blocks of five faces, each face fed back as two triangles.
    ASSERT_EQ(faces.size(), 20u);
    const double top = wallTop(basin);
    EXPECT_GT(top, 100.0);
    int tops = 0;
    for (const Polygon& f : faces) {
        EXPECT_GT(f.red, f.blue) << "stone, not water";
        bool flat = true;
        for (const auto& c : f.corners)
            flat = flat && std::abs(c[1] - top) < 0.5;
        if (!flat)
            continue;
        ++tops;
        // The top's corners are the corners of the run's cells.
        for (const auto& c : f.corners) {
            const bool run = (std::abs(c[0] - 4.5) < 0.01 || std::abs(c[0] - 7.5) < 0.01) &&
                             (std::abs(c[2] - 3.5) < 0.01 || std::abs(c[2] - 4.5) < 0.01);
            const bool single = (std::abs(c[0] - 19.5) < 0.01 || std::abs(c[0] - 20.5) < 0.01) &&
                                (std::abs(c[2] - 9.5) < 0.01 || std::abs(c[2] - 10.5) < 0.01);
            EXPECT_TRUE(run || single) << c[0] << "," << c[2];
        }
    }
    EXPECT_EQ(tops, 4);

    // Grey tones: grey stone, lighter than the water's plain grey.
    for (const Polygon& f : capture(40.0, 1 << 16, [&] { drawWalls(basin, GREY, blocks); })) {
        EXPECT_EQ(f.red, f.green);
        EXPECT_EQ(f.green, f.blue);
        EXPECT_GT(f.red, 0.5f);
    }

    // Walls rubbed out are gone from the next frame.
    fillWalls(basin, 0, 0, 36, 22, false);
    EXPECT_TRUE(capture(40.0, 1 << 16, [&] { drawWalls(basin, COLOUR, blocks); }).empty());
}
