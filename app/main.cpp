#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <GL/glut.h>

#include "app/fixed_gl_state.h"
#include "app/idle.h"
#include "app/program_options.h"
#include "app/reshape.h"
#include "app/state.h"
#include "app/window_identity.h"
#include "background/skybox.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "render/display.h"
#include "render/text.h"

int main(int argc, char** argv)
{
    // --help, --version and a bad command line are answered without a display.
    readCommandLine(argc, argv);

    // Line-buffered so that the progress and drop lines reach a pipe as they happen.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("Init\n");
    basin.generator.seed(uint32_t(std::time(nullptr)));
    startSimulation();

    glutInit(&argc, argv);
    refuseLeftoverArguments(argc, argv);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Ripplemoor");
    setWindowIdentity();

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutIdleFunc(idle);
    glutKeyboardFunc(keyboard);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutPassiveMotionFunc(passiveMotion);

    setFixedGlState();

    skybox = new Skybox();
    Rect rect = {0, 0, 400, 300};
    skybox->Init(&rect);

    initFont();

    std::printf("Starting simulation...\n");
    glutMainLoop();
    return 0;
}
