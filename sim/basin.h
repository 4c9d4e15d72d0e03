#pragma once

// A basin of water: its configuration, its fields on the staggered grid, its
// colour mode and ranges, its walls and its drop generator. A basin is a plain
// value: a program may hold as many as it likes, each stepped independently
// (two basins stepped in two threads at once give the bits each gives alone).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/drop_generator.h"
#include "sim/gauges.h"
#include "sim/sources.h"
#include "sim/sponge.h"
#include "sim/volume.h"

// width x height floats; cell (x, y) is element x + y * width.
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
constexpr ColorMode FIRST_MODE = MODE_PLAIN, LAST_MODE = MODE_COUNT - 1;

// The range of a mode's quantity over the interior; scale = 1 / (max - min).
struct Range {
    float max = 0.0f, min = 0.0f, scale = 0.0f;
};

// What a basin is made with. The defaults make the default 160 x 160 basin. The
// cell size, time step and rest height are single-precision, as the solver
// computes with them; gravity is double.
struct BasinConfig {
    int width = 160;
    int height = 160;
    float cellSize = 0.3125f;
    float timestep = 0.0625f;
    double gravity = 10.0;
    float restHeight = 1.0f; // the level reset() returns to
    // Threads that step() may use; 0 picks by size (see defaultThreads()).
    int threads = 1;
};

// Throws std::invalid_argument naming the setting for a width or height below 3
// or a non-finite or non-positive value, and std::length_error where the cell
// count overflows or the fields would not fit in this machine's memory; nothing
// is allocated before the check.
void checkBasinConfig(const BasinConfig& config);

// Bytes of the fields and walls that a basin of this size allocates.
uint64_t basinBytes(int width, int height);

class Basin {
public:
    explicit Basin(const BasinConfig& config = BasinConfig{});

    const BasinConfig& config() const { return config_; }
    int width() const { return config_.width; }
    int height() const { return config_.height; }
    size_t cellCount() const { return size_t(config_.width) * size_t(config_.height); }
    int cellIndex(int x, int y) const { return x + y * config_.width; }

    // The steps' thread count, resolved (never 0).
    int threads() const { return threads_; }
    void setThreads(int threads);

    // Return to rest: h = rest height - bed, every other field 0; the step count,
    // the sources' clocks and the gauge log start again. Ranges, mode, walls, bed,
    // sources, sponge, gauges and the generator stay. Throws like refreshBed().
    void reset();
    // Maxima and minima back to their reset values (h: rest height, the others:
    // 0); scales untouched.
    void resetRanges();

    // One fixed step (step.cpp; its order and rounding rule in sim/step.h).
    void step();

    // Raises the 2r x 2r patch of columns cx-r..cx+r-1 and rows cy-r..cy+r-1 by
    // increment, clipped to the basin, skipping walls, capped at 1.1 x rest height
    // (drops.cpp, with randomDrop).
    void addDrop(int cx, int cy, int r, float increment);
    // A drop at a random place: the place spans the basin, the radius is up to
    // 5 % of its shorter side (at least 1), from four draws of the generator.
    void randomDrop();

    // The solver's observable state as bytes: h, u, v, heightChange, heightAccel,
    // speedSq, flowDirection, energyProduct (width x height little-endian floats
    // each, element order), then max, min and scale of each mode 1 to 6
    // (state_dump.cpp, with dumpBytes and stateHash).
    std::vector<unsigned char> dump() const;
    size_t dumpBytes() const;
    // 64-bit FNV-1a of dump().
    uint64_t stateHash() const;

    // Counts the changes to the fields' contents: every step, drop and reset adds one.
    uint64_t revision = 0;
    void noteFieldsChanged() { ++revision; }

    // Staggered grid: h at cell centres, u on the face between (x-1, y) and (x, y),
    // v on the face between (x, y-1) and (x, y). Sized once; never reallocated.
    Field u, v, scratch, h;
    Field heightChange, heightAccel, speedSq, flowDirection, energyProduct;

    // Per-cell walls, 0 for water; any other value is a solid cell. Written
    // freely between steps; the step reads what it finds.
    std::vector<uint8_t> walls;

    // The wave tank (sources.h, sponge.h, bed.h, gauges.h). None of it in use
    // leaves the step as it is without them.
    // Bed elevation per cell, 0 by default; written freely between steps, checked
    // and taken up by the next step or reset.
    Field bed;
    std::vector<WaveSource> sources;
    Sponge sponge;
    std::vector<Gauge> gauges;
    GaugeLog gaugeLog;
    // Steps since the last reset: the sources' clock and the gauges' count.
    uint64_t steps = 0;
    // Off by default, and then the step is as it is without it (volume.h).
    VolumeKeeper volumeKeeper;

