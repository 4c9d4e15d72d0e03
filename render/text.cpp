#include "render/text.h"

#include <GL/glu.h>
#include <GL/glut.h>

namespace {
constexpr int GLYPH_LISTS = 128; // character codes 0..127; nothing above has a list
}

unsigned int initFont()
{
    const GLuint fontBase = glGenLists(GLYPH_LISTS);
    for (int c = 0; c < GLYPH_LISTS; ++c) {
        glNewList(fontBase + unsigned(c), GL_COMPILE);
        glutBitmapCharacter(GLUT_BITMAP_TIMES_ROMAN_24, c);
        glEndList();
    }
    // A byte string handed to glCallLists then selects each glyph directly.
    glListBase(fontBase);
    return fontBase;
}

void drawText(std::string text, float x, float y)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, 1.0, 0.0, 1.0);

    glEnable(GL_COLOR_MATERIAL);
    glColor3f(0.0f, 0.0f, 0.0f);
    glRasterPos2f(x, y);
    glCallLists(GLsizei(text.size()), GL_UNSIGNED_BYTE, text.data());
    glDisable(GL_COLOR_MATERIAL);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
