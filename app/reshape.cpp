#include "app/reshape.h"

#include <GL/glu.h>

void resizeView(Program& program, int width, int height)
{
    program.view.windowWidth = width;
    program.view.windowHeight = height;

    glViewport(0, 0, width, height);

    // A minimised window reports a height of 0; an infinite or NaN aspect ratio
    // would poison the projection, so treat it as one pixel high.
    const double aspect = double(width) / double(height > 0 ? height : 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW_DEGREES, aspect, NEAR_PLANE,
                   farPlane(program.basin.width(), program.basin.height()));

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void reshape(int width, int height) { resizeView(activeProgram(), width, height); }
