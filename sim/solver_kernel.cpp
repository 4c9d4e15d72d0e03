// The solver's vector kernel: advection's departure sampling, the height update's
// interior pass and the velocity update, written once with Highway and compiled for
// every instruction set it targets; the best one this processor has is chosen at
// run time (simd/targets.h can restrict the choice). The basin's size is a run-time
// value; a basin narrower than one block of cells takes the portable loops
// (kernel::fitsWidth).
//
// Each lane does exactly what the portable loops do for its cell, rounding to float
// at the same points under the rule in step.h; only the order in which cells are
// visited differs, and no cell depends on another's result.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "sim/solver_kernel.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep
#include <hwy/highway.h>

#include "sim/float_rounding-inl.h"

#include <cmath>
#include <cstring>
#include <type_traits>

#include "sim/advect.h"
#include "sim/stages.h"
#include "simd/targets.h"

HWY_BEFORE_NAMESPACE();
namespace ripplemoor {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Doubles for the arithmetic, and floats with as many lanes for the fields.
using DD = hn::CappedTag<double, 32>;
using DF = hn::Rebind<float, DD>;
using VD = hn::Vec<DD>;
using VF = hn::Vec<DF>;
using MF = hn::Mask<DF>;

// Advection samples a block of twice as many cells as a double vector holds, one
// cell on the scalar target: the float steps run once for the block, the double
// arithmetic once per half, lower (HALF 0) and upper (HALF 1).
#if HWY_TARGET == HWY_SCALAR
constexpr int HALVES = 1;
using DS = DF;
HWY_INLINE hn::Vec<DS> join(VF lo, VF) { return lo; }
template <int HALF>
HWY_INLINE VD wideHalf(hn::Vec<DS> v) { return hn::PromoteTo(DD(), v); }
#else
constexpr int HALVES = 2;
using DS = hn::CappedTag<float, 2 * hn::MaxLanes(DD())>;
HWY_INLINE hn::Vec<DS> join(VF lo, VF hi) { return hn::Combine(DS(), hi, lo); }
template <int HALF>
HWY_INLINE VD wideHalf(hn::Vec<DS> v)
{
    const hn::Half<DS> dh;
    return hn::PromoteTo(DD(), HALF == 0 ? hn::LowerHalf(dh, v) : hn::UpperHalf(dh, v));
}
#endif
using VS = hn::Vec<DS>;
using MS = hn::Mask<DS>;
using DSI = hn::RebindToSigned<DS>;
using VSI = hn::Vec<DSI>;

static_assert(hn::MaxLanes(DS()) == HALVES * hn::MaxLanes(DD()), "a block is two double vectors");

// A block, and a row's final block shifted left to stay in the row, must fit in
// the interior cells of a row.
int BlockLanes() { return int(hn::Lanes(DS())); }

HWY_INLINE VD wide(VF f) { return hn::PromoteTo(DD(), f); }
HWY_INLINE VD loadWide(const float* p) { return wide(hn::LoadU(DF(), p)); }

// Rounds to float the IEEE way (float_rounding-inl.h).
HWY_INLINE VF narrow(VD d) { return ripplemoor_rounding::HWY_NAMESPACE::narrowToFloat(DD(), d); }

// ---- advection --------------------------------------------------------------------
// SVE vectors have no size, so vectors live in named variables here, never in
// arrays or structs.

// The velocity at the sample points of the cells i, i + 1, ... of one half. The
// averages take the faces of rows y and y + 1; what row y + 1 gives is carried to
// the next row up (the first two terms of its sum, or its lower face), so each
// face row is loaded once. startCarry gives the carry for the first row.
template <int KIND>
HWY_INLINE VD startCarry(const float* u, const float* v, size_t i)
{
    if (KIND == ADVECT_H)
        return loadWide(v + i);
    if (KIND == ADVECT_U)
        return hn::Add(loadWide(v + i), loadWide(v + i + 1));
    return hn::Add(loadWide(u + i + 1), loadWide(u + i));
}

template <int KIND>
HWY_INLINE void velocitiesAt(const float* u, const float* v, size_t i, size_t width, VD& carry, VF& velX, VF& velY)
{
    const size_t up = i + width;
    if (KIND == ADVECT_H) {
        const VD half = hn::Set(DD(), 0.5);
        const VD vUp = loadWide(v + up);
        velX = narrow(hn::Mul(hn::Add(loadWide(u + i + 1), loadWide(u + i)), half));
        velY = narrow(hn::Mul(hn::Add(vUp, carry), half));
        carry = vUp;
    } else if (KIND == ADVECT_U) {
        const VD vUp = loadWide(v + up), vUpRight = loadWide(v + up + 1);
        velX = hn::LoadU(DF(), u + i);
        velY = narrow(hn::Mul(hn::Add(hn::Add(carry, vUp), vUpRight), hn::Set(DD(), 0.25)));
        carry = hn::Add(vUp, vUpRight);
    } else {
        const VD uUp = loadWide(u + up), uUpRight = loadWide(u + up + 1);
        velX = narrow(hn::Mul(hn::Add(hn::Add(carry, uUp), uUpRight), hn::Set(DD(), 0.25)));
        velY = hn::LoadU(DF(), v + i);
        carry = hn::Add(uUpRight, uUp);
    }
}

// Where the time step is a power of two, (timestep x velocity) x invCellSize is
// exact in double (a power of two times a float, then a product of two 24-bit
// significands), and so is velocity x stepInCells with stepInCells = timestep x
// invCellSize: one multiplication gives the same bits. Otherwise both, in order.
bool isPowerOfTwo(float t)
{
    int exponent = 0;
    return std::frexp(t, &exponent) == 0.5f;
}
static_assert(std::is_same<decltype(AdvectArrays::invCellSize), float>::value &&
                  std::is_same<decltype(AdvectArrays::timestep), float>::value,
              "one multiplication per departure needs a float cell size and time step");

// The departure points of the cells i, i + 1, ... of one half, at columns cells of a row.
template <int KIND>
HWY_INLINE void departuresOfHalf(const AdvectArrays& a, size_t i, VD cells, VD row, bool oneMultiplication,
                                 VD stepInCells, VD timestep, VD invCellSize, VD& carry, VF& px, VF& py)
{
    VF velX, velY;
    velocitiesAt<KIND>(a.u, a.v, i, size_t(a.extent.width), carry, velX, velY);
    if (oneMultiplication) {
        px = narrow(hn::Sub(cells, hn::Mul(wide(velX), stepInCells)));
        py = narrow(hn::Sub(row, hn::Mul(wide(velY), stepInCells)));
    } else {
        px = narrow(hn::Sub(cells, hn::Mul(hn::Mul(timestep, wide(velX)), invCellSize)));
        py = narrow(hn::Sub(row, hn::Mul(hn::Mul(timestep, wide(velY)), invCellSize)));
    }
}

// Clamped to 0..last with comparisons, so that NaN lands on 0 like a point before
// the first cell whatever the target's min/max do.
HWY_INLINE VS clampToGrid(VS p, int lastCell)
{
    const DS ds;
    p = hn::IfThenElse(hn::Gt(p, hn::Zero(ds)), p, hn::Zero(ds));
    const VS last = hn::Set(ds, float(lastCell));
    return hn::IfThenElse(hn::Gt(p, last), last, p);
}

// Any departure point: gathers whose right and upper neighbours past the last
// column or row read the cell itself and are then replaced by 0, so nothing
// outside the grid is read and those neighbours count as 0, as in the portable
// sample.
HWY_INLINE void gatherCorners(const float* f, const Extent& e, VSI ix, VSI iy, VS& f00, VS& f10, VS& f01, VS& f11)
{
    const DS ds;
    const DSI di;
    const auto hasRight = hn::Lt(ix, hn::Set(di, e.width - 1));
    const auto hasUp = hn::Lt(iy, hn::Set(di, e.height - 1));
    const VSI index = hn::Add(ix, hn::Mul(iy, hn::Set(di, e.width)));
    const VSI right = hn::Add(index, hn::IfThenElseZero(hasRight, hn::Set(di, 1)));
    const VSI upOffset = hn::IfThenElseZero(hasUp, hn::Set(di, e.width));
    const MS r = hn::RebindMask(ds, hasRight), t = hn::RebindMask(ds, hasUp);
    f00 = hn::GatherIndex(ds, f, index);
    f10 = hn::IfThenElseZero(r, hn::GatherIndex(ds, f, right));
    f01 = hn::IfThenElseZero(t, hn::GatherIndex(ds, f, hn::Add(index, upOffset)));
    f11 = hn::IfThenElseZero(hn::And(r, t), hn::GatherIndex(ds, f, hn::Add(right, upOffset)));
}

// sampleBilinear's arithmetic on one half of a block, in double.
template <int HALF>
HWY_INLINE VF interpolateHalf(VS fxS, VS fyS, VS gxS, VS gyS, VS f00S, VS f10S, VS f01S, VS f11S)
{
    const VD fx = wideHalf<HALF>(fxS), fy = wideHalf<HALF>(fyS), gx = wideHalf<HALF>(gxS), gy = wideHalf<HALF>(gyS);
    const VD f00 = wideHalf<HALF>(f00S), f10 = wideHalf<HALF>(f10S);
    const VD f01 = wideHalf<HALF>(f01S), f11 = wideHalf<HALF>(f11S);
    const VD right = hn::Mul(fx, hn::Add(hn::Mul(f10, gy), hn::Mul(f11, fy)));
    const VD left = hn::Mul(hn::Add(hn::Mul(gy, f00), hn::Mul(fy, f01)), gx);
    return narrow(hn::Add(right, left));
}

// The four corners of each lane's stencil where every point lies in its own cell
// or the one to the left, and in its own row or the one below: selects among the
// nine cells around the block (lower row sw, s, se; middle w, c, e; upper nw, n, ne).
HWY_INLINE void selectCorners(MS left, MS below, VS sw, VS s, VS se, VS w, VS c, VS e, VS nw, VS n, VS ne, VS& f00,
                              VS& f10, VS& f01, VS& f11)
{
    const VS lowerW = hn::IfThenElse(below, sw, w), lower = hn::IfThenElse(below, s, c);
    const VS lowerE = hn::IfThenElse(below, se, e);
    const VS upperW = hn::IfThenElse(below, w, nw), upper = hn::IfThenElse(below, c, n);
    const VS upperE = hn::IfThenElse(below, e, ne);
    f00 = hn::IfThenElse(left, lowerW, lower);
    f10 = hn::IfThenElse(left, lower, lowerE);
    f01 = hn::IfThenElse(left, upperW, upper);
    f11 = hn::IfThenElse(left, upper, upperE);
}

// A solid corner counts with the lane's own value (walls.h).
HWY_INLINE VS mirrorWall(VS solid, VS value, VS own)
{
    return hn::IfThenElse(hn::Ne(solid, hn::Zero(DS())), own, value);
}

// sampleBilinear at the departure points of every cell of a band, a block of
// cells of one row at a time. Blocks walk up a column of the grid, so that the
// field's rows around a block (south, centre and north, each at the columns west,
// centre and east of its cells) are loaded once and carried to the next two
// blocks; with walls, the mask's rows the same way.
template <int KIND, bool WALLS>
HWY_NOINLINE void sampleRows(const AdvectArrays& arrays)
{
    const AdvectArrays a = arrays; // a local copy: the stores to out cannot change it
    const Extent e = a.extent;
    const DS ds;
    const DSI di;
    const size_t width = size_t(e.width);
    const int rowEnd = e.width - 2; // the last interior column
    const int lanes = int(hn::Lanes(ds)), halfLanes = int(hn::Lanes(DD()));
    const int lastBlock = rowEnd - lanes + 1; // the row's final block overlaps the one before
    const bool oneMultiplication = isPowerOfTwo(a.timestep);
    const VD stepInCells = hn::Set(DD(), double(a.timestep) * a.invCellSize);
    const VD timestep = hn::Set(DD(), double(a.timestep)), invCellSize = hn::Set(DD(), double(a.invCellSize));
    const VS zero = hn::Zero(ds), one = hn::Set(ds, 1.0f);
    for (int block = 1; block <= rowEnd; block += lanes) {
        // Overlapping is harmless: a sample reads f and writes only out.
        const int x = block < lastBlock ? block : lastBlock;
        const size_t first = size_t(x) + size_t(e.rowBegin - 1) * width; // the block's south row
        const float* south = a.f + first;
        VS sw = hn::LoadU(ds, south - 1), s = hn::LoadU(ds, south), se = hn::LoadU(ds, south + 1);
        VS w = hn::LoadU(ds, south + width - 1), c = hn::LoadU(ds, south + width);
        VS e_ = hn::LoadU(ds, south + width + 1);
        // The mask's rows, for walls only (zero otherwise and compiled out).
        const float* solidSouth = WALLS ? a.solid + first : nullptr;
        VS msw = zero, ms = zero, mse = zero, mw = zero, mc = zero, me = zero;
        if (WALLS) {
            msw = hn::LoadU(ds, solidSouth - 1), ms = hn::LoadU(ds, solidSouth), mse = hn::LoadU(ds, solidSouth + 1);
            mw = hn::LoadU(ds, solidSouth + width - 1), mc = hn::LoadU(ds, solidSouth + width);
            me = hn::LoadU(ds, solidSouth + width + 1);
        }
        const VS columns = hn::Add(hn::Set(ds, float(x)), hn::Iota(ds, 0.0f));
        const VD cellsLo = hn::Add(hn::Set(DD(), double(x)), hn::Iota(DD(), 0.0));
        const VD cellsHi = hn::Add(cellsLo, hn::Set(DD(), double(halfLanes)));
        VD carryLo = startCarry<KIND>(a.u, a.v, first + width);
        VD carryHi = carryLo;
        if (HALVES == 2)
            carryHi = startCarry<KIND>(a.u, a.v, first + width + size_t(halfLanes));
        for (int y = e.rowBegin; y < e.rowEnd; ++y) {
            const size_t i = size_t(x) + size_t(y) * width;
            const float* north = a.f + i + width;
            const VS nw = hn::LoadU(ds, north - 1), n = hn::LoadU(ds, north), ne = hn::LoadU(ds, north + 1);
            VS mnw = zero, mn = zero, mne = zero;
            if (WALLS) {
                const float* solidNorth = a.solid + i + width;
                mnw = hn::LoadU(ds, solidNorth - 1), mn = hn::LoadU(ds, solidNorth), mne = hn::LoadU(ds, solidNorth + 1);
            }
            const VD row = hn::Set(DD(), double(y));
            VF pxLo, pyLo;
            departuresOfHalf<KIND>(a, i, cellsLo, row, oneMultiplication, stepInCells, timestep, invCellSize, carryLo,
                                   pxLo, pyLo);
            VF pxHi = pxLo, pyHi = pyLo;
            if (HALVES == 2)
                departuresOfHalf<KIND>(a, i + size_t(halfLanes), cellsHi, row, oneMultiplication, stepInCells,
                                       timestep, invCellSize, carryHi, pxHi, pyHi);
            const VS px = clampToGrid(join(pxLo, pxHi), e.width - 1);
            const VS py = clampToGrid(join(pyLo, pyHi), e.height - 1);

            // The points are never negative, so floor is the truncation to an
            // integer, and p - floor(p) is exact.
            const VS cellX = hn::Floor(px), cellY = hn::Floor(py);
            const VS back = hn::Sub(columns, cellX), down = hn::Sub(hn::Set(ds, float(y)), cellY);
            const MS left = hn::Eq(back, one), below = hn::Eq(down, one);
            VS f00, f10, f01, f11;
            VS s00 = zero, s10 = zero, s01 = zero, s11 = zero;
            if (hn::AllTrue(ds, hn::And(hn::Or(left, hn::Eq(back, zero)), hn::Or(below, hn::Eq(down, zero))))) {
                // The usual case, under about five cells per unit time.
                selectCorners(left, below, sw, s, se, w, c, e_, nw, n, ne, f00, f10, f01, f11);
                if (WALLS)
                    selectCorners(left, below, msw, ms, mse, mw, mc, me, mnw, mn, mne, s00, s10, s01, s11);
            } else {
                const VSI ix = hn::ConvertTo(di, cellX), iy = hn::ConvertTo(di, cellY);
                gatherCorners(a.f, e, ix, iy, f00, f10, f01, f11);
                if (WALLS)
                    gatherCorners(a.solid, e, ix, iy, s00, s10, s01, s11);
            }
            if (WALLS) {
                f00 = mirrorWall(s00, f00, c);
                f10 = mirrorWall(s10, f10, c);
                f01 = mirrorWall(s01, f01, c);
                f11 = mirrorWall(s11, f11, c);
            }
            const VS fx = hn::Sub(px, cellX), fy = hn::Sub(py, cellY);
            const VS gx = hn::Sub(one, fx), gy = hn::Sub(one, fy);
            const VF lo = interpolateHalf<0>(fx, fy, gx, gy, f00, f10, f01, f11);
            VF hi = lo;
            if (HALVES == 2)
                hi = interpolateHalf<1>(fx, fy, gx, gy, f00, f10, f01, f11);
            hn::StoreU(join(lo, hi), ds, a.out + i);
            sw = w, s = c, se = e_;
            w = nw, c = n, e_ = ne;
            if (WALLS) {
                msw = mw, ms = mc, mse = me;
                mw = mnw, mc = mn, me = mne;
            }
        }
    }
}

// Rows per walk up the columns. A walk touches a few cache lines per row of each
// array, and the next column of blocks shares the lines at its edge, which must
// still be in a near cache when it comes. Where a row is a power of two bytes
// long, every row's lines of every array fall into the same few sets of the
// caches: eight rows of four arrays still fit a set of L2 at 4,096 cells a row
// (a walk up a whole band left them to L3 or memory).
constexpr int WALK_ROWS = 8;

// This target's sampling loops, by kind and walls, a walk at a time.
struct RowLoops {
    template <int KIND, bool WALLS>
    static void run(const AdvectArrays& a)
    {
        AdvectArrays walk = a;
        for (int y = a.extent.rowBegin; y < a.extent.rowEnd; y += WALK_ROWS) {
            walk.extent.rowBegin = y;
            walk.extent.rowEnd = a.extent.rowEnd - y > WALK_ROWS ? y + WALK_ROWS : a.extent.rowEnd;
            sampleRows<KIND, WALLS>(walk);
        }
    }
};

void SampleDepartures(const AdvectArrays& a, AdvectKind kind) { sampleByKind<RowLoops>(a, kind); }

// ---- in-place passes --------------------------------------------------------------

// Calls block(first, lanesToSkip) over the cells from..last of a row. The update
// is in place, so a final partial block is shifted left to stay in the row and
// skips the lanes already done, rather than reading or writing past the row.
template <typename Block>
HWY_INLINE void forRow(int from, int last, const Block& block)
{
    const int lanes = int(hn::Lanes(DD()));
    int x = from;
    for (; x + lanes - 1 <= last; x += lanes)
        block(x, 0);
    if (x <= last) {
        const int start = last - lanes + 1;
        block(start, x - start);
    }
}

// The lanes from skip on. Not alone would not do: on SVE it also sets the lanes
// past the tag's, which a blended store would then write.
HWY_INLINE MF lanesFrom(int skip)
{
    const DF df;
    return hn::AndNot(hn::FirstN(df, size_t(skip)), hn::FirstN(df, hn::Lanes(df)));
}

// Stores only the lanes from skip on.
HWY_INLINE void storeLanes(VF value, int skip, float* p)
{
    const DF df;
    if (skip == 0)
        hn::StoreU(value, df, p);
    else
        hn::BlendedStore(value, lanesFrom(skip), df, p);
}

// ---- height update ----------------------------------------------------------------

// Per-lane bounds of the mode's value, from skip on. Both comparisons are strict,
// so a NaN value changes neither; max never falls below min, so a value can pass
// at most one of them, as in the portable update.
HWY_INLINE void includeInRange(VF value, int skip, MF wet, VF& max, VF& min)
{
    MF above = hn::And(hn::Gt(value, max), wet);
    MF beneath = hn::And(hn::Lt(value, min), wet);
    if (skip != 0) {
        const MF lanes = lanesFrom(skip);
        above = hn::And(above, lanes);
        beneath = hn::And(beneath, lanes);
    }
    max = hn::IfThenElse(above, value, max);
    min = hn::IfThenElse(beneath, value, min);
}

// The value whose range a mode tracks, in the order of the colour modes.
template <int MODE>
HWY_INLINE VF shownValue(VF height, VF change, VF accel, VF speed, VF direction, VF energy)
{
    if (MODE == MODE_H)
        return height;
    if (MODE == MODE_HEIGHT_CHANGE)
        return change;
    if (MODE == MODE_HEIGHT_ACCEL)
        return accel;
    if (MODE == MODE_SPEED_SQ)
        return speed;
    if (MODE == MODE_FLOW_DIRECTION)
        return direction;
    return energy;
}

template <int MODE, bool WALLS>
HWY_INLINE void updateHeightBlock(const HeightArrays& a, size_t i, int skip, VF& laneMax, VF& laneMin)
{
    const DF df;
    const VD u0 = loadWide(a.u + i), u1 = loadWide(a.u + i + 1);
    const VD v0 = loadWide(a.v + i), v1 = loadWide(a.v + i + size_t(a.extent.width));
    const VF height = hn::LoadU(df, a.hIn + i);
    const VD factor = hn::Mul(hn::Mul(wide(height), hn::Set(DD(), -0.5)), hn::Set(DD(), a.invCellSize));
    const VF d = narrow(hn::Mul(hn::Add(hn::Sub(v1, v0), hn::Sub(u1, u0)), factor));
    const VF prev = hn::LoadU(df, a.heightChange + i);
    const VF change = hn::Mul(hn::Set(df, a.timestep), d);
    const VF newHeight = hn::Add(change, height);
    storeLanes(change, skip, a.heightChange + i);
    storeLanes(newHeight, skip, a.h + i);

    // Formed in every mode, stored in those that show them (and compiled out elsewhere).
    const VF accel = hn::Sub(change, prev);
    const VF speed = narrow(hn::Add(hn::Mul(u0, u0), hn::Mul(v0, v0)));
    const VF energy = hn::Mul(speed, accel);
    if (MODE == MODE_HEIGHT_ACCEL || MODE == MODE_ENERGY_PRODUCT)
        storeLanes(accel, skip, a.heightAccel + i);
    if (MODE == MODE_SPEED_SQ || MODE == MODE_ENERGY_PRODUCT)
        storeLanes(speed, skip, a.speedSq + i);
    if (MODE == MODE_FLOW_DIRECTION) {
        // atan2 has no vector form with the library's bits: the same call, per lane.
        for (size_t k = i + size_t(skip); k < i + hn::Lanes(df); ++k)
            a.flowDirection[k] = float(std::atan2(double(a.v[k]), double(a.u[k])));
    }
    if (MODE == MODE_ENERGY_PRODUCT)
        storeLanes(energy, skip, a.energyProduct + i);
    if (MODE != MODE_PLAIN) {
        const VF direction = hn::LoadU(df, a.flowDirection + i);
        // Solid cells are left out of the range.
        const MF wet = WALLS ? hn::Eq(hn::LoadU(df, a.solid + i), hn::Zero(df)) : hn::FirstN(df, hn::Lanes(df));
        includeInRange(shownValue<MODE>(newHeight, change, accel, speed, direction, energy), skip, wet, laneMax,
                       laneMin);
    }
}

template <int MODE, bool WALLS>
HWY_NOINLINE void updateHeightRows(const HeightArrays& arrays, float& max, float& min)
{
    HeightArrays a = arrays; // a local copy: the stores to the fields cannot change it
    if (a.hIn == nullptr)
        a.hIn = a.h;
    const DF df;
    const size_t width = size_t(a.extent.width);
    VF laneMax = hn::Set(df, max), laneMin = hn::Set(df, min);
    for (int y = a.extent.rowBegin; y < a.extent.rowEnd; ++y)
        forRow(1, a.extent.width - 2, [&](int x, int skip) {
            updateHeightBlock<MODE, WALLS>(a, size_t(x) + size_t(y) * width, skip, laneMax, laneMin);
        });
    // Each lane's bounds start from the range, so the range is their fold. Only
    // the sign of a zero bound can depend on the order (height_update.cpp settles it).
    if (MODE != MODE_PLAIN) {
        max = hn::GetLane(hn::MaxOfLanes(df, laneMax));
        min = hn::GetLane(hn::MinOfLanes(df, laneMin));
    }
}

void UpdateHeightInterior(const HeightArrays& a, int mode, float& max, float& min)
{
    using Pass = void (*)(const HeightArrays&, float&, float&);
    static constexpr Pass open[MODE_COUNT] = {
        updateHeightRows<0, false>, updateHeightRows<1, false>, updateHeightRows<2, false>, updateHeightRows<3, false>,
        updateHeightRows<4, false>, updateHeightRows<5, false>, updateHeightRows<6, false>};
    // Without a range (mode 0) the walls change nothing here.
    static constexpr Pass walled[MODE_COUNT] = {
        updateHeightRows<0, false>, updateHeightRows<1, true>, updateHeightRows<2, true>, updateHeightRows<3, true>,
        updateHeightRows<4, true>,  updateHeightRows<5, true>, updateHeightRows<6, true>};
    (a.solid != nullptr ? walled : open)[mode](a, max, min);
}

// ---- velocity update --------------------------------------------------------------

// face = in - (here - behind) x c over the cells from..last of one row; in may be face.
HWY_INLINE void accelerateRow(float* face, const float* in, const float* h, size_t behind, int from, int last, VD c)
{
    forRow(from, last, [&](int x, int skip) {
        const VD gradient = hn::Sub(loadWide(h + x), loadWide(h + x - behind));
        storeLanes(narrow(hn::Sub(loadWide(in + x), hn::Mul(gradient, c))), skip, face + x);
    });
}

// The same over a bed: the gradient of h - rest.
HWY_INLINE void accelerateRowOverBed(float* face, const float* in, const float* h, const float* rest, size_t behind,
                                     int from, int last, VD c)
{
    forRow(from, last, [&](int x, int skip) {
        const VD here = hn::Sub(loadWide(h + x), loadWide(rest + x));
        const VD back = hn::Sub(loadWide(h + x - behind), loadWide(rest + x - behind));
        storeLanes(narrow(hn::Sub(loadWide(in + x), hn::Mul(hn::Sub(here, back), c))), skip, face + x);
    });
}

void UpdateVelocities(const VelocityArrays& arrays)
{
    VelocityArrays a = arrays; // a local copy: the stores to u and v cannot change it
    const bool outOfPlace = (a.uIn != nullptr && a.uIn != a.u) || (a.vIn != nullptr && a.vIn != a.v);
    if (a.uIn == nullptr)
        a.uIn = a.u;
    if (a.vIn == nullptr)
        a.vIn = a.v;
    const VD c = hn::Set(DD(), a.coefficient);
    // The wall faces u[1, y], u[width - 1, y], v[x, 1] and v[x, height - 1] are never
    // accelerated. Each row's u and then its v, so that h's rows y - 1 and y are
    // read from memory once for both.
    const size_t width = size_t(a.extent.width);
    const int last = a.extent.width - 2;
    for (int y = a.extent.rowBegin; y < a.extent.rowEnd; ++y) {
        const size_t r = size_t(y) * width;
        if (outOfPlace) {
            a.u[r + 1] = a.uIn[r + 1];
            if (y == 1)
                std::memcpy(a.v + r + 1, a.vIn + r + 1, sizeof(float) * size_t(last));
        }
        if (a.rest != nullptr) {
            accelerateRowOverBed(a.u + r, a.uIn + r, a.h + r, a.rest + r, 1, 2, last, c);
            if (y >= 2)
                accelerateRowOverBed(a.v + r, a.vIn + r, a.h + r, a.rest + r, width, 1, last, c);
        } else {
            accelerateRow(a.u + r, a.uIn + r, a.h + r, 1, 2, last, c);
            if (y >= 2)
                accelerateRow(a.v + r, a.vIn + r, a.h + r, width, 1, last, c);
        }
    }
}

} // namespace HWY_NAMESPACE
} // namespace ripplemoor
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace ripplemoor {

HWY_EXPORT(SampleDepartures);
HWY_EXPORT(UpdateHeightInterior);
HWY_EXPORT(UpdateVelocities);
HWY_EXPORT(BlockLanes);

void kernel::sampleDepartures(const AdvectArrays& a, AdvectKind kind)
{
    HWY_DYNAMIC_DISPATCH(SampleDepartures)(a, kind);
}

void kernel::updateHeightInterior(const HeightArrays& a, int mode, float& max, float& min)
{
    HWY_DYNAMIC_DISPATCH(UpdateHeightInterior)(a, mode, max, min);
}

void kernel::updateVelocities(const VelocityArrays& a) { HWY_DYNAMIC_DISPATCH(UpdateVelocities)(a); }

// The interior of a row must hold one block: the advection's, twice as wide as
// the in-place passes'.
bool kernel::fitsWidth(int width) { return width - 2 >= HWY_DYNAMIC_DISPATCH(BlockLanes)(); }

bool useKernel(const Basin& basin) { return !simd::portableChosen() && kernel::fitsWidth(basin.width()); }

} // namespace ripplemoor
#endif
