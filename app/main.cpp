#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <GL/glut.h>

#include "app/experiment.h"
#include "app/fixed_gl_state.h"
#include "app/idle.h"
#include "app/program.h"
#include "app/program_options.h"
#include "app/reshape.h"
#include "app/window_identity.h"
#include "background/skybox.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "render/display.h"
#include "render/text.h"

int main(int argc, char** argv)
{
    // --help, --version and a bad command line are answered without a display.
    const ProgramOptions options = readCommandLine(argc, argv);

    // Line-buffered so that the progress and drop lines reach a pipe as they happen.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("Init\n");
    Program& program = activeProgram();
    const uint32_t seed = options.seeded ? options.seed : uint32_t(std::time(nullptr));
    startProgram(program, options.config, seed);
    if (options.hasScene)
        loadScene(program, options.scene, options.config.threads);
    View& view = program.view;

    // GLUT sees only its own options.
    std::vector<char*> glutArgv;
    for (const std::string& arg : options.glutArguments)
        glutArgv.push_back(const_cast<char*>(arg.c_str()));
    int glutArgc = int(glutArgv.size());
    glutArgv.push_back(nullptr);
    glutInit(&glutArgc, glutArgv.data());
    refuseLeftoverArguments(glutArgc, glutArgv.data());
    view.windowWidth = options.windowWidth;
    view.windowHeight = options.windowHeight;
    glutInitWindowSize(view.windowWidth, view.windowHeight);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Ripplemoor");
    setWindowIdentity();

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutIdleFunc(idle);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(special);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutPassiveMotionFunc(passiveMotion);

    setFixedGlState(view);

    view.skybox = new Skybox(options.sky);
    Rect rect = {0, 0, 400, 300};
    view.skybox->Init(&rect);

    view.fontBase = initFont();

    std::printf("Starting simulation...\n");
    glutMainLoop();
    return 0;
}
