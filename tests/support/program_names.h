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
inline float& hMax = basin.hMax;
inline float& hMin = basin.hMin;
inline float& hScale = basin.hScale;
inline float& heightChangeMax = basin.heightChangeMax;
inline float& heightChangeMin = basin.heightChangeMin;
inline float& heightChangeScale = basin.heightChangeScale;
inline float& heightAccelMax = basin.heightAccelMax;
inline float& heightAccelMin = basin.heightAccelMin;
inline float& heightAccelScale = basin.heightAccelScale;
inline float& speedSqMax = basin.speedSqMax;
inline float& speedSqMin = basin.speedSqMin;
inline float& speedSqScale = basin.speedSqScale;
inline float& flowDirectionMax = basin.flowDirectionMax;
inline float& flowDirectionMin = basin.flowDirectionMin;
inline float& flowDirectionScale = basin.flowDirectionScale;
inline float& energyProductMax = basin.energyProductMax;
inline float& energyProductMin = basin.energyProductMin;
inline float& energyProductScale = basin.energyProductScale;

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

// The seed's basin: its size, and its cells by coordinates.
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

// The seed's constants and its last strip (render/surface.h).
constexpr float TIMESTEP = BasinConfig{}.timestep;
constexpr float CELL_SIZE = BasinConfig{}.cellSize;
constexpr double GRAVITY = BasinConfig{}.gravity;
constexpr int LAST_STRIP_ROW = GRID_SIZE - 2;
