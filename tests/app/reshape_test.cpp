#include <gtest/gtest.h>

#include <GL/glu.h>
#include <cmath>

#include "app/reshape.h"
#include "support/program_names.h"
#include "support/gl_test_context.h"

namespace {

void readMatrix(GLenum which, double m[16])
{
    GLfloat f[16];
    glGetFloatv(which, f);
    for (int i = 0; i < 16; ++i)
        m[i] = f[i];
}

// What gluPerspective multiplies onto an identity, column-major.
void expectedPerspective(double fovy, double aspect, double zNear, double zFar, double m[16])
{
    const double f = 1.0 / std::tan(fovy * 3.141592653589793 / 360.0);
    for (int i = 0; i < 16; ++i)
        m[i] = 0.0;
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (zFar + zNear) / (zNear - zFar);
    m[11] = -1.0;
    m[14] = 2.0 * zFar * zNear / (zNear - zFar);
}

} // namespace

TEST(Reshape, ViewportAndProjectionFollowTheWindow)
{
    ensureGlContext();
    for (auto [w, hgt] : {std::pair{800, 600}, std::pair{640, 480}, std::pair{300, 900}}) {
        reshape(w, hgt);
        EXPECT_EQ(windowWidth, w);
        EXPECT_EQ(windowHeight, hgt);

        GLint vp[4];
        glGetIntegerv(GL_VIEWPORT, vp);
        EXPECT_EQ(vp[0], 0);
        EXPECT_EQ(vp[1], 0);
        EXPECT_EQ(vp[2], w);
        EXPECT_EQ(vp[3], hgt);

        double got[16], want[16];
        readMatrix(GL_PROJECTION_MATRIX, got);
        expectedPerspective(45.0, double(w) / double(hgt), 1.0, 550.0, want);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(got[i], want[i], 1e-5 * (1.0 + std::fabs(want[i]))) << "element " << i;

        // Left in modelview mode with an identity matrix.
        GLint mode;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        readMatrix(GL_MODELVIEW_MATRIX, got);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(got[i], (i % 5 == 0) ? 1.0 : 0.0);
    }
}

TEST(Reshape, ZeroHeightKeepsTheProjectionFinite)
{
    ensureGlContext();
    reshape(640, 0);
    EXPECT_EQ(windowHeight, 0);
    double got[16];
    readMatrix(GL_PROJECTION_MATRIX, got);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(std::isfinite(got[i])) << "element " << i << " = " << got[i];
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
