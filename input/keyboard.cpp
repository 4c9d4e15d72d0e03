#include "input/keyboard.h"

#include <cstdlib>

#include <GL/gl.h>

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
