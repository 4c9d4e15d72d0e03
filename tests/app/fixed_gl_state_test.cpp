#include <gtest/gtest.h>

#include <GL/gl.h>

#include "app/fixed_gl_state.h"
#include "support/program_names.h"
#include "support/gl_test_context.h"

namespace {

void expectLight(GLenum pname, float r, float g, float b, float a)
{
    GLfloat value[4];
    glGetLightfv(GL_LIGHT0, pname, value);
    EXPECT_EQ(value[0], r);
    EXPECT_EQ(value[1], g);
    EXPECT_EQ(value[2], b);
    EXPECT_EQ(value[3], a);
}

GLint integer(GLenum pname)
{
    GLint value = 0;
    glGetIntegerv(pname, &value);
    return value;
}

} // namespace

TEST(FixedGlState, MatchesWhatTheDrawingReliesOn)
{
    ensureGlContext();
    // Fronts are clockwise, the GL default is counter-clockwise: start from the default.
    glFrontFace(GL_CCW);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setFixedGlState(view);

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_EQ(integer(GL_FRONT_FACE), GL_CW);
    EXPECT_EQ(integer(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_EQ(integer(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);

    expectLight(GL_AMBIENT, 0.2f, 0.2f, 0.2f, 1.0f);
    expectLight(GL_DIFFUSE, 1.0f, 1.0f, 1.0f, 1.0f);
    expectLight(GL_SPECULAR, 0.6f, 0.6f, 0.6f, 1.0f);
    // A directional light along +X (w = 0), given under an identity modelview.
    expectLight(GL_POSITION, 1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(lightPosition[0], 1.0f);
    EXPECT_EQ(lightPosition[3], 0.0f);

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.7f);
    EXPECT_EQ(clear[1], 0.8f);
    EXPECT_EQ(clear[2], 1.0f);
    EXPECT_EQ(clear[3], 1.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
