#pragma once

// The command line of ripplemoor: its own options, GLUT's, --help and --version.

#include <cstdint>
#include <string>
#include <vector>

#include "app/program.h"
#include "scene/scene.h"

struct ProgramOptions {
    BasinConfig config;           // --basin and --threads; threads 0 picks by size
    bool seeded = false;          // --seed given; else the drops follow the clock
    uint32_t seed = 0;
    std::string sky = "skybox.tga"; // --sky
    int windowWidth = DEFAULT_WINDOW_WIDTH; // from -geometry
    int windowHeight = DEFAULT_WINDOW_HEIGHT;
    bool hasScene = false; // SCENE given: the basin, walls, mode and camera come from it
    Scene scene;
    // The program's name and the options left for glutInit, in their order.
    std::vector<std::string> glutArguments;
};

// Before anything else (no display is needed): answers --help, --version and
// --list-scenes and exits 0; refuses, with status 2, a bad value or what GLUT
// would not take; reads the scene, and ends with status 2 where it cannot.
ProgramOptions readCommandLine(int argc, char** argv);

// After glutInit, which removed its options from argv: anything left is refused
// with status 2 (a GLUT option that readCommandLine does not know of).
void refuseLeftoverArguments(int argc, char** argv);
