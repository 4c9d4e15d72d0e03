#include "input/mouse.h"

#include <GL/freeglut.h>

#include "input/controls.h"

static_assert(GLUT_LEFT_BUTTON == BUTTON_LEFT && GLUT_MIDDLE_BUTTON == BUTTON_MIDDLE &&
                  GLUT_RIGHT_BUTTON == BUTTON_RIGHT && GLUT_DOWN == BUTTON_DOWN && GLUT_UP == BUTTON_UP,
              "the controls take GLUT's numbers");

void mouse(int button, int state, int x, int y)
{
    // GLUT reports the modifiers only inside its input callbacks; only a left
    // press reads them.
    const bool leftPress = button == GLUT_LEFT_BUTTON && state == GLUT_DOWN;
    const int held = leftPress && glutGet(GLUT_INIT_STATE) ? glutGetModifiers() : 0;
    Modifiers modifiers;
    modifiers.shift = (held & GLUT_ACTIVE_SHIFT) != 0;
    modifiers.ctrl = (held & GLUT_ACTIVE_CTRL) != 0;
    pressButton(activeProgram(), button, state, x, y, modifiers);
}

void motion(int x, int y) { dragPointer(activeProgram(), x, y); }

void passiveMotion(int /*x*/, int /*y*/)
{
    // Deliberately nothing: the next drag is measured from where the last one ended.
}
