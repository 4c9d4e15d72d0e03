#include "sim/step.h"

#include <algorithm>

#include "sim/advect.h"
#include "sim/basin.h"
#include "sim/bed.h"
#include "sim/boundaries.h"
#include "sim/height_update.h"
#include "sim/velocity_update.h"
#include "sim/sources.h"
#include "sim/sponge.h"
#include "sim/gauges.h"
#include "sim/stages.h"
#include "sim/walls.h"

namespace {

// The border rows and columns of from into to: the cells no advection writes.
void copyBorder(const Field& from, Field& to, int width, int height)
{
    const size_t w = size_t(width), last = size_t(height - 1) * w;
    std::copy(from.begin(), from.begin() + std::ptrdiff_t(w), to.begin());
    std::copy(from.begin() + std::ptrdiff_t(last), from.end(), to.begin() + std::ptrdiff_t(last));
    for (size_t row = w; row < last; row += w) {
        to[row] = from[row];
        to[row + w - 1] = from[row + w - 1];
    }
}

} // namespace

void Basin::step()
{
    refreshWalls();
    refreshBed(); // a bad bed stops the step before anything moves
    const ripplemoor::StagePath& path = ripplemoor::stagePath(*this);
    const double volumeBefore = volumeBeforeStep(*this);
    // The advected fields stay in buffers of their own (h's in scratch) until the
    // height and velocity updates, which read their cells anyway, write the real
    // fields from them: no pass copies them back. Only u's and v's buffers need
    // the border, where advect(v) and the height update read the outer faces.
    copyBorder(u, advectedU_, width(), height());
    copyBorder(v, advectedV_, width(), height());
    const float* advectedH = scratch.data();
    if (halfDepth() != nullptr) {
        // Over a bed h is carried as h - depth / 2 and back, in place.
        advectOverBed(*this, [&] { advect(*this, path, h, ADVECT_H); });
        advectedH = h.data();
    } else {
        sampleAdvected(*this, path, h.data(), scratch.data(), u.data(), ADVECT_H);
    }
    sampleAdvected(*this, path, u.data(), advectedU_.data(), u.data(), ADVECT_U);
    closeFaces(advectedU_, wallCache_.closedU);
    // v along the u just advected.
    sampleAdvected(*this, path, v.data(), advectedV_.data(), advectedU_.data(), ADVECT_V);
    closeFaces(advectedV_, wallCache_.closedV);
    updateHeight(*this, path, advectedH, advectedU_.data(), advectedV_.data());
    updateVelocities(*this, path, advectedU_.data(), advectedV_.data());
    keepVolume(*this, volumeBefore);
    ++steps;
    driveSources(*this);
    applySponge(*this);
    applyBoundaries(*this);
    recordGauges(*this);
    noteFieldsChanged();
}
