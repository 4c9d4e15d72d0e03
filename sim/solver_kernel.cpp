// The solver's vector kernel: advection's departure sampling, the height update's
// interior pass and the velocity update, written once with Highway and compiled for
// every instruction set it targets; the best one this processor has is chosen at
// run time (solver_path.cpp can restrict the choice).
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
#include <type_traits>

#include "sim/advect.h"
#include "sim/stages.h"

HWY_BEFORE_NAMESPACE();
namespace ripplemoor {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

constexpr int GRID = GRID_SIZE;
constexpr int LAST = GRID - 1;    // 159
constexpr int ROW_END = GRID - 2; // 158, the last interior column or row

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

// A block, and a row's final block shifted left to stay in the row, must fit in
// the 158 interior cells of a row.
static_assert(hn::MaxLanes(DS()) == HALVES * hn::MaxLanes(DD()) && hn::MaxLanes(DS()) <= ROW_END,
              "a block of cells must fit in a row");

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
HWY_INLINE VD startCarry(const float* u, const float* v, int i)
{
    if (KIND == ADVECT_H)
        return loadWide(v + i);
    if (KIND == ADVECT_U)
        return hn::Add(loadWide(v + i), loadWide(v + i + 1));
    return hn::Add(loadWide(u + i + 1), loadWide(u + i));
}

template <int KIND>
HWY_INLINE void velocitiesAt(const float* u, const float* v, int i, VD& carry, VF& velX, VF& velY)
{
    const int up = i + GRID;
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

// (TIMESTEP x velocity) x invCellSize is exact in double (a power of two times a
// float, then a product of two 24-bit significands), and so is velocity x
// stepInCells with stepInCells = TIMESTEP x invCellSize: one multiplication gives
// the same bits.
constexpr bool isPowerOfTwo(double t)
{
    while (t > 1.0)
        t /= 2.0;
    while (t > 0.0 && t < 1.0)
        t *= 2.0;
    return t == 1.0;
}
static_assert(isPowerOfTwo(TIMESTEP), "one multiplication per departure needs a power-of-two time step");
static_assert(std::is_same<decltype(AdvectArrays::invCellSize), float>::value &&
                  std::is_same<decltype(AdvectArrays::timestep), float>::value,
              "one multiplication per departure needs a float cell size and time step");

// The departure points of the cells i, i + 1, ... of one half, at columns cells of a row.
template <int KIND>
HWY_INLINE void departuresOfHalf(const AdvectArrays& a, int i, VD cells, VD row, VD stepInCells, VD& carry, VF& px,
                                 VF& py)
{
    VF velX, velY;
    velocitiesAt<KIND>(a.u, a.v, i, carry, velX, velY);
    px = narrow(hn::Sub(cells, hn::Mul(wide(velX), stepInCells)));
    py = narrow(hn::Sub(row, hn::Mul(wide(velY), stepInCells)));
}

// Clamped to 0..159 with comparisons, so that NaN lands on 0 like a point before
// the first cell whatever the target's min/max do.
HWY_INLINE VS clampToGrid(VS p)
{
    const DS ds;
    p = hn::IfThenElse(hn::Gt(p, hn::Zero(ds)), p, hn::Zero(ds));
    const VS last = hn::Set(ds, float(LAST));
    return hn::IfThenElse(hn::Gt(p, last), last, p);
}

// Any departure point: gathers whose right and upper neighbours past column or row
// 159 read the cell itself and are then replaced by 0, so nothing outside the grid
// is read and those neighbours count as 0, as in the portable sample.
HWY_INLINE void gatherCorners(const float* f, VSI ix, VSI iy, VS& f00, VS& f10, VS& f01, VS& f11)
{
    const DS ds;
    const DSI di;
    const auto hasRight = hn::Lt(ix, hn::Set(di, LAST));
    const auto hasUp = hn::Lt(iy, hn::Set(di, LAST));
    const VSI index = hn::Add(ix, hn::Mul(iy, hn::Set(di, GRID)));
    const VSI right = hn::Add(index, hn::IfThenElseZero(hasRight, hn::Set(di, 1)));
    const VSI upOffset = hn::IfThenElseZero(hasUp, hn::Set(di, GRID));
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

// sampleBilinear at the departure points of every interior cell, a block of cells
// of one row at a time. Blocks walk up a column of the grid, so that the field's
// rows around a block (south, centre and north, each at the columns west, centre
// and east of its cells) are loaded once and carried to the next two blocks.
template <int KIND>
HWY_NOINLINE void sampleRows(const AdvectArrays& arrays)
{
    const AdvectArrays a = arrays; // a local copy: the stores to out cannot change it
    const DS ds;
    const DSI di;
    const int lanes = int(hn::Lanes(ds)), halfLanes = int(hn::Lanes(DD()));
    const int lastBlock = ROW_END - lanes + 1; // the row's final block overlaps the one before
    const VD stepInCells = hn::Set(DD(), double(a.timestep) * a.invCellSize);
    const VS zero = hn::Zero(ds), one = hn::Set(ds, 1.0f);
    for (int block = 1; block <= ROW_END; block += lanes) {
        // Overlapping is harmless: a sample reads f and writes only out.
        const int x = block < lastBlock ? block : lastBlock;
        const float* south = a.f + x; // row 0
        VS sw = hn::LoadU(ds, south - 1), s = hn::LoadU(ds, south), se = hn::LoadU(ds, south + 1);
        VS w = hn::LoadU(ds, south + GRID - 1), c = hn::LoadU(ds, south + GRID), e = hn::LoadU(ds, south + GRID + 1);
        const VS columns = hn::Add(hn::Set(ds, float(x)), hn::Iota(ds, 0.0f));
        const VD cellsLo = hn::Add(hn::Set(DD(), double(x)), hn::Iota(DD(), 0.0));
        const VD cellsHi = hn::Add(cellsLo, hn::Set(DD(), double(halfLanes)));
        VD carryLo = startCarry<KIND>(a.u, a.v, x + GRID);
        VD carryHi = carryLo;
        if (HALVES == 2)
            carryHi = startCarry<KIND>(a.u, a.v, x + GRID + halfLanes);
        for (int y = 1; y <= ROW_END; ++y) {
            const int i = x + y * GRID;
            const float* north = a.f + i + GRID;
            const VS nw = hn::LoadU(ds, north - 1), n = hn::LoadU(ds, north), ne = hn::LoadU(ds, north + 1);
            const VD row = hn::Set(DD(), double(y));
            VF pxLo, pyLo;
            departuresOfHalf<KIND>(a, i, cellsLo, row, stepInCells, carryLo, pxLo, pyLo);
            VF pxHi = pxLo, pyHi = pyLo;
            if (HALVES == 2)
                departuresOfHalf<KIND>(a, i + halfLanes, cellsHi, row, stepInCells, carryHi, pxHi, pyHi);
            const VS px = clampToGrid(join(pxLo, pxHi)), py = clampToGrid(join(pyLo, pyHi));

            // The points are never negative, so floor is the truncation to an
            // integer, and p - floor(p) is exact.
            const VS cellX = hn::Floor(px), cellY = hn::Floor(py);
            const VS back = hn::Sub(columns, cellX), down = hn::Sub(hn::Set(ds, float(y)), cellY);
            const MS left = hn::Eq(back, one), below = hn::Eq(down, one);
            VS f00, f10, f01, f11;
            if (hn::AllTrue(ds, hn::And(hn::Or(left, hn::Eq(back, zero)), hn::Or(below, hn::Eq(down, zero))))) {
                // The usual case, under about five cells per unit time: every point
                // lies in its own cell or the one to the left, and in its own row or
                // the one below, so selects among the nine cells replace the gathers.
                const VS lowerW = hn::IfThenElse(below, sw, w), lower = hn::IfThenElse(below, s, c);
                const VS lowerE = hn::IfThenElse(below, se, e);
                const VS upperW = hn::IfThenElse(below, w, nw), upper = hn::IfThenElse(below, c, n);
                const VS upperE = hn::IfThenElse(below, e, ne);
                f00 = hn::IfThenElse(left, lowerW, lower);
                f10 = hn::IfThenElse(left, lower, lowerE);
                f01 = hn::IfThenElse(left, upperW, upper);
                f11 = hn::IfThenElse(left, upper, upperE);
            } else {
                gatherCorners(a.f, hn::ConvertTo(di, cellX), hn::ConvertTo(di, cellY), f00, f10, f01, f11);
            }
            const VS fx = hn::Sub(px, cellX), fy = hn::Sub(py, cellY);
            const VS gx = hn::Sub(one, fx), gy = hn::Sub(one, fy);
            const VF lo = interpolateHalf<0>(fx, fy, gx, gy, f00, f10, f01, f11);
            VF hi = lo;
            if (HALVES == 2)
                hi = interpolateHalf<1>(fx, fy, gx, gy, f00, f10, f01, f11);
            hn::StoreU(join(lo, hi), ds, a.out + i);
            sw = w, s = c, se = e;
            w = nw, c = n, e = ne;
        }
    }
}

void SampleDepartures(const AdvectArrays& a, int kind)
{
    if (kind == ADVECT_H)
        sampleRows<ADVECT_H>(a);
    else if (kind == ADVECT_U)
        sampleRows<ADVECT_U>(a);
    else
        sampleRows<ADVECT_V>(a);
}

// ---- in-place passes --------------------------------------------------------------

// Calls block(first, lanesToSkip) over the cells from..158 of a row. The update is
// in place, so a final partial block is shifted left to stay in the row and skips
// the lanes already done, rather than reading or writing past the row.
template <typename Block>
HWY_INLINE void forRow(int from, const Block& block)
{
    const int lanes = int(hn::Lanes(DD()));
    int x = from;
    for (; x + lanes - 1 <= ROW_END; x += lanes)
        block(x, 0);
    if (x <= ROW_END) {
        const int start = ROW_END - lanes + 1;
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
HWY_INLINE void includeInRange(VF value, int skip, VF& max, VF& min)
{
    MF above = hn::Gt(value, max);
    MF beneath = hn::Lt(value, min);
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

template <int MODE>
HWY_INLINE void updateHeightBlock(const HeightArrays& a, int i, int skip, VF& laneMax, VF& laneMin)
{
    const DF df;
    const VD u0 = loadWide(a.u + i), u1 = loadWide(a.u + i + 1);
    const VD v0 = loadWide(a.v + i), v1 = loadWide(a.v + i + GRID);
    const VF height = hn::LoadU(df, a.h + i);
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
        for (int k = i + skip; k < i + int(hn::Lanes(df)); ++k)
            a.flowDirection[k] = float(std::atan2(double(a.v[k]), double(a.u[k])));
    }
    if (MODE == MODE_ENERGY_PRODUCT)
        storeLanes(energy, skip, a.energyProduct + i);
    if (MODE != MODE_PLAIN) {
        const VF direction = hn::LoadU(df, a.flowDirection + i);
        includeInRange(shownValue<MODE>(newHeight, change, accel, speed, direction, energy), skip, laneMax, laneMin);
    }
}

template <int MODE>
HWY_NOINLINE void updateHeightRows(const HeightArrays& arrays, float& max, float& min)
{
    const HeightArrays a = arrays; // a local copy: the stores to the fields cannot change it
    const DF df;
    VF laneMax = hn::Set(df, max), laneMin = hn::Set(df, min);
    for (int y = 1; y <= ROW_END; ++y)
        forRow(1, [&](int x, int skip) { updateHeightBlock<MODE>(a, x + y * GRID, skip, laneMax, laneMin); });
    // Each lane's bounds start from the range, so the range is their fold. Only
    // the sign of a zero bound can depend on the order; see settleZeroHeightMinimum.
    if (MODE != MODE_PLAIN) {
        max = hn::GetLane(hn::MaxOfLanes(df, laneMax));
        min = hn::GetLane(hn::MinOfLanes(df, laneMin));
    }
}

void UpdateHeightInterior(const HeightArrays& a, int mode, float& max, float& min)
{
    using Pass = void (*)(const HeightArrays&, float&, float&);
    static constexpr Pass passes[MODE_COUNT] = {updateHeightRows<0>, updateHeightRows<1>, updateHeightRows<2>,
                                                updateHeightRows<3>, updateHeightRows<4>, updateHeightRows<5>,
                                                updateHeightRows<6>};
    passes[mode](a, max, min);
}

// ---- velocity update --------------------------------------------------------------

// face = face - (here - behind) x c over the cells from..158 of one row.
HWY_INLINE void accelerateRow(float* face, const float* h, int behind, int from, VD c)
{
    forRow(from, [&](int x, int skip) {
        const VD gradient = hn::Sub(loadWide(h + x), loadWide(h + x - behind));
        storeLanes(narrow(hn::Sub(loadWide(face + x), hn::Mul(gradient, c))), skip, face + x);
    });
}

void UpdateVelocities(const VelocityArrays& a)
{
    const VD c = hn::Set(DD(), a.coefficient);
    // The wall faces u[1, y], u[159, y], v[x, 1] and v[x, 159] are never touched.
    for (int y = 1; y <= ROW_END; ++y)
        accelerateRow(a.u + y * GRID, a.h + y * GRID, 1, 2, c);
    for (int y = 2; y <= ROW_END; ++y)
        accelerateRow(a.v + y * GRID, a.h + y * GRID, GRID, 1, c);
}

} // namespace HWY_NAMESPACE
} // namespace ripplemoor
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace ripplemoor {
namespace {

// A bound that ends at zero keeps the sign of the first zero the portable pass
// met. Only hMin can end there (every other bound starts at +0 or 1 and moves only
// for a strictly larger or smaller value), and the kernel visits the cells in
// another order: this is the first zero in x-outer order.
float settleZeroHeightMinimum(const float* h)
{
    for (int x = 1; x < GRID_SIZE - 1; ++x)
        for (int y = 1; y < GRID_SIZE - 1; ++y)
            if (h[cellIndex(x, y)] == 0.0f)
                return h[cellIndex(x, y)];
    return 0.0f;
}

} // namespace

HWY_EXPORT(SampleDepartures);
HWY_EXPORT(UpdateHeightInterior);
HWY_EXPORT(UpdateVelocities);

void kernel::sampleDepartures(const AdvectArrays& a, int kind) { HWY_DYNAMIC_DISPATCH(SampleDepartures)(a, kind); }

void kernel::updateHeightInterior(const HeightArrays& a, int mode, float& max, float& min)
{
    HWY_DYNAMIC_DISPATCH(UpdateHeightInterior)(a, mode, max, min);
    if (mode == MODE_H && min == 0.0f)
        min = settleZeroHeightMinimum(a.h);
}

void kernel::updateVelocities(const VelocityArrays& a) { HWY_DYNAMIC_DISPATCH(UpdateVelocities)(a); }

} // namespace ripplemoor
#endif
