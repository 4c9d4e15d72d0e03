#include "input/mouse.h"

#include <GL/glut.h>

#include "app/state.h"
#include "render/camera.h"
#include "app/drops.h"

void mouse(int button, int state, int x, int y)
{
    // Any button event ends a zoom; only a right press starts one.
    zoomDrag = false;
    if (button == GLUT_RIGHT_BUTTON && state == GLUT_DOWN) {
        zoomDrag = true;
    } else if (button == GLUT_MIDDLE_BUTTON && state == GLUT_DOWN) {
        dropAtPointer(x, y);
    }
}

void motion(int x, int y) { dragCamera(x, y); }

void passiveMotion(int /*x*/, int /*y*/)
{
    // Deliberately nothing: the next drag is measured from where the last one ended.
}
