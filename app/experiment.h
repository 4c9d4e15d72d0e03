#pragma once

// The program's experiment as a scene file (scene/scene.h): loaded from the
// command line or F1-F5, saved with Ctrl+S. GL-free.

#include <ctime>
#include <string>

#include "app/program.h"
#include "scene/scene.h"

// The presets on F1 to F5, in order.
constexpr int FUNCTION_PRESET_COUNT = 5;
extern const char* const FUNCTION_PRESETS[FUNCTION_PRESET_COUNT];

// The program's basin made from the scene (at rest, its walls, constants and
// colour mode, stepping on the given threads), keeping the drop generator; the
// camera where the scene puts it, else framing the whole basin.
void loadScene(Program& program, const Scene& scene, int threads);

// The basin's make-up and the camera.
Scene sceneOfProgram(const Program& program);

// "ripplemoor-YYYYMMDD-HHMMSS.toml" for the local time `when`, with "-2", "-3",
// ... before ".toml" where folder already holds a scene or mask of that name.
std::string sceneFileName(const std::string& folder, std::time_t when);

// Writes the experiment into folder under sceneFileName, its walls as the PNG
// beside it; returns the scene's path. Throws SceneError.
std::string saveExperiment(const Program& program, const std::string& folder, std::time_t when);