    // Adds a source (see pointSource and lineSource) starting at the current step.
    void addSource(WaveSource source);
    // Adds a gauge (checkGauge) and clears the log, whose rows then have one more value.
    void addGauge(int x, int y);

    ColorMode colorMode = MODE_PLAIN;
    float invCellSize; // 1 / cell size, stored as a float

    // Per-mode ranges over the interior, written by every step, indexed by mode
    // (ranges[MODE_H].max); MODE_PLAIN's entry is never used.
    Range ranges[MODE_COUNT];

    DropGenerator generator;

    // What the walls mean for the stages, rebuilt when walls changes
    // (buildWallCache, walls.h).
    struct WallCache {
        std::vector<uint8_t> seen;      // walls as last built
        std::vector<float> solid;       // 1 where solid, for the vector kernel; empty without walls
        std::vector<size_t> solidCells; // every solid cell
        std::vector<size_t> closedU;    // u faces beside a solid cell
        std::vector<size_t> closedV;    // v faces beside a solid cell
    };
    // Rebuilds the cache if walls changed since; step() and the drops call it
    // first, the stages then read wallCache() as it stands.
    void refreshWalls();
    const WallCache& wallCache() const { return wallCache_; }

    // The bed as the step uses it (bed.h), rebuilt when bed or the walls change.
    struct BedCache {
        Field seen;          // bed as last checked
        uint64_t wallBuild = 0; // the walls' rebuild it was made with
        Field restDepth;     // h at rest per cell; empty while the bed is all zero
        Field halfDepth;     // restDepth / 2, exactly
    };
    // Checks the bed and rebuilds the cache if bed or the walls changed; throws
    // std::invalid_argument naming the first water cell whose bed is not finite or
    // reaches the rest level, leaving the cache as it was.
    void refreshBed();
    const BedCache& bedCache() const { return bedCache_; }
    // Rest depth per cell, or null while there is no bed.
    const float* restDepth() const { return bedCache_.restDepth.empty() ? nullptr : bedCache_.restDepth.data(); }
    const float* halfDepth() const { return bedCache_.halfDepth.empty() ? nullptr : bedCache_.halfDepth.data(); }

private:
    BasinConfig config_;
    int threads_ = 1;
    WallCache wallCache_;
    uint64_t wallBuilds_ = 0; // counts the rebuilds of wallCache_
    BedCache bedCache_;
    // Where the step's advections of u and v put their samples (scratch takes
    // h's), read by the height and velocity updates in place of a copy-back.
    // Working storage, sized once; between steps their contents mean nothing.
    Field advectedU_, advectedV_;
};

// What a colour mode shows: its name and its field (its range is
// Basin::ranges[mode]). The solver's range selection, the state dump and the
// front ends' name tables all follow this table.
struct ModeQuantity {
    const char* name;
    Field Basin::*field;
};
extern const ModeQuantity MODE_QUANTITIES[MODE_COUNT];

// The entry of a colour mode, or null where it shows no quantity.
inline const ModeQuantity* quantityOfMode(ColorMode mode)
{
    return mode > MODE_PLAIN && mode < MODE_COUNT ? &MODE_QUANTITIES[mode] : nullptr;
}

// The fields by name, in the order of the dump, then scratch (not dumped).
struct NamedField {
    const char* name;
    Field Basin::*field;
};
constexpr int FIELD_COUNT = 9;
constexpr int DUMPED_FIELD_COUNT = 8;
extern const NamedField BASIN_FIELDS[FIELD_COUNT];
const NamedField* findField(const std::string& name);
// "h, u, v, ..." for messages.
std::string fieldNameList();

// The 18 range variables by name, in the order of the dump: hMax, hMin, hScale,
// heightChangeMax, ... (the quantity's name and Max, Min or Scale).
struct NamedRange {
    std::string name;
    ColorMode mode;
    float Range::*value;
    float& of(Basin& basin) const { return basin.ranges[mode].*value; }
    float of(const Basin& basin) const { return basin.ranges[mode].*value; }
};
const std::vector<NamedRange>& rangeVariables();

// 64-bit FNV-1a.
uint64_t fnv1a64(const unsigned char* data, size_t size);
