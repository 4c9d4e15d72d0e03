#include "app/state.h"

#include "app/perf_counter.h"

// The program's basin comes first, then the timer. Its members' addresses are
// constants, so the names below are bound before any constructor runs.
Basin basin;

Field& u = basin.u;
Field& v = basin.v;
Field& scratch = basin.scratch;
Field& h = basin.h;
Field& heightChange = basin.heightChange;
Field& heightAccel = basin.heightAccel;
Field& speedSq = basin.speedSq;
Field& flowDirection = basin.flowDirection;
Field& energyProduct = basin.energyProduct;
ColorMode& colorMode = basin.colorMode;
float& invCellSize = basin.invCellSize;
float& hMax = basin.hMax;
float& hMin = basin.hMin;
float& hScale = basin.hScale;
float& heightChangeMax = basin.heightChangeMax;
float& heightChangeMin = basin.heightChangeMin;
float& heightChangeScale = basin.heightChangeScale;
float& heightAccelMax = basin.heightAccelMax;
float& heightAccelMin = basin.heightAccelMin;
float& heightAccelScale = basin.heightAccelScale;
float& speedSqMax = basin.speedSqMax;
float& speedSqMin = basin.speedSqMin;
float& speedSqScale = basin.speedSqScale;
float& flowDirectionMax = basin.flowDirectionMax;
float& flowDirectionMin = basin.flowDirectionMin;
float& flowDirectionScale = basin.flowDirectionScale;
float& energyProductMax = basin.energyProductMax;
float& energyProductMin = basin.energyProductMin;
float& energyProductScale = basin.energyProductScale;
uint64_t& fieldsRevision = basin.revision;

int64_t perfFrequency = 0;
int64_t perfLast = 0;
int64_t perfDelta = 0;

static bool primeTimer()
{
    perfFrequency = queryPerformanceFrequency();
    const int64_t now = queryPerformanceCounter();
    perfDelta = now - perfLast;
    perfLast = now;
    return true;
}
[[maybe_unused]] static const bool timerPrimed = primeTimer();

double colorOffsets[2] = {COLOR_OFFSETS_AT_START[0], COLOR_OFFSETS_AT_START[1]};
bool paused = false;
bool zoomDrag = false;
int lastMouseX = 0;
int lastMouseY = 0;
int windowWidth = 640;
int windowHeight = 480;
float lightPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
double spherePosition[3] = {0.0, 0.0, 0.0};
unsigned int fontBase = 0;
int fpsSamples[FPS_SAMPLE_COUNT] = {};
int fpsIndex = 0;
Background* skybox = nullptr;

void resetFields() { basin.reset(); }

void resetRanges() { basin.resetRanges(); }

void simulationStep() { basin.step(); }

void startSimulation()
{
    colorMode = MODE_PLAIN;
    basin.reset();
    basin.resetRanges();
}
