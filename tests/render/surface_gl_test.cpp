#include <gtest/gtest.h>

#include <GL/gl.h>
#include <cmath>
#include <vector>

#include "support/program_names.h"
#include "render/surface.h"
#include "support/gl_test_context.h"

namespace {

constexpr int STRIPS = 158;
constexpr int TRIANGLES_PER_STRIP = 318;

struct FeedbackVertex {
    double x, y, z; // back in world units
    float r, g, b, a;
};

struct Triangle {
    FeedbackVertex v[3];
};

// Orthographic, uniformly scaled view from above that keeps the whole basin
// (heights 0 to 200) inside the clip volume, so feedback returns every
// triangle unclipped. World X -> window x, Z -> window y, Y -> depth.
void setOverheadView()
{
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    const GLdouble m[16] = {0.01, 0.0, 0.0, 0.0,
                            0.0, 0.0, 0.01, 0.0,
                            0.0, 0.01, 0.0, 0.0,
                            -0.8, -0.8, -1.0, 1.0};
    glLoadMatrixd(m);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
}

FeedbackVertex toWorld(const GLfloat* f)
{
    FeedbackVertex v;
    v.x = (f[0] / 320.0 - 1.0) * 100.0 + 80.0;
    v.z = (f[1] / 240.0 - 1.0) * 100.0 + 80.0;
    v.y = (2.0 * f[2] - 1.0) * 100.0 + 100.0;
    v.r = f[3];
    v.g = f[4];
    v.b = f[5];
    v.a = f[6];
    return v;
}

// Draws the surface in feedback mode and returns the triangles in order.
std::vector<Triangle> captureSurface()
{
    static std::vector<GLfloat> buffer(size_t(STRIPS) * TRIANGLES_PER_STRIP * 23 + 1024);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    drawSurface(basin, colorOffsets, view.surface);
    const GLint count = glRenderMode(GL_RENDER);
    EXPECT_GT(count, 0) << "feedback buffer overflow";

    std::vector<Triangle> triangles;
    for (GLint i = 0; i < count;) {
        const GLenum token = GLenum(buffer[size_t(i)]);
        if (token == GL_POLYGON_TOKEN) {
            const int n = int(buffer[size_t(i) + 1]);
            EXPECT_EQ(n, 3);
            Triangle t;
            for (int k = 0; k < 3; ++k)
                t.v[k] = toWorld(&buffer[size_t(i) + 2 + size_t(k) * 7]);
            triangles.push_back(t);
            i += 2 + n * 7;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return triangles;
}

// Grid position (column, row) of vertex j of strip y in the order it is sent.
void stripVertex(int y, int j, int& x, int& row)
{
    x = j / 2;
    row = (j % 2 == 0) ? y + 1 : y;
}

int vertexColumn(const FeedbackVertex& v) { return int(std::lround(v.x)); }
int vertexRow(const FeedbackVertex& v) { return int(std::lround(v.z)); }

// Index into a triangle of the vertex at grid position (x, row), or -1.
int findVertex(const Triangle& t, int x, int row)
{
    for (int k = 0; k < 3; ++k)
        if (vertexColumn(t.v[k]) == x && vertexRow(t.v[k]) == row)
            return k;
    return -1;
}

void startAtRest()
{
    ensureGlContext();
    resetFields();
    colorMode = 0;
    colorOffsets[0] = 1.0 / 3.0;
    colorOffsets[1] = -1.0 / 3.0;
    glDisable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    setOverheadView();
}

// Lighting that makes a vertex's blue channel its normal's dot product with
// the direction towards the light: no ambient, no specular, colour = diffuse.
void setDotProductLighting(float lx, float ly, float lz)
{
    const GLfloat zero[] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat one[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat direction[] = {lx, ly, lz, 0.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, zero);
    glLightfv(GL_LIGHT0, GL_AMBIENT, zero);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, one);
    glLightfv(GL_LIGHT0, GL_SPECULAR, zero);
    glLightfv(GL_LIGHT0, GL_POSITION, direction); // under the overhead view
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, zero);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, zero);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, zero);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

void stopLighting()
{
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
}

// Blue channel of every appearance of vertex (x, row) in strip y; all must agree.
float litBlue(const std::vector<Triangle>& triangles, int y, int x, int row)
{
    float value = -1.0f;
    int seen = 0;
    for (int i = 0; i < TRIANGLES_PER_STRIP; ++i) {
        const Triangle& t = triangles[size_t((y - 1) * TRIANGLES_PER_STRIP + i)];
        const int k = findVertex(t, x, row);
        if (k < 0)
            continue;
        if (seen++ == 0)
            value = t.v[k].b;
        else
            EXPECT_FLOAT_EQ(t.v[k].b, value) << "vertex " << x << ", " << row;
    }
    EXPECT_GT(seen, 0);
    return value;
}

} // namespace

