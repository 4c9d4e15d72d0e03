// The page's WebAssembly module: the desktop program's state, its key and
// pointer handling, its camera and the surface's vertex attributes, under plain
// C names that web/page.js calls. Everything GL is the page's; nothing here
// draws.

#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/experiment.h"
#include "app/program.h"
#include "input/controls.h"
#include "render/camera.h"
#include "render/overlay.h"
#include "render/surface.h"
#include "render/wall_blocks.h"
#include "scene/scene.h"
#include "sim/basin.h"
#include "simd/targets.h"
#include "sky/sky_picture.h"

namespace {

// The page's clock: performance.now() in microseconds.
constexpr int64_t TICKS_PER_SECOND = 1000000;

// Measured in WebAssembly (docs/web.md): the portable loops step the seed's
// basin 18 % faster than Highway's EMU128 lanes, and 384 x 384 still faster;
// from 512 x 512 the lanes are 30 % faster. Same bits either way.
constexpr long long EMU128_FROM_CELLS = 512LL * 512LL;

const char* solverFor(const BasinConfig& config)
{
    return (long long)config.width * config.height >= EMU128_FROM_CELLS ? "EMU128" : simd::PORTABLE;
}

Program& program() { return activeProgram(); }

std::string& lastError()
{
    static std::string error;
    return error;
}

// The walls as last seen by the page, and how often they changed.
struct WallWatch {
    std::vector<uint8_t> seen;
    int32_t revision = 0;
};
WallWatch& wallWatch()
{
    static WallWatch w;
    return w;
}

// What rm_surface hands over: the mesh's size and stride, whether the heights
// and normals or the colours were rebuilt, the ten arrays, the walls' revision.
struct SurfaceView {
    int32_t width, height, stride, geometryChanged, colorsChanged;
    int32_t arrays[10];
    int32_t wallsRevision;
};

std::vector<uint8_t>& skyPicture()
{
    static std::vector<uint8_t> picture;
    return picture;
}

int32_t address(const void* p) { return int32_t(reinterpret_cast<uintptr_t>(p)); }

int startWith(const BasinConfig& config, uint32_t seed)
{
    try {
        checkBasinConfig(config);
        simd::useTarget(solverFor(config));
        Program& p = program();
        startProgram(p, config, seed);
        p.view.clock.frequency = TICKS_PER_SECOND;
        wallWatch() = WallWatch();
        return 0;
    } catch (const std::exception& e) {
        lastError() = e.what();
        return 1;
    }
}

} // namespace

