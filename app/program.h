#pragma once

// The program: one basin and the view of it. Every GLUT callback reaches the
// program through activeProgram(); what the callbacks do is written as plain
// functions on a Program, GL-free where it can be, so that other front ends (the
// web page) drive the same state.

#include <cstdint>

#include "render/camera.h"
#include "render/surface_cache.h"
#include "render/wall_blocks.h"
#include "sim/basin.h"

class Background;

constexpr int FPS_SAMPLE_COUNT = 20;
// The hue offsets of the red and blue channels at start-up and after 'c'.
constexpr double COLOR_OFFSETS_AT_START[2] = {1.0 / 3.0, -1.0 / 3.0};
// The window's size unless -geometry gives one.
constexpr int DEFAULT_WINDOW_WIDTH = 640;
constexpr int DEFAULT_WINDOW_HEIGHT = 480;

// The last FPS_SAMPLE_COUNT frame-rate samples and the slot written next.
struct FpsRing {
    int samples[FPS_SAMPLE_COUNT] = {};
    int index = 0;
};

// The idle callback's clock: ticks per second, the last reading, and the
// interval the last idle call measured.
struct FrameClock {
    int64_t frequency = 0;
    int64_t last = 0;
    int64_t delta = 0;
};

// What a left drag does: orbit, or paint or rub out walls with the pen.
enum class Stroke { none, paint, erase };

struct Pen {
    int radius = 2;     // cells around the centre: a pen 2 * radius + 1 cells wide
    Stroke stroke = Stroke::none;
    bool placed = false; // a cell was painted in this stroke, at lastX, lastY
    int lastX = 0, lastY = 0;
};

// Steps counted over the last whole second, for the overlay.
struct StepRate {
    int64_t since = 0; // counter reading at the start of the current second
    long steps = 0;    // steps since then
    double perSecond = 0.0;
};

struct View {
    Camera camera;
    double colorOffsets[2] = {COLOR_OFFSETS_AT_START[0], COLOR_OFFSETS_AT_START[1]};
    bool paused = false;
    bool zoomDrag = false;
    bool overlay = false; // the help and status text ('h')
    int lastMouseX = 0, lastMouseY = 0;
    int windowWidth = DEFAULT_WINDOW_WIDTH;
    int windowHeight = DEFAULT_WINDOW_HEIGHT;
    float lightPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    double spherePosition[3] = {0.0, 0.0, 0.0};
    unsigned int fontBase = 0;
    FpsRing fps;
    FrameClock clock;
    StepRate stepRate;
    Pen pen;
    Background* skybox = nullptr;
    SurfaceCache surface;
    WallBlocks walls;
};

struct Program {
    Basin basin;
    View view;
};

// The one program the window shows. It starts as the default 160 x 160 basin at
// rest with the default view, and its clock primed.
Program& activeProgram();

// Start-up of the program's state: the basin made from config, at rest, ranges
// reset, colour mode 0, its drops seeded with seed; the camera framing it.
void startProgram(Program& program, const BasinConfig& config, uint32_t seed);

// One idle call: measures the interval since the last one at reading now, and
// steps the basin unless paused.
void advanceProgram(Program& program, int64_t now);

// Advection of a field of the program's basin by kind number (0 h, 1 u, 2 v).
// The program's contract for any other number: the process ends with status 1,
// printing nothing, before a field changes. The solver library itself throws.
void advect(Field& f, int kind);
