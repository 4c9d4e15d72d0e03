#include <gtest/gtest.h>

#include <GL/gl.h>
#include <cmath>

#include "support/program_names.h"
#include "look_at.h"
#include "render/camera.h"
#include "support/gl_test_context.h"

namespace {

void expectModelview(const double want[16])
{
    GLdouble got[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, got);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(got[i], want[i], 2e-5 * (1.0 + std::fabs(want[i]))) << "element " << i;
}

} // namespace

TEST(CameraApply, DefaultsLookAtTheTargetFromTheStoredOffset)
{
    ensureGlContext();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Camera c;
    EXPECT_EQ(c.offset.x, 0.0);
    c.Apply();
    EXPECT_DOUBLE_EQ(c.offset.x, 17.320508075688775);
    EXPECT_DOUBLE_EQ(c.offset.y, 20.000000000000004);
    EXPECT_DOUBLE_EQ(c.offset.z, 29.999999999999996);

    const double eye[3] = {97.32050807568878, 120.0, 110.0};
    const double centre[3] = {80.0, 100.0, 80.0};
    double want[16];
    lookAtMatrix(eye, centre, want);
    expectModelview(want);

    // The target maps to a point straight ahead at distance radius.
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    const double z = m[2] * 80.0 + m[6] * 100.0 + m[10] * 80.0 + m[14];
    EXPECT_NEAR(z, -40.0, 1e-4);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(CameraApply, MultipliesOntoTheCurrentMatrix)
{
    ensureGlContext();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(0.0, 0.0, -5.0);
    Camera c;
    c.AddTheta(2.0);
    c.AddPhi(-0.5);
    c.AddRadius(15.0);
    c.Apply();

    const double eye[3] = {80.0 + c.offset.x, 100.0 + c.offset.y, 80.0 + c.offset.z};
    const double centre[3] = {80.0, 100.0, 80.0};
    double want[16];
    lookAtMatrix(eye, centre, want);
    want[14] -= 5.0;
    expectModelview(want);

    // The eye stays on the sphere of the radius around the target.
    const double len = std::sqrt(c.offset.x * c.offset.x + c.offset.y * c.offset.y +
                                 c.offset.z * c.offset.z);
    EXPECT_NEAR(len, 55.0, 1e-12);
    EXPECT_NEAR(c.offset.y, 55.0 * std::cos(c.phi), 1e-12);
    glLoadIdentity();
}
