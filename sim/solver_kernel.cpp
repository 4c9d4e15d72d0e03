// The solver's vector kernel: advection's departure sampling, the height update's
// interior pass and the velocity update, written once with Highway and compiled for
// every instruction set it targets; the best one this processor has is chosen at
// run time (solver_path.cpp can restrict the choice).
//
// Each lane does exactly what the portable loops do for its cell, in the same
// order, rounding to float at the same points; only the order in which cells are
// visited differs, and no cell depends on another's result. Where a step is written
// as a float operation below, it is a single operation on two floats, whose double
// result rounded to float is the float result (53 >= 2 * 24 + 2 bits).

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "sim/solver_kernel.cpp"
#include <hwy/foreach_target.h> // IWYU pragma: keep
#include <hwy/highway.h>

#include <cmath>

#include "app/state.h"
#include "sim/solver_kernel.h"

HWY_BEFORE_NAMESPACE();
namespace ripplemoor {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Doubles for the arithmetic, and floats with as many lanes for the fields.
using DD = hn::ScalableTag<double>;
using DF = hn::Rebind<float, DD>;
using VD = hn::Vec<DD>;
using VF = hn::Vec<DF>;
using MF = hn::Mask<DF>;

constexpr int GRID = GRID_SIZE;
constexpr int LAST = GRID - 1;    // 159
constexpr int ROW_END = GRID - 2; // 158, the last interior column or row
constexpr size_t MAX_LANES = 64;  // above any target's lane count for doubles

HWY_INLINE VD wide(VF f) { return hn::PromoteTo(DD(), f); }
HWY_INLINE VD loadWide(const float* p) { return wide(hn::LoadU(DF(), p)); }

// Rounds to float the IEEE way: an overflow gives infinity. The emulated targets'
// DemoteTo saturates at the largest float instead, so they convert lane by lane.
HWY_INLINE VF narrow(VD d)
{
#if HWY_TARGET == HWY_SCALAR || HWY_TARGET == HWY_EMU128
    double in[MAX_LANES];
    float out[MAX_LANES];
    hn::StoreU(d, DD(), in);
    for (size_t k = 0; k < hn::Lanes(DD()); ++k)
        out[k] = float(in[k]);
    return hn::LoadU(DF(), out);
#else
    return hn::DemoteTo(DF(), d);
#endif
}

// ---- advection --------------------------------------------------------------------
// SVE vectors have no size, so vectors live in named variables here, never in
// arrays or structs.

// Advection samples a full float vector of cells at once, twice as many as a
// double vector holds (one cell on the scalar target): the float steps run once
// for all of them, the double arithmetic once per half, lower (lo) and upper (hi).
#undef RIPPLEMOOR_HALVES
#if HWY_TARGET == HWY_SCALAR
#define RIPPLEMOOR_HALVES 1
using DS = DF;
#else
#define RIPPLEMOOR_HALVES 2
using DS = hn::ScalableTag<float>;
#endif
using VS = hn::Vec<DS>;
using MS = hn::Mask<DS>;
using DSI = hn::RebindToSigned<DS>;
using VSI = hn::Vec<DSI>;

HWY_INLINE VS join(VF lo, VF hi)
{
#if RIPPLEMOOR_HALVES == 1
    (void)hi;
    return lo;
#else
    return hn::Combine(DS(), hi, lo);
#endif
}

HWY_INLINE VD wideLo(VS v)
{
#if RIPPLEMOOR_HALVES == 1
    return wide(v);
#else
    return wide(hn::LowerHalf(hn::Half<DS>(), v));
#endif
}

HWY_INLINE VD wideHi(VS v)
{
#if RIPPLEMOOR_HALVES == 1
    return wide(v);
#else
    return wide(hn::UpperHalf(hn::Half<DS>(), v));
#endif
}

// The velocity at the sample points of the cells i, i + 1, ... of one half. The
// averages take the faces of rows y and y + 1; what row y + 1 gives is carried to
// the next row up (the first two terms of its sum, or its lower face), so each
// face row is loaded once. startCarry gives the carry for the first row.
template <int KIND>
HWY_INLINE VD startCarry(const float* u, const float* v, int i)
{
    if (KIND == 0)
        return loadWide(v + i);
    if (KIND == 1)
        return hn::Add(loadWide(v + i), loadWide(v + i + 1));
    return hn::Add(loadWide(u + i + 1), loadWide(u + i));
}

template <int KIND>
HWY_INLINE void velocitiesAt(const float* u, const float* v, int i, VD& carry, VF& velX, VF& velY)
{
    const int up = i + GRID;
    if (KIND == 0) {
        const VD half = hn::Set(DD(), 0.5);
        const VD vUp = loadWide(v + up);
        velX = narrow(hn::Mul(hn::Add(loadWide(u + i + 1), loadWide(u + i)), half));
        velY = narrow(hn::Mul(hn::Add(vUp, carry), half));
        carry = vUp;
    } else if (KIND == 1) {
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
HWY_INLINE VF departureHalf(VD cells, VF velocity, VD stepInCells)
{
    return narrow(hn::Sub(cells, hn::Mul(wide(velocity), stepInCells)));
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

// The field around a block of cells: rows y - 1 (south), y and y + 1 (north), each
// at columns x - 1, x and x + 1 (west, centre, east) of every cell of the block.
// Walking a column of blocks up the grid, two rows carry over to the next block.
#define RIPPLEMOOR_NEIGHBOURS VS sw, VS s, VS se, VS w, VS c, VS e, VS nw, VS n, VS ne

// The usual case, a velocity below about five cells per unit time: each cell's
// point lies in its own cell or the one to the left, and in its own row or the one
// below, so each corner is one of four neighbours of the cell and selects replace
// the gathers.
HWY_INLINE void nearbyCorners(RIPPLEMOOR_NEIGHBOURS, MS left, MS below, VS& f00, VS& f10, VS& f01, VS& f11)
{
    // Rows y - 1 or y (lower) and y or y + 1 (upper), at columns x - 1, x and x + 1.
    const VS lowerL = hn::IfThenElse(below, sw, w), lower = hn::IfThenElse(below, s, c);
    const VS lowerR = hn::IfThenElse(below, se, e);
    const VS upperL = hn::IfThenElse(below, w, nw), upper = hn::IfThenElse(below, c, n);
    const VS upperR = hn::IfThenElse(below, e, ne);
    f00 = hn::IfThenElse(left, lowerL, lower);
    f10 = hn::IfThenElse(left, lower, lowerR);
    f01 = hn::IfThenElse(left, upperL, upper);
    f11 = hn::IfThenElse(left, upper, upperR);
}

// The interpolation of one half, in double.
HWY_INLINE VF interpolate(VD fx, VD fy, VD gx, VD gy, VD f00, VD f10, VD f01, VD f11)
{
    const VD right = hn::Mul(fx, hn::Add(hn::Mul(f10, gy), hn::Mul(f11, fy)));
    const VD left = hn::Mul(hn::Add(hn::Mul(gy, f00), hn::Mul(fy, f01)), gx);
    return narrow(hn::Add(right, left));
}

// sampleBilinear at the departure points of a block of cells of row y (columns
// holds their x as floats). The points are never negative, so floor is the
// truncation to an integer, and p - floor(p) is exact: the fractions and the
// neighbourhood test are float operations, and only the gathers need integers.
HWY_INLINE VS sampleBlock(const float* f, int y, VS columns, VS px, VS py, RIPPLEMOOR_NEIGHBOURS)
{
    const DS ds;
    const VS one = hn::Set(ds, 1.0f);
    const VS cellX = hn::Floor(px), cellY = hn::Floor(py);
    const VS fx = hn::Sub(px, cellX);
    const VS fy = hn::Sub(py, cellY);
    const VS gx = hn::Sub(one, fx);
    const VS gy = hn::Sub(one, fy);

    // 1 where the point lies in the cell to the left (below), 0 in the cell itself;
    // any other whole number when it lies further away. The float bits of a whole
    // number have no bit outside those of 1.0f only for 0 and 1.
    const VS back = hn::Sub(columns, cellX);
    const VS down = hn::Sub(hn::Set(ds, float(y)), cellY);
    const DSI di;
    const VSI otherBits = hn::And(hn::Or(hn::BitCast(di, back), hn::BitCast(di, down)), hn::Set(di, ~0x3F800000));
    VS f00, f10, f01, f11;
    if (hn::AllTrue(di, hn::Eq(otherBits, hn::Zero(di))))
        nearbyCorners(sw, s, se, w, c, e, nw, n, ne, hn::Eq(back, one), hn::Eq(down, one), f00, f10, f01, f11);
    else
        gatherCorners(f, hn::ConvertTo(di, cellX), hn::ConvertTo(di, cellY), f00, f10, f01, f11);

    const VF lo = interpolate(wideLo(fx), wideLo(fy), wideLo(gx), wideLo(gy), wideLo(f00), wideLo(f10),
                              wideLo(f01), wideLo(f11));
#if RIPPLEMOOR_HALVES == 1
    return lo;
#else
    const VF hi = interpolate(wideHi(fx), wideHi(fy), wideHi(gx), wideHi(gy), wideHi(f00), wideHi(f10),
                              wideHi(f01), wideHi(f11));
    return join(lo, hi);
#endif
}

template <int KIND>
HWY_NOINLINE void sampleRows(const AdvectArrays& arrays)
{
    const AdvectArrays a = arrays; // a local copy: the stores to out cannot change it
    const int lanes = int(hn::Lanes(DS()));
    const int lastBlock = ROW_END - lanes + 1; // the row's final block overlaps the one before
    const VD stepInCells = hn::Set(DD(), a.timestep * a.invCellSize);
    const VD laneD = hn::Iota(DD(), 0.0);
    const VS laneS = hn::Iota(DS(), 0.0f);
    // Blocks walk up a column of the grid, so that the field's rows around one block
    // are loaded once and carried to the next two.
    for (int block = 1; block <= ROW_END; block += lanes) {
        // Overlapping is harmless: a sample reads f and writes only out.
        const int x = block < lastBlock ? block : lastBlock;
        const DS ds;
        const float* south = a.f + x; // row 0
        VS sw = hn::LoadU(ds, south - 1), s = hn::LoadU(ds, south), se = hn::LoadU(ds, south + 1);
        VS w = hn::LoadU(ds, south + GRID - 1), c = hn::LoadU(ds, south + GRID), e = hn::LoadU(ds, south + GRID + 1);
        const VS columns = hn::Add(hn::Set(ds, float(x)), laneS);
        const VD cellsLo = hn::Add(hn::Set(DD(), double(x)), laneD);
        VD carryLo = startCarry<KIND>(a.u, a.v, x + GRID);
#if RIPPLEMOOR_HALVES == 2
        const int halfLanes = int(hn::Lanes(DD()));
        VD carryHi = startCarry<KIND>(a.u, a.v, x + GRID + halfLanes);
#endif
        for (int y = 1; y <= ROW_END; ++y) {
            const int i = x + y * GRID;
            const float* north = a.f + i + GRID;
            const VS nw = hn::LoadU(ds, north - 1), n = hn::LoadU(ds, north), ne = hn::LoadU(ds, north + 1);
            const VD row = hn::Set(DD(), double(y));
            VF velXLo, velYLo;
            velocitiesAt<KIND>(a.u, a.v, i, carryLo, velXLo, velYLo);
            const VF pxLo = departureHalf(cellsLo, velXLo, stepInCells);
            const VF pyLo = departureHalf(row, velYLo, stepInCells);
#if RIPPLEMOOR_HALVES == 1
            const VS px = clampToGrid(pxLo), py = clampToGrid(pyLo);
#else
            VF velXHi, velYHi;
            velocitiesAt<KIND>(a.u, a.v, i + halfLanes, carryHi, velXHi, velYHi);
            const VD cellsHi = hn::Add(cellsLo, hn::Set(DD(), double(halfLanes)));
            const VF pxHi = departureHalf(cellsHi, velXHi, stepInCells);
            const VF pyHi = departureHalf(row, velYHi, stepInCells);
            const VS px = clampToGrid(join(pxLo, pxHi)), py = clampToGrid(join(pyLo, pyHi));
#endif
            hn::StoreU(sampleBlock(a.f, y, columns, px, py, sw, s, se, w, c, e, nw, n, ne), ds, a.out + i);
            sw = w, s = c, se = e;
            w = nw, c = n, e = ne;
        }
    }
}

void SampleDepartures(const AdvectArrays& a, int kind)
{
    if (kind == 0)
        sampleRows<0>(a);
    else if (kind == 1)
        sampleRows<1>(a);
    else
        sampleRows<2>(a);
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

// Per-lane bounds of the mode's value, max and min. Both comparisons are strict,
// so a NaN value changes neither.
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

// The lanes folded with the same strict comparisons. Only the sign of a zero bound
// can depend on the order; updateHeight settles that afterwards.
HWY_INLINE void foldRange(VF laneMax, VF laneMin, float& max, float& min)
{
    float maxLanes[MAX_LANES], minLanes[MAX_LANES];
    hn::StoreU(laneMax, DF(), maxLanes);
    hn::StoreU(laneMin, DF(), minLanes);
    for (size_t k = 0; k < hn::Lanes(DF()); ++k) {
        if (maxLanes[k] > max)
            max = maxLanes[k];
        if (minLanes[k] < min)
            min = minLanes[k];
    }
}

template <int MODE>
HWY_INLINE void updateHeightBlock(const HeightArrays& a, int i, int skip, VF& laneMax, VF& laneMin, float& max,
                                  float& min)
{
    const DF df;
    const VD u0 = loadWide(a.u + i);
    const VD v0 = loadWide(a.v + i);
    const VF height = hn::LoadU(df, a.h + i);
    const VD divergence = hn::Add(hn::Sub(loadWide(a.v + i + GRID), v0), hn::Sub(loadWide(a.u + i + 1), u0));
    const VD factor = hn::Mul(hn::Mul(wide(height), hn::Set(DD(), -0.5)), hn::Set(DD(), a.invCellSize));
    const VF d = narrow(hn::Mul(divergence, factor));
    const VF prev = hn::LoadU(df, a.heightChange + i);
    const VF change = hn::Mul(hn::Set(df, a.timestep), d);
    const VF newHeight = hn::Add(change, height);
    storeLanes(change, skip, a.heightChange + i);
    storeLanes(newHeight, skip, a.h + i);

    if (MODE == 1)
        includeInRange(newHeight, skip, laneMax, laneMin);
    if (MODE == 2)
        includeInRange(change, skip, laneMax, laneMin);
    if (MODE == 3 || MODE == 6) {
        const VF accel = hn::Sub(change, prev);
        storeLanes(accel, skip, a.heightAccel + i);
        if (MODE == 3)
            includeInRange(accel, skip, laneMax, laneMin);
        if (MODE == 6) {
            const VF speed = narrow(hn::Add(hn::Mul(v0, v0), hn::Mul(u0, u0)));
            const VF energy = hn::Mul(speed, accel);
            storeLanes(speed, skip, a.speedSq + i);
            storeLanes(energy, skip, a.energyProduct + i);
            includeInRange(energy, skip, laneMax, laneMin);
        }
    }
    if (MODE == 4) {
        const VF speed = narrow(hn::Add(hn::Mul(u0, u0), hn::Mul(v0, v0)));
        storeLanes(speed, skip, a.speedSq + i);
        includeInRange(speed, skip, laneMax, laneMin);
    }
    if (MODE == 5) {
        // atan2 has no vector form with the library's bits: the same call, per lane.
        const int lanes = int(hn::Lanes(df));
        for (int k = i + skip; k < i + lanes; ++k) {
            const float direction = float(std::atan2(double(a.v[k]), double(a.u[k])));
            a.flowDirection[k] = direction;
            if (direction > max)
                max = direction;
            else if (direction < min)
                min = direction;
        }
    }
}

template <int MODE>
HWY_NOINLINE void updateHeightRows(const HeightArrays& arrays, float& max, float& min)
{
    const HeightArrays a = arrays; // a local copy: the stores to the fields cannot change it
    const DF df;
    VF laneMax = hn::Set(df, max), laneMin = hn::Set(df, min);
    for (int y = 1; y <= ROW_END; ++y) {
        forRow(1, [&](int x, int skip) {
            updateHeightBlock<MODE>(a, x + y * GRID, skip, laneMax, laneMin, max, min);
        });
    }
    if (MODE != 0 && MODE != 5)
        foldRange(laneMax, laneMin, max, min);
}

void UpdateHeightInterior(const HeightArrays& a, int mode, float& max, float& min)
{
    switch (mode) {
    case 1:
        return updateHeightRows<1>(a, max, min);
    case 2:
        return updateHeightRows<2>(a, max, min);
    case 3:
        return updateHeightRows<3>(a, max, min);
    case 4:
        return updateHeightRows<4>(a, max, min);
    case 5:
        return updateHeightRows<5>(a, max, min);
    case 6:
        return updateHeightRows<6>(a, max, min);
    default:
        return updateHeightRows<0>(a, max, min);
    }
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

void UpdateVelocities(float* u, float* v, const float* h, double coefficient)
{
    const VD c = hn::Set(DD(), coefficient);
    // The wall faces u[1, y], u[159, y], v[x, 1] and v[x, 159] are never touched.
    for (int y = 1; y <= ROW_END; ++y)
        accelerateRow(u + y * GRID, h + y * GRID, 1, 2, c);
    for (int y = 2; y <= ROW_END; ++y)
        accelerateRow(v + y * GRID, h + y * GRID, GRID, 1, c);
}

} // namespace HWY_NAMESPACE
} // namespace ripplemoor
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace ripplemoor {

HWY_EXPORT(SampleDepartures);
HWY_EXPORT(UpdateHeightInterior);
HWY_EXPORT(UpdateVelocities);

void sampleDeparturesKernel(const AdvectArrays& arrays, int kind)
{
    HWY_DYNAMIC_DISPATCH(SampleDepartures)(arrays, kind);
}

void updateHeightInteriorKernel(const HeightArrays& arrays, int mode, float& max, float& min)
{
    HWY_DYNAMIC_DISPATCH(UpdateHeightInterior)(arrays, mode, max, min);
}

void updateVelocitiesKernel(float* u, float* v, const float* h, double coefficient)
{
    HWY_DYNAMIC_DISPATCH(UpdateVelocities)(u, v, h, coefficient);
}

} // namespace ripplemoor
#endif
