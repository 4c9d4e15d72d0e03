#pragma once

// A scene: an experiment in a file. A TOML file holds a basin's size and
// constants, its walls (rectangles and/or a PNG mask beside the file), the
// colour mode and the camera; docs/scenes.md describes the format. Every front
// end (the program, the replay tool, Python) reads it through this library.
//
// Reading is all or nothing: readScene either returns a whole scene or throws,
// and never allocates for a size that checkBasinConfig refuses.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/basin.h"

// The orbit camera's radius and angles (render/camera.h: phi from +Y, theta from
// +X towards +Z), within its bounds; the point it orbits stays the program's
// framing of the basin. Unset: the program frames the basin itself.
struct SceneCamera {
    bool set = false;
    double radius = 0, phi = 0, theta = 0;
};

// A wave maker as a scene gives it (sim/sources.h): a point source at (x0, y0)
// with a radius, or a line from (x0, y0) to (x1, y1).
struct SceneSource {
    bool line = false;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0, radius = 1;
    double period = 1.0, amplitude = 0.0, phase = 0.0, ramp = 2.0;
};

struct SceneSponge {
    int width = 0; // 0: none
    unsigned edges = 0;
    double strength = DEFAULT_SPONGE_STRENGTH;
};

struct Scene {
    // Size and constants; threads stay at their default, the front end's choice.
    BasinConfig config;
    // width * height cells, 0 water, 1 wall; cell (x, y) is element x + y * width.
    std::vector<uint8_t> walls;
    ColorMode colorMode = MODE_PLAIN;
    SceneCamera camera;
    // The wave tank: sources, a sponge, the bed's elevation (width * height, or
    // empty for none) and gauges.
    std::vector<SceneSource> sources;
    SceneSponge sponge;
    std::vector<float> bed;
    std::vector<Gauge> gauges;
};

// "FILE:LINE: message" in what(), or "FILE: message" where no line applies
// (line 0).
class SceneError : public std::runtime_error {
public:
    SceneError(const std::string& file, long line, const std::string& message);
    const std::string& file() const { return file_; }
    long line() const { return line_; }
    const std::string& message() const { return message_; }

private:
    std::string file_;
    long line_;
    std::string message_;
};

// Reads a scene file, or the preset of that name where no such file exists and
// the name has no '/' (see presets.h). Mask paths are relative to the file.
Scene readScene(const std::string& pathOrPreset);

// Reads a scene from TOML text; name is the file named in messages and folder
// the one that mask paths are relative to.
Scene parseScene(const std::string& text, const std::string& name, const std::string& folder);

// A basin at rest with the scene's size, constants, walls, colour mode, bed,
// sources, sponge and gauges, on the given threads (0: by size).
Basin basinOfScene(const Scene& scene, int threads = 1);

// What a basin's make-up is as a scene: its configuration, walls (any non-zero
// cell a wall), colour mode, bed, sources, sponge and gauges; the camera unset.
Scene sceneOfBasin(const Basin& basin);

// Writes the scene to tomlPath and its walls as a PNG mask beside it (the same
// path with .png in place of .toml, or .png added). Reading the file back gives
// the same scene, and writing that gives the same bytes. Throws SceneError.
void writeScene(const Scene& scene, const std::string& tomlPath);

// The presets' names, sorted: "channel", "corner-reflector", "harbour",
// "one-slit", "two-slits" and any others installed beside them.
std::vector<std::string> presetNames();
