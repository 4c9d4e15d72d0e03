#include "app/reshape.h"

#include <GL/glu.h>

#include "app/state.h"

void reshape(int width, int height)
{
    windowWidth = width;
    windowHeight = height;

    glViewport(0, 0, width, height);

    // A minimised window reports a height of 0; an infinite or NaN aspect ratio
    // would poison the projection, so treat it as one pixel high.
    const double aspect = double(width) / double(height > 0 ? height : 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, aspect, 1.0, 550.0);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
