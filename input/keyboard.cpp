#include "input/keyboard.h"

#include <cstdlib>

#include <GL/glut.h>

#include "app/reshape.h"
#include "input/controls.h"

namespace {

// The code GLUT passes for the Esc key (ASCII ESC).
constexpr unsigned char ESCAPE = 27;

} // namespace

void keyboard(unsigned char key, int /*x*/, int /*y*/)
{
    switch (key) {
    case ESCAPE:
        std::exit(0);
    case 'f':
        glShadeModel(GL_FLAT);
        break;
    case 's':
        glShadeModel(GL_SMOOTH);
        break;
    default:
        pressKey(activeProgram(), key);
        break;
    }
}

void special(int key, int /*x*/, int /*y*/)
{
    static_assert(GLUT_KEY_F2 == GLUT_KEY_F1 + 1 && GLUT_KEY_F5 == GLUT_KEY_F1 + 4, "F1 to F5 in a row");
    Program& program = activeProgram();
    if (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F5 && pressFunctionKey(program, key - GLUT_KEY_F1 + 1)) {
        // Another basin may need another far plane.
        resizeView(program, program.view.windowWidth, program.view.windowHeight);
    }
}
