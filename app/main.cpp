#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <GL/glut.h>

#include "app/idle.h"
#include "app/reshape.h"
#include "app/state.h"
#include "background/skybox.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "render/display.h"
#include "render/text.h"

int main(int argc, char** argv)
{
    // Line-buffered so that the progress and drop lines reach a pipe as they happen.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("Init\n");
    std::srand(unsigned(std::time(nullptr)));

    colorMode = 0;
    sizeFields();
    resetFields();

    glutInit(&argc, argv);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Ripplemoor");

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutIdleFunc(idle);
    glutKeyboardFunc(keyboard);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutPassiveMotionFunc(passiveMotion);

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    // Clockwise is front-facing everywhere but inside the sky's own list.
    glFrontFace(GL_CW);

    const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat diffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat specular[] = {0.6f, 0.6f, 0.6f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    // w stays 0 for the whole run: a directional light.
    lightPosition[0] = 1.0f;
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnable(GL_LIGHT0);

    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glClearColor(0.7f, 0.8f, 1.0f, 1.0f);

    skybox = new Skybox();
    Rect rect = {0, 0, 400, 300};
    skybox->Init(&rect);

    initFont();
    resetRanges();

    std::printf("Starting simulation...\n");
    glutMainLoop();
    return 0;
}