extern "C" {

// A basin of width x height cells at rest, its drops seeded with seed. 0, or 1
// with rm_error() saying why.
EMSCRIPTEN_KEEPALIVE int rm_start(int width, int height, uint32_t seed)
{
    BasinConfig config;
    config.width = width;
    config.height = height;
    return startWith(config, seed);
}

// The preset scenes, one name a line.
EMSCRIPTEN_KEEPALIVE const char* rm_scene_names()
{
    static std::string names;
    names.clear();
    for (const std::string& name : presetNames())
        names += (names.empty() ? "" : "\n") + name;
    return names.c_str();
}

// The preset scene of that name, its drops seeded with seed. 0, or 1 with
// rm_error() saying why.
EMSCRIPTEN_KEEPALIVE int rm_start_scene(const char* name, uint32_t seed)
{
    try {
        const Scene scene = readScene(name);
        if (startWith(BasinConfig{}, seed) != 0)
            return 1;
        simd::useTarget(solverFor(scene.config));
        loadScene(program(), scene, 1);
        return 0;
    } catch (const std::exception& e) {
        lastError() = e.what();
        return 1;
    }
}

// F1 to F5: the presets the desktop puts on them. 1 where one was loaded.
EMSCRIPTEN_KEEPALIVE int rm_function_key(int n)
{
    if (!pressFunctionKey(program(), n))
        return 0;
    simd::useTarget(solverFor(program().basin.config()));
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char* rm_error() { return lastError().c_str(); }

// The solver stepping the basin: "portable" or "EMU128".
EMSCRIPTEN_KEEPALIVE const char* rm_solver() { return simd::chosenTargetName().c_str(); }

// The window in CSS pixels, for the drops and the pen under the pointer.
EMSCRIPTEN_KEEPALIVE void rm_window(int width, int height)
{
    program().view.windowWidth = width;
    program().view.windowHeight = height;
}

// One animation frame at time now (microseconds): one step unless paused.
EMSCRIPTEN_KEEPALIVE void rm_advance(double now) { advanceProgram(program(), int64_t(now)); }

EMSCRIPTEN_KEEPALIVE void rm_key(int key) { pressKey(program(), (unsigned char)key); }

EMSCRIPTEN_KEEPALIVE void rm_button(int button, int state, int x, int y, int modifiers)
{
    Modifiers m;
    m.shift = (modifiers & 1) != 0;
    m.ctrl = (modifiers & 2) != 0;
    pressButton(program(), button, state, x, y, m);
}

EMSCRIPTEN_KEEPALIVE void rm_drag(int x, int y) { dragPointer(program(), x, y); }

// The frame's camera: the offset the previous frame left (the sky and the
// light use it), the target, the offset now (stored, as Apply does), the far
// plane.
EMSCRIPTEN_KEEPALIVE const double* rm_camera_apply()
{
    static double out[10];
    Program& p = program();
    Camera& c = p.view.camera;
    out[0] = c.offset.x;
    out[1] = c.offset.y;
    out[2] = c.offset.z;
    c.offset = c.eyeOffset();
    out[3] = c.target.x;
    out[4] = c.target.y;
    out[5] = c.target.z;
    out[6] = c.offset.x;
    out[7] = c.offset.y;
    out[8] = c.offset.z;
    out[9] = farPlane(p.basin.width(), p.basin.height());
    return out;
}

// The surface's vertex attributes, rebuilt where the basin or the view changed.
EMSCRIPTEN_KEEPALIVE const SurfaceView* rm_surface()
{
    static SurfaceView view;
    Program& p = program();
    SurfaceCache& cache = p.view.surface;
    const bool geometryBefore = cache.geometryBuilt;
    const uint64_t revisionBefore = cache.geometryRevision;
    const ColorKey keyBefore = cache.colorKey;
    const bool colorsBefore = cache.colorsBuilt;
    const VertexAttributes& a = surfaceAttributes(cache, p.basin, p.view.colorOffsets);
    view.width = cache.width;
    view.height = cache.height;
    view.stride = cache.stride;
    view.geometryChanged = !geometryBefore || revisionBefore != cache.geometryRevision;
    view.colorsChanged = !colorsBefore || std::memcmp(&keyBefore, &cache.colorKey, sizeof keyBefore) != 0;
    const CellArray* arrays[10] = {&a.height,  &a.red,     &a.green,   &a.blue,    &a.upper.x,
                                   &a.upper.y, &a.upper.z, &a.lower.x, &a.lower.y, &a.lower.z};
    for (int i = 0; i < 10; ++i)
        view.arrays[i] = address(arrays[i]->data());
    WallWatch& w = wallWatch();
    if (w.seen != p.basin.walls) {
        w.seen = p.basin.walls;
        ++w.revision;
    }
    view.wallsRevision = w.revision;
    return &view;
}

EMSCRIPTEN_KEEPALIVE int rm_basin_width() { return program().basin.width(); }
EMSCRIPTEN_KEEPALIVE int rm_basin_height() { return program().basin.height(); }
EMSCRIPTEN_KEEPALIVE const uint8_t* rm_walls() { return program().basin.walls.data(); }
EMSCRIPTEN_KEEPALIVE double rm_wall_top() { return wallTop(program().basin); }

EMSCRIPTEN_KEEPALIVE const float* rm_wall_colour()
{
    static float rgb[3];
    wallColor(program().view.colorOffsets, rgb);
    return rgb;
}

EMSCRIPTEN_KEEPALIVE int rm_color_mode() { return program().basin.colorMode; }
EMSCRIPTEN_KEEPALIVE int rm_paused() { return program().view.paused; }
EMSCRIPTEN_KEEPALIVE int rm_grey()
{
    return program().view.colorOffsets[0] == program().view.colorOffsets[1];
}
EMSCRIPTEN_KEEPALIVE int rm_overlay_shown() { return program().view.overlay; }

// The help and status text, one line each.
EMSCRIPTEN_KEEPALIVE const char* rm_overlay_text()
{
    static std::string text;
    text.clear();
    for (const std::string& line : overlayLines(program()))
        text += line + "\n";
    return text.c_str();
}

// What the tests read: mode, pause, the camera's angles and radius, the
// fields' revision, the water's volume (sum of h), the wall cells.
EMSCRIPTEN_KEEPALIVE const double* rm_state()
{
    static double out[8];
    const Program& p = program();
    double water = 0.0;
    for (float h : p.basin.h)
        water += h;
    long walls = 0;
    for (uint8_t w : p.basin.walls)
        walls += w != 0;
    out[0] = p.basin.colorMode;
    out[1] = p.view.paused;
    out[2] = p.view.camera.theta;
    out[3] = p.view.camera.phi;
    out[4] = p.view.camera.radius;
    out[5] = double(p.basin.revision);
    out[6] = water;
    out[7] = double(walls);
    return out;
}

// The desktop's sky picture, made by the same code: 3 x 2 faces of faceSize
// texels, RGB, rows top first. Kept until rm_free_sky_picture.
EMSCRIPTEN_KEEPALIVE const uint8_t* rm_sky_picture(int faceSize)
{
    skyPicture() = sky::makePicture(faceSize);
    return skyPicture().data();
}

EMSCRIPTEN_KEEPALIVE void rm_free_sky_picture() { std::vector<uint8_t>().swap(skyPicture()); }

} // extern "C"
