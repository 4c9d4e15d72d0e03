#include "sim/basin.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include <unistd.h>

#include "sim/threads.h"
#include "sim/walls.h"

namespace {

void requirePositive(double value, const char* name)
{
    if (!std::isfinite(value) || !(value > 0.0))
        throw std::invalid_argument(std::string(name) + " must be a finite positive number, got " +
                                    std::to_string(value));
}

uint64_t physicalMemory()
{
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return UINT64_MAX; // unknown: leave it to the allocator
    return uint64_t(pages) * uint64_t(pageSize);
}

} // namespace

uint64_t basinBytes(int width, int height)
{
    // Nine float fields, the step's two advected velocities, the bed and the copy
    // it is compared with, the wall mask and its copy; a float copy of the mask
    // only where there are walls, the rest depth only where there is a bed.
    return uint64_t(width) * uint64_t(height) * ((FIELD_COUNT + 4) * sizeof(float) + 2);
}

void checkBasinConfig(const BasinConfig& config)
{
    if (config.width < 3)
        throw std::invalid_argument("width must be at least 3, got " + std::to_string(config.width));
    if (config.height < 3)
        throw std::invalid_argument("height must be at least 3, got " + std::to_string(config.height));
    // Cell indices are ints; a row past the last must still be addressable.
    const uint64_t cells = uint64_t(config.width) * uint64_t(config.height);
    if (cells + uint64_t(config.width) > uint64_t(INT_MAX))
        throw std::length_error("a basin of " + std::to_string(config.width) + " x " +
                                std::to_string(config.height) + " cells has too many cells (at most " +
                                std::to_string(INT_MAX) + ")");
    const uint64_t bytes = basinBytes(config.width, config.height);
    if (bytes > physicalMemory())
        throw std::length_error("a basin of " + std::to_string(config.width) + " x " +
                                std::to_string(config.height) + " cells needs " + std::to_string(bytes >> 20) +
                                " MiB, more than this machine's memory (" +
                                std::to_string(physicalMemory() >> 20) + " MiB)");
    requirePositive(config.cellSize, "cell size");
    requirePositive(config.timestep, "time step");
    requirePositive(config.gravity, "gravity");
    requirePositive(config.restHeight, "rest height");
    if (config.threads < 0)
        throw std::invalid_argument("threads must be 0 (automatic) or more, got " + std::to_string(config.threads));
}

Basin::Basin(const BasinConfig& config) : config_(config)
{
    checkBasinConfig(config_);
    invCellSize = float(1.0 / double(config_.cellSize));
    setThreads(config_.threads);
    for (Field* f : {&u, &v, &scratch, &h, &heightChange, &heightAccel, &speedSq, &flowDirection, &energyProduct})
        f->assign(cellCount(), 0.0f);
    advectedU_.assign(cellCount(), 0.0f);
    advectedV_.assign(cellCount(), 0.0f);
    walls.assign(cellCount(), 0);
    wallCache_.seen = walls;
    bed.assign(cellCount(), 0.0f);
    bedCache_.seen = bed;
    reset();
    resetRanges();
}

void Basin::setThreads(int threads)
{
    if (threads < 0)
        throw std::invalid_argument("threads must be 0 (automatic) or more, got " + std::to_string(threads));
    config_.threads = threads;
    threads_ = threads == 0 ? defaultThreads(width(), height()) : threads;
}

void Basin::refreshWalls()
{
    // The mask may have been written through a view since: compare, rebuild on change.
    if (wallCache_.seen.size() == walls.size() &&
        std::memcmp(wallCache_.seen.data(), walls.data(), walls.size()) == 0)
        return;
    wallCache_ = buildWallCache(walls, width(), height());
    ++wallBuilds_;
}

void Basin::reset()
{
    refreshWalls();
    refreshBed(); // a bad bed leaves the basin as it was
    for (Field* f : {&energyProduct, &flowDirection, &speedSq, &heightAccel, &heightChange, &scratch, &v, &u})
        std::fill(f->begin(), f->end(), 0.0f);
    if (const float* rest = restDepth()) {
        std::copy(rest, rest + cellCount(), h.begin());
    } else {
        std::fill(h.begin(), h.end(), config_.restHeight);
        for (size_t i : wallCache_.solidCells)
            h[i] = 0.0f;
    }
    steps = 0;
    for (WaveSource& s : sources)
        s.startStep = 0;
    gaugeLog.steps.clear();
    gaugeLog.h.clear();
    volumeKeeper.debt = 0.0;
    noteFieldsChanged();
}

void Basin::addSource(WaveSource source)
{
    source.startStep = steps;
    sources.push_back(std::move(source));
}

void Basin::addGauge(int x, int y)
{
    checkGauge(*this, x, y);
    gauges.push_back({x, y});
    gaugeLog.steps.clear();
    gaugeLog.h.clear();
}

void Basin::resetRanges()
{
    for (int mode = MODE_H; mode < MODE_COUNT; ++mode) {
        const float start = mode == MODE_H ? config_.restHeight : 0.0f;
        ranges[mode].max = ranges[mode].min = start;
    }
}

// ---- name tables ----------------------------------------------------------------

const ModeQuantity MODE_QUANTITIES[MODE_COUNT] = {
    {"", nullptr},
    {"h", &Basin::h},
    {"heightChange", &Basin::heightChange},
    {"heightAccel", &Basin::heightAccel},
    {"speedSq", &Basin::speedSq},
    {"flowDirection", &Basin::flowDirection},
    {"energyProduct", &Basin::energyProduct},
};

const NamedField BASIN_FIELDS[FIELD_COUNT] = {
    {"h", &Basin::h},
    {"u", &Basin::u},
    {"v", &Basin::v},
    {"heightChange", &Basin::heightChange},
    {"heightAccel", &Basin::heightAccel},
    {"speedSq", &Basin::speedSq},
    {"flowDirection", &Basin::flowDirection},
    {"energyProduct", &Basin::energyProduct},
    {"scratch", &Basin::scratch},
};

const NamedField* findField(const std::string& name)
{
    for (const NamedField& f : BASIN_FIELDS)
        if (name == f.name)
            return &f;
    return nullptr;
}

std::string fieldNameList()
{
    std::string names;
    for (const NamedField& f : BASIN_FIELDS)
        names += std::string(names.empty() ? "" : ", ") + f.name;
    return names;
}

const std::vector<NamedRange>& rangeVariables()
{
    static const std::vector<NamedRange> all = [] {
        std::vector<NamedRange> list;
        for (int mode = MODE_H; mode < MODE_COUNT; ++mode) {
            const ModeQuantity& q = MODE_QUANTITIES[mode];
            list.push_back({std::string(q.name) + "Max", mode, &Range::max});
            list.push_back({std::string(q.name) + "Min", mode, &Range::min});
            list.push_back({std::string(q.name) + "Scale", mode, &Range::scale});
        }
        return list;
    }();
    return all;
}
