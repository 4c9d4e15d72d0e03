#pragma once

// The program's state: its one basin, the seed's 160 x 160, under the names the
// rest of the program reads and writes directly, and the view's plain globals.
// GL-free; the camera lives with the renderer (render/camera.h).

#include <cstdint>

#include "sim/basin.h"

class Background;

constexpr int GRID_SIZE = BasinConfig{}.width;
constexpr int CELL_COUNT = GRID_SIZE * GRID_SIZE;
constexpr float TIMESTEP = BasinConfig{}.timestep;
constexpr float CELL_SIZE = BasinConfig{}.cellSize;
constexpr double GRAVITY = BasinConfig{}.gravity;
static_assert(BasinConfig{}.height == GRID_SIZE, "the program's basin is square");

inline int cellIndex(int x, int y) { return x + y * GRID_SIZE; }

// The program's basin, and its members by their own names.
extern Basin basin;
extern Field &u, &v, &scratch, &h;
extern Field &heightChange, &heightAccel, &speedSq, &flowDirection, &energyProduct;
extern ColorMode& colorMode;
extern float& invCellSize; // 1 / CELL_SIZE, stored as a float
extern float &hMax, &hMin, &hScale;
extern float &heightChangeMax, &heightChangeMin, &heightChangeScale;
extern float &heightAccelMax, &heightAccelMin, &heightAccelScale;
extern float &speedSqMax, &speedSqMin, &speedSqScale;
extern float &flowDirectionMax, &flowDirectionMin, &flowDirectionScale;
extern float &energyProductMax, &energyProductMin, &energyProductScale;

// Counts the changes to the fields' contents: every step, drop and reset adds
// one. What is built from the fields and kept between frames (the surface's
// vertex attributes) is rebuilt when it moves.
extern uint64_t& fieldsRevision;
inline void noteFieldsChanged() { basin.noteFieldsChanged(); }

constexpr int FPS_SAMPLE_COUNT = 20;
// The hue offsets of the red and blue channels at start-up and after 'c'.
constexpr double COLOR_OFFSETS_AT_START[2] = {1.0 / 3.0, -1.0 / 3.0};

extern double colorOffsets[2];
extern bool paused;
extern bool zoomDrag;
extern int lastMouseX, lastMouseY;
extern int windowWidth, windowHeight;
extern float lightPosition[4];
extern double spherePosition[3];
extern unsigned int fontBase;
extern int fpsSamples[FPS_SAMPLE_COUNT];
extern int fpsIndex;
extern int64_t perfFrequency, perfLast, perfDelta;
extern Background* skybox;

// The program's operations on its basin, under the names its callbacks use.

// Return to rest: h = 1, every other field 0. Ranges, mode, pause and camera stay.
void resetFields();
// Maxima and minima back to their reset values (h: 1, the others: 0); scales untouched.
void resetRanges();
// One step of the program's basin.
void simulationStep();
// The program's basin at start-up: at rest, ranges reset, colour mode 0.
void startSimulation();
