#pragma once

// The simulation and view state: plain globals that live for the whole process.
// Every subsystem reads and writes them directly.

#include <cstdint>
#include <vector>

#include "render/camera.h"

class Background;

// 160 x 160 floats; cell (x, y) is element x + y * GRID_SIZE.
using Field = std::vector<float>;

// Visualisation mode 0 to 6, each named after the quantity it shows; any other
// value shows none, like MODE_PLAIN.
using ColorMode = int;
enum : ColorMode {
    MODE_PLAIN,
    MODE_H,
    MODE_HEIGHT_CHANGE,
    MODE_HEIGHT_ACCEL,
    MODE_SPEED_SQ,
    MODE_FLOW_DIRECTION,
    MODE_ENERGY_PRODUCT,
    MODE_COUNT
};

constexpr int GRID_SIZE = 160;
constexpr int CELL_COUNT = GRID_SIZE * GRID_SIZE;
constexpr float TIMESTEP = 0.0625f;
constexpr float CELL_SIZE = 0.3125f;
constexpr double GRAVITY = 10.0;
extern float invCellSize; // 1 / CELL_SIZE, stored as a float

inline int cellIndex(int x, int y) { return x + y * GRID_SIZE; }

extern Camera camera;

// Staggered grid: h at cell centres, u on the face between (x-1, y) and (x, y),
// v on the face between (x, y-1) and (x, y).
extern Field u, v, scratch, h;
extern Field heightChange, heightAccel, speedSq, flowDirection, energyProduct;

extern ColorMode colorMode;
extern double colorOffsets[2];
extern bool paused;
extern bool zoomDrag;
extern int lastMouseX, lastMouseY;
extern int windowWidth, windowHeight;
extern float lightPosition[4];
extern double spherePosition[3];
extern unsigned int fontBase;
extern int fpsSamples[20];
extern int fpsIndex;
extern int64_t perfFrequency, perfLast, perfDelta;
extern Background* skybox;

// Per-mode ranges over the interior, written by every step; scale = 1 / (max - min).
extern float hMax, hMin, hScale;
extern float heightChangeMax, heightChangeMin, heightChangeScale;
extern float heightAccelMax, heightAccelMin, heightAccelScale;
extern float speedSqMax, speedSqMin, speedSqScale;
extern float flowDirectionMax, flowDirectionMin, flowDirectionScale;
extern float energyProductMax, energyProductMin, energyProductScale;

// Counts the changes to the fields' contents: every step, drop and reset adds
// one. What is built from the fields and kept between frames (the surface's
// vertex attributes) is rebuilt when it moves.
extern uint64_t fieldsRevision;
inline void noteFieldsChanged() { ++fieldsRevision; }

// What a colour mode shows: its field and its range. The solver's range selection,
// its scales and the state dump all follow this table.
struct ModeQuantity {
    Field* field;
    float *max, *min, *scale;
};
inline constexpr ModeQuantity MODE_QUANTITIES[MODE_COUNT] = {
    {nullptr, nullptr, nullptr, nullptr},
    {&h, &hMax, &hMin, &hScale},
    {&heightChange, &heightChangeMax, &heightChangeMin, &heightChangeScale},
    {&heightAccel, &heightAccelMax, &heightAccelMin, &heightAccelScale},
    {&speedSq, &speedSqMax, &speedSqMin, &speedSqScale},
    {&flowDirection, &flowDirectionMax, &flowDirectionMin, &flowDirectionScale},
    {&energyProduct, &energyProductMax, &energyProductMin, &energyProductScale},
};

// The entry of a colour mode, or null where it shows no quantity.
inline const ModeQuantity* quantityOfMode(ColorMode mode)
{
    return mode > MODE_PLAIN && mode < MODE_COUNT ? &MODE_QUANTITIES[mode] : nullptr;
}

// Grows every field to CELL_COUNT elements (new elements 0), in creation order.
void sizeFields();

// Return to rest: h = 1, every other field 0. Ranges, mode, pause and camera stay.
void resetFields();

// Maxima and minima back to their reset values (h: 1, the others: 0); scales untouched.
void resetRanges();
