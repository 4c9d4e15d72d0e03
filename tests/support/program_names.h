#pragma once

// Short names, for the tests, of the parts of the window's program
// (activeProgram(), app/program.h) that the cases read and write.

#include "app/program.h"

inline Program& program = activeProgram();
inline Basin& basin = program.basin;
inline View& view = program.view;

inline Field& u = basin.u;
inline Field& v = basin.v;
inline Field& scratch = basin.scratch;
inline Field& h = basin.h;
inline Field& heightChange = basin.heightChange;
inline Field& heightAccel = basin.heightAccel;
inline Field& speedSq = basin.speedSq;
inline Field& flowDirection = basin.flowDirection;
inline Field& energyProduct = basin.energyProduct;
inline ColorMode& colorMode = basin.colorMode;
inline float& invCellSize = basin.invCellSize;
inline float& hMax = basin.ranges[MODE_H].max;
inline float& hMin = basin.ranges[MODE_H].min;
inline float& hScale = basin.ranges[MODE_H].scale;
inline float& heightChangeMax = basin.ranges[MODE_HEIGHT_CHANGE].max;
inline float& heightChangeMin = basin.ranges[MODE_HEIGHT_CHANGE].min;
inline float& heightChangeScale = basin.ranges[MODE_HEIGHT_CHANGE].scale;
inline float& heightAccelMax = basin.ranges[MODE_HEIGHT_ACCEL].max;
inline float& heightAccelMin = basin.ranges[MODE_HEIGHT_ACCEL].min;
inline float& heightAccelScale = basin.ranges[MODE_HEIGHT_ACCEL].scale;
inline float& speedSqMax = basin.ranges[MODE_SPEED_SQ].max;
inline float& speedSqMin = basin.ranges[MODE_SPEED_SQ].min;
inline float& speedSqScale = basin.ranges[MODE_SPEED_SQ].scale;
inline float& flowDirectionMax = basin.ranges[MODE_FLOW_DIRECTION].max;
inline float& flowDirectionMin = basin.ranges[MODE_FLOW_DIRECTION].min;
inline float& flowDirectionScale = basin.ranges[MODE_FLOW_DIRECTION].scale;
inline float& energyProductMax = basin.ranges[MODE_ENERGY_PRODUCT].max;
inline float& energyProductMin = basin.ranges[MODE_ENERGY_PRODUCT].min;
inline float& energyProductScale = basin.ranges[MODE_ENERGY_PRODUCT].scale;

inline Camera& camera = view.camera;
inline double (&colorOffsets)[2] = view.colorOffsets;
inline bool& paused = view.paused;
inline bool& zoomDrag = view.zoomDrag;
inline int& lastMouseX = view.lastMouseX;
inline int& lastMouseY = view.lastMouseY;
inline int& windowWidth = view.windowWidth;
inline int& windowHeight = view.windowHeight;
inline float (&lightPosition)[4] = view.lightPosition;
inline unsigned int& fontBase = view.fontBase;
inline int (&fpsSamples)[FPS_SAMPLE_COUNT] = view.fps.samples;
inline int& fpsIndex = view.fps.index;
inline int64_t& perfFrequency = view.clock.frequency;
inline int64_t& perfLast = view.clock.last;
inline int64_t& perfDelta = view.clock.delta;
inline Background*& skybox = view.skybox;

// The default 160 x 160 basin: its size, and its cells by coordinates.
constexpr int GRID_SIZE = BasinConfig{}.width;
constexpr int CELL_COUNT = GRID_SIZE * GRID_SIZE;
inline int cellIndex(int x, int y) { return x + y * GRID_SIZE; }

// The basin as start-up leaves it (startProgram), its generator and the view untouched.
inline void startSimulation()
{
    basin.colorMode = MODE_PLAIN;
    basin.reset();
    basin.resetRanges();
}
inline void resetFields() { basin.reset(); }
inline void resetRanges() { basin.resetRanges(); }
inline void simulationStep() { basin.step(); }

// The default basin's constants and its last strip (render/surface.h).
constexpr float TIMESTEP = BasinConfig{}.timestep;
constexpr float CELL_SIZE = BasinConfig{}.cellSize;
constexpr double GRAVITY = BasinConfig{}.gravity;
constexpr int LAST_STRIP_ROW = GRID_SIZE - 2;
