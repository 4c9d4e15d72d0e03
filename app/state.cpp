#include "app/state.h"

#include <algorithm>

#include "app/perf_counter.h"

// Definition order is the static initialisation order: camera, inverse cell size,
// the nine fields, then the timer.
Camera camera;

float invCellSize = float(1.0 / double(CELL_SIZE));

Field u;
Field v;
Field scratch;
Field h;
Field heightChange;
Field heightAccel;
Field speedSq;
Field flowDirection;
Field energyProduct;
uint64_t fieldsRevision = 0;

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

ColorMode colorMode = 0;
double colorOffsets[2] = {1.0 / 3.0, -1.0 / 3.0};
bool paused = false;
bool zoomDrag = false;
int lastMouseX = 0;
int lastMouseY = 0;
int windowWidth = 640;
int windowHeight = 480;
float lightPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
double spherePosition[3] = {0.0, 0.0, 0.0};
unsigned int fontBase = 0;
int fpsSamples[20] = {};
int fpsIndex = 0;
Background* skybox = nullptr;

float hMax = 1.0f, hMin = 1.0f, hScale = 0.0f;
float heightChangeMax = 0.0f, heightChangeMin = 0.0f, heightChangeScale = 0.0f;
float heightAccelMax = 0.0f, heightAccelMin = 0.0f, heightAccelScale = 0.0f;
float speedSqMax = 0.0f, speedSqMin = 0.0f, speedSqScale = 0.0f;
float flowDirectionMax = 0.0f, flowDirectionMin = 0.0f, flowDirectionScale = 0.0f;
float energyProductMax = 0.0f, energyProductMin = 0.0f, energyProductScale = 0.0f;

void sizeFields()
{
    for (Field* f : {&u, &v, &scratch, &h, &heightChange, &heightAccel, &speedSq,
                     &flowDirection, &energyProduct})
        f->resize(CELL_COUNT, 0.0f);
}

void resetFields()
{
    for (Field* f : {&energyProduct, &flowDirection, &speedSq, &heightAccel, &heightChange,
                     &scratch, &v, &u})
        std::fill(f->begin(), f->end(), 0.0f);
    std::fill(h.begin(), h.end(), 1.0f);
    noteFieldsChanged();
}

void resetRanges()
{
    hMax = hMin = 1.0f;
    heightChangeMax = heightChangeMin = 0.0f;
    heightAccelMax = heightAccelMin = 0.0f;
    speedSqMax = speedSqMin = 0.0f;
    flowDirectionMax = flowDirectionMin = 0.0f;
    energyProductMax = energyProductMin = 0.0f;
}
