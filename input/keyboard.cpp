#include "input/keyboard.h"

#include <cstdlib>

#include <GL/gl.h>

#include "app/state.h"
#include "app/drops.h"

namespace {

// The code GLUT passes for the Esc key (ASCII ESC).
constexpr unsigned char ESCAPE = 27;

} // namespace

void keyboard(unsigned char key, int /*x*/, int /*y*/)
{
    switch (key) {
    case ESCAPE:
        std::exit(0);
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
        colorMode = key - '0';
        break;
    case 'b':
        // Equal offsets give equal channels: grey tones.
        colorOffsets[0] = 0.0;
        colorOffsets[1] = 0.0;
        break;
    case 'c':
        colorOffsets[0] = COLOR_OFFSETS_AT_START[0];
        colorOffsets[1] = COLOR_OFFSETS_AT_START[1];
        break;
    case 'd':
        randomDrop();
        break;
    case 'f':
        glShadeModel(GL_FLAT);
        break;
    case 'p':
        paused = !paused;
        break;
    case 'r':
        resetFields();
        break;
    case 's':
        glShadeModel(GL_SMOOTH);
        break;
    default:
        // Every other key, upper case included, is ignored.
        break;
    }
}
