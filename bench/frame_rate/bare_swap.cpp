// Baseline for frame-rate comparisons: a 640 x 480 GLUT window with the program's
// display mode that only clears and swaps, redrawn from the idle callback as fast
// as the GL allows. Esc exits with status 0.
#include <cstdlib>

#include <GL/glut.h>

static void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

static void idle() { glutPostRedisplay(); }

// The code GLUT passes for the Esc key (ASCII ESC).
constexpr unsigned char ESCAPE = 27;

static void keyboard(unsigned char key, int, int)
{
    if (key == ESCAPE)
        std::exit(0);
}

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitWindowSize(640, 480);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("bare-swap");
    glutDisplayFunc(display);
    glutIdleFunc(idle);
    glutKeyboardFunc(keyboard);
    glClearColor(0.7f, 0.8f, 1.0f, 1.0f);
    glutMainLoop();
    return 0;
}
