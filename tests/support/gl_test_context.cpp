#include "support/gl_test_context.h"

#include <GL/freeglut.h>

static void noDisplay() {}

int ensureGlContext(int width, int height)
{
    static int window = 0;
    if (window == 0) {
        int argc = 1;
        char name[] = "ripplemoor-test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitWindowSize(width, height);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
        window = glutCreateWindow("ripplemoor-test");
        glutDisplayFunc(noDisplay);
    }
    glutSetWindow(window);
    return window;
}

void pumpGlutEvents() { glutMainLoopEvent(); }