TEST(SurfaceGeometry, StripsCoverRowsOneToOneFiftyNineInOrder)
{
    startAtRest();
    const std::vector<Triangle> triangles = captureSurface();
    ASSERT_EQ(triangles.size(), size_t(STRIPS * TRIANGLES_PER_STRIP)); // 50,244

    // Triangle i of strip y is made of sent vertices i, i+1, i+2 of that strip,
    // which proves 158 strips of 320 vertices each: 50,560 vertices a frame.
    int mismatches = 0;
    for (int y = 1; y <= STRIPS; ++y) {
        for (int i = 0; i < TRIANGLES_PER_STRIP; ++i) {
            const Triangle& t = triangles[size_t((y - 1) * TRIANGLES_PER_STRIP + i)];
            for (int j = i; j < i + 3; ++j) {
                int x, row;
                stripVertex(y, j, x, row);
                if (findVertex(t, x, row) < 0 && ++mismatches < 5)
                    ADD_FAILURE() << "strip " << y << " triangle " << i << " lacks vertex " << j;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);

    // At rest every vertex lies at Y = 100, exactly on the grid, in the plain colour.
    int minRow = 1000, maxRow = -1, minCol = 1000, maxCol = -1;
    for (const Triangle& t : triangles) {
        for (const FeedbackVertex& v : t.v) {
            ASSERT_NEAR(v.y, 100.0, 1e-3);
            ASSERT_NEAR(v.x, std::round(v.x), 1e-3);
            ASSERT_NEAR(v.z, std::round(v.z), 1e-3);
            ASSERT_NEAR(v.r, 0.0f, 1e-6f);
            ASSERT_NEAR(v.g, 0.16000009f, 1e-6f);
            ASSERT_NEAR(v.b, 1.0f, 1e-6f);
            minRow = std::min(minRow, vertexRow(v));
            maxRow = std::max(maxRow, vertexRow(v));
            minCol = std::min(minCol, vertexColumn(v));
            maxCol = std::max(maxCol, vertexColumn(v));
        }
    }
    EXPECT_EQ(minRow, 1); // row 0 is never drawn
    EXPECT_EQ(maxRow, 159);
    EXPECT_EQ(minCol, 0);
    EXPECT_EQ(maxCol, 159);
}

TEST(SurfaceGeometry, HeightsAndColoursFollowTheirOwnCell)
{
    startAtRest();
    colorMode = 1;
    hMin = 1.0f;
    hScale = 4.0f; // h = 1.25 -> t = 1: red; h = 1 -> t = 0: red as well
    h[unsigned(cellIndex(30, 70))] = 1.25f;
    h[unsigned(cellIndex(31, 70))] = float(1.0 + 1.0 / 12.0); // t = 1/3: green
    basin.noteFieldsChanged(); // written directly, not by a step, drop or reset

    const std::vector<Triangle> triangles = captureSurface();
    ASSERT_EQ(triangles.size(), size_t(STRIPS * TRIANGLES_PER_STRIP));
    int raised = 0, green = 0;
    for (const Triangle& t : triangles) {
        for (const FeedbackVertex& v : t.v) {
            const int x = vertexColumn(v), row = vertexRow(v);
            if (x == 30 && row == 70) {
                ++raised;
                EXPECT_NEAR(v.y, 125.0, 1e-3);
                EXPECT_NEAR(v.r, 1.0f, 1e-6f);
                EXPECT_NEAR(v.g, 0.0f, 1e-6f);
            } else if (x == 31 && row == 70) {
                ++green;
                EXPECT_NEAR(v.g, 1.0f, 1e-5f);
                EXPECT_NEAR(v.r, 0.0f, 1e-5f);
            } else {
                ASSERT_NEAR(v.y, 100.0, 1e-3);
            }
        }
    }
    // Each inner vertex belongs to three triangles in each of its two strips.
    EXPECT_EQ(raised, 6);
    EXPECT_EQ(green, 6);
    hScale = 0.0f;
}

TEST(SurfaceNormals, OpeningPairCarriesThePreviousNormal)
{
    startAtRest();
    glNormal3f(1.0f, 0.0f, 0.0f); // sideways: unlit under a light from above
    setDotProductLighting(0.0f, 1.0f, 0.0f);
    const std::vector<Triangle> triangles = captureSurface();
    stopLighting();
    ASSERT_EQ(triangles.size(), size_t(STRIPS * TRIANGLES_PER_STRIP));

    // Only the first strip's opening pair still has the sideways normal; every
    // later strip opens with the previous strip's last normal, (0, 1, 0).
    EXPECT_NEAR(litBlue(triangles, 1, 0, 2), 0.0f, 1e-6f);
    EXPECT_NEAR(litBlue(triangles, 1, 0, 1), 0.0f, 1e-6f);
    EXPECT_NEAR(litBlue(triangles, 1, 1, 2), 1.0f, 1e-6f);
    EXPECT_NEAR(litBlue(triangles, 2, 0, 3), 1.0f, 1e-6f);
    EXPECT_NEAR(litBlue(triangles, 2, 0, 2), 1.0f, 1e-6f);
    EXPECT_NEAR(litBlue(triangles, 158, 0, 158), 1.0f, 1e-6f);
    EXPECT_NEAR(litBlue(triangles, 90, 77, 91), 1.0f, 1e-6f);

    GLfloat n[4];
    glGetFloatv(GL_CURRENT_NORMAL, n);
    EXPECT_EQ(n[0], 0.0f);
    EXPECT_EQ(n[1], 1.0f);
    EXPECT_EQ(n[2], 0.0f);
}

TEST(SurfaceNormals, OneRaisedVertexIsLitFromItsSlope)
{
    startAtRest();
    const int x = 40, y = 60; // raised: (x, y + 1), the upper vertex of strip y
    h[unsigned(cellIndex(x, y + 1))] = 1.25f;
    basin.noteFieldsChanged(); // written directly, not by a step, drop or reset
    const float steep = float(25.0 / std::sqrt(626.0)); // 0.99920
    const float flat = float(1.0 / std::sqrt(626.0));   // 0.03997

    struct Case {
        float lx, ly, lz;
        float upper, lower;
    } cases[] = {
        {0.0f, 1.0f, 0.0f, flat, flat},    // both tilted away from straight up
        {-1.0f, 0.0f, 0.0f, steep, 0.0f},  // upper normal leans towards -X
        {0.0f, 0.0f, -1.0f, 0.0f, steep},  // lower normal leans towards -Z
    };
    for (const Case& c : cases) {
        setDotProductLighting(c.lx, c.ly, c.lz);
        const std::vector<Triangle> triangles = captureSurface();
        stopLighting();
        ASSERT_EQ(triangles.size(), size_t(STRIPS * TRIANGLES_PER_STRIP));
        EXPECT_NEAR(litBlue(triangles, y, x, y + 1), c.upper, 2e-5f) << c.lx << c.ly << c.lz;
        EXPECT_NEAR(litBlue(triangles, y, x, y), c.lower, 2e-5f) << c.lx << c.ly << c.lz;
    }
}

TEST(SurfaceNormals, LastNormalAndColourOfTheFrameAreTheLastLowerVertex)
{
    startAtRest();
    h[unsigned(cellIndex(159, 159))] = 1.25f;
    basin.noteFieldsChanged(); // written directly, not by a step, drop or reset
    drawSurface(basin, colorOffsets, view.surface);
    GLfloat n[4];
    glGetFloatv(GL_CURRENT_NORMAL, n);
    EXPECT_EQ(n[0], 0.0f);
    EXPECT_NEAR(n[1], 0.03997f, 5e-6f);
    EXPECT_NEAR(n[2], -0.99920f, 5e-6f);
    const SurfaceNormal expected = lowerNormal(gridOf(basin), 159, 158);
    EXPECT_EQ(n[1], float(expected.y));
    EXPECT_EQ(n[2], float(expected.z));

    GLfloat color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_EQ(color[0], 0.0f);
    EXPECT_EQ(color[1], 0.16000009f);
    EXPECT_EQ(color[2], 1.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
