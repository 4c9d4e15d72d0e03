#include "sim/avx512_solver.h"

#if defined(RIPPLEMOOR_PORTABLE_SOLVER) || !(defined(__x86_64__) || defined(__i386__))

#include <cstdlib>

// Never selected in this build; see solver_path.cpp.
void sampleDeparturesAvx512(const Field&, int) { std::abort(); }
void updateHeightInteriorAvx512(int) { std::abort(); }
void updateVelocitiesAvx512() { std::abort(); }

#else

// GCC 12's 512-bit conversions start from a self-initialised "undefined" register,
// which its uninitialised-use warnings mistake for a real read.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "sim/velocity_update.h"

// Eight cells per iteration along a row: floats in 256-bit registers, their double
// widenings in 512-bit ones. Each lane performs exactly the portable path's
// operations in the same order, rounding to float at the same points; only the
// order in which cells are visited differs, and no cell depends on another's result.
#define RM_AVX512_TARGET __attribute__((target("avx2,avx512f,avx512vl")))
#define RM_AVX512 RM_AVX512_TARGET __attribute__((always_inline)) inline

namespace {

constexpr int LAST = GRID_SIZE - 1;    // 159
constexpr int ROW_END = GRID_SIZE - 2; // 158, last interior column or row
constexpr int LANES = 8;

RM_AVX512 __m512d wide(__m256 f) { return _mm512_cvtps_pd(f); }
RM_AVX512 __m512d loadWide(const float* p) { return _mm512_cvtps_pd(_mm256_loadu_ps(p)); }
// A partial block reads and writes only its lanes, so it never reaches past the
// field; full blocks use plain loads and stores, which are faster.
template <bool FULL>
RM_AVX512 __m256 load(const float* p, __mmask8 lanes)
{
    return FULL ? _mm256_loadu_ps(p) : _mm256_maskz_loadu_ps(lanes, p);
}
template <bool FULL>
RM_AVX512 __m512d loadWide(const float* p, __mmask8 lanes)
{
    return _mm512_cvtps_pd(load<FULL>(p, lanes));
}
template <bool FULL>
RM_AVX512 void store(float* p, __mmask8 lanes, __m256 value)
{
    if (FULL)
        _mm256_storeu_ps(p, value);
    else
        _mm256_mask_storeu_ps(p, lanes, value);
}
RM_AVX512 __m256 narrow(__m512d d) { return _mm512_cvtpd_ps(d); }

RM_AVX512 __m512d add(__m512d a, __m512d b) { return _mm512_add_pd(a, b); }
RM_AVX512 __m512d sub(__m512d a, __m512d b) { return _mm512_sub_pd(a, b); }
RM_AVX512 __m512d mul(__m512d a, __m512d b) { return _mm512_mul_pd(a, b); }

// Lanes of a block that lie in the row: the last block of a row may be partial.
RM_AVX512 __mmask8 laneMask(int count) { return __mmask8((1u << count) - 1u); }

// ---- advection --------------------------------------------------------------------

struct Velocity8 {
    __m256 x, y;
};

// Lanes where s x 0.5 in float equals the double average: s = a + b in float is
// then the double sum rounded to float (53 >= 2 * 24 + 2 bits), and halving a
// finite s that is zero or at least 2^-124 is exact on both sides.
RM_AVX512 __mmask8 halvesExactly(__m256 s)
{
    const __m256 magnitude = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), s);
    const __mmask8 normal = _mm256_cmp_ps_mask(magnitude, _mm256_set1_ps(0x1p-124f), _CMP_GE_OQ) &
                            _mm256_cmp_ps_mask(magnitude, _mm256_set1_ps(3.4028234663852886e38f), _CMP_LE_OQ);
    return normal | _mm256_cmp_ps_mask(magnitude, _mm256_setzero_ps(), _CMP_EQ_OQ);
}

// The kind 0 average of two faces, in float where that gives the same bits.
RM_AVX512 __m256 faceAverage(const float* a, const float* b)
{
    const __m256 fa = _mm256_loadu_ps(a), fb = _mm256_loadu_ps(b);
    const __m256 s = _mm256_add_ps(fa, fb);
    if (halvesExactly(s) == 0xFF)
        return _mm256_mul_ps(s, _mm256_set1_ps(0.5f));
    return narrow(mul(add(wide(fa), wide(fb)), _mm512_set1_pd(0.5)));
}

template <int KIND>
RM_AVX512 Velocity8 velocitiesAt(const float* pu, const float* pv, int i)
{
    const int up = i + GRID_SIZE;
    Velocity8 vel;
    if (KIND == 0) {
        vel.x = faceAverage(pu + i + 1, pu + i);
        vel.y = faceAverage(pv + up, pv + i);
    } else if (KIND == 1) {
        const __m512d quarter = _mm512_set1_pd(0.25);
        vel.x = _mm256_loadu_ps(pu + i);
        const __m512d sum = add(add(add(loadWide(pv + i), loadWide(pv + i + 1)), loadWide(pv + up)),
                                loadWide(pv + up + 1));
        vel.y = narrow(mul(sum, quarter));
    } else {
        const __m512d quarter = _mm512_set1_pd(0.25);
        const __m512d sum = add(add(add(loadWide(pu + i + 1), loadWide(pu + i)), loadWide(pu + up)),
                                loadWide(pu + up + 1));
        vel.x = narrow(mul(sum, quarter));
        vel.y = _mm256_loadu_ps(pv + i);
    }
    return vel;
}

// (TIMESTEP x velocity) x invCellSize is exact in double (a power of two times a
// float, then a 24-bit by 24-bit product), and so is velocity x (TIMESTEP x
// invCellSize): one multiplication gives the same bits. max returns its second
// operand for NaN, so NaN lands on 0 as in the portable clamp.
RM_AVX512 __m256 departures(__m512d cells, __m256 velocity)
{
    const __m512d stepInCells = _mm512_set1_pd(double(TIMESTEP) * double(invCellSize));
    const __m256 p = narrow(sub(cells, mul(wide(velocity), stepInCells)));
    return _mm256_min_ps(_mm256_max_ps(p, _mm256_setzero_ps()), _mm256_set1_ps(float(LAST)));
}

struct Corners8 {
    __m512d f00, f10, f01, f11;
};

// The four neighbours of every point by masked gathers, which neither read past
// column or row 159 nor give those neighbours anything but 0. Used for any
// departure point, however far or clamped.
RM_AVX512 Corners8 gatherCorners(const float* f, __m256i ix, __m256i iy)
{
    const __m256i last = _mm256_set1_epi32(LAST);
    const __m256 hasRight = _mm256_castsi256_ps(_mm256_cmpgt_epi32(last, ix));
    const __m256 hasUp = _mm256_castsi256_ps(_mm256_cmpgt_epi32(last, iy));
    const __m256i index = _mm256_add_epi32(ix, _mm256_mullo_epi32(iy, _mm256_set1_epi32(GRID_SIZE)));
    const __m256 zero = _mm256_setzero_ps();
    Corners8 c;
    c.f00 = wide(_mm256_i32gather_ps(f, index, 4));
    c.f10 = wide(_mm256_mask_i32gather_ps(zero, f + 1, index, hasRight, 4));
    c.f01 = wide(_mm256_mask_i32gather_ps(zero, f + GRID_SIZE, index, hasUp, 4));
    c.f11 = wide(_mm256_mask_i32gather_ps(zero, f + GRID_SIZE + 1, index, _mm256_and_ps(hasRight, hasUp), 4));
    return c;
}

// The usual case, any velocity below about five cells per unit: every point lies in
// columns x - 1 to x + 7 and rows y - 1 to y, so each neighbour is one of the ten
// values from column x - 1 of rows y - 1, y and y + 1. A two-row permute picks
// them (index bit 4 selects the upper row) without a gather. column and row are
// the offsets of ix and iy from column x - 1 and row y - 1.
RM_AVX512 Corners8 nearbyCorners(const float* f, int window, __m256i column, __m256i row)
{
    const __mmask16 tenValues = 0x3FF; // columns x - 1 to x + 8, never past 159
    const __m512 below = _mm512_maskz_loadu_ps(tenValues, f + window - GRID_SIZE);
    const __m512 middle = _mm512_maskz_loadu_ps(tenValues, f + window);
    const __m512 above = _mm512_maskz_loadu_ps(tenValues, f + window + GRID_SIZE);
    const __m256i left = _mm256_add_epi32(column, _mm256_slli_epi32(row, 4));
    const __m256i right = _mm256_add_epi32(left, _mm256_set1_epi32(1));
    const __m512i l = _mm512_castsi256_si512(left);
    const __m512i r = _mm512_castsi256_si512(right);
    Corners8 c;
    c.f00 = wide(_mm512_castps512_ps256(_mm512_permutex2var_ps(below, l, middle)));
    c.f10 = wide(_mm512_castps512_ps256(_mm512_permutex2var_ps(below, r, middle)));
    c.f01 = wide(_mm512_castps512_ps256(_mm512_permutex2var_ps(middle, l, above)));
    c.f11 = wide(_mm512_castps512_ps256(_mm512_permutex2var_ps(middle, r, above)));
    return c;
}

// sampleBilinear for the eight cells x..x+7 of row y. p - trunc(p) is exact and a
// single double operation rounded to float equals the float operation, so the
// fractions are formed in float.
RM_AVX512 __m256 samples(const float* f, int x, int y, __m256 px, __m256 py)
{
    const __m256i ix = _mm256_cvttps_epi32(px);
    const __m256i iy = _mm256_cvttps_epi32(py);
    const __m256 fx = _mm256_sub_ps(px, _mm256_cvtepi32_ps(ix));
    const __m256 fy = _mm256_sub_ps(py, _mm256_cvtepi32_ps(iy));
    const __m256 gx = _mm256_sub_ps(_mm256_set1_ps(1.0f), fx);
    const __m256 gy = _mm256_sub_ps(_mm256_set1_ps(1.0f), fy);

    const __m256i column = _mm256_sub_epi32(ix, _mm256_set1_epi32(x - 1));
    const __m256i row = _mm256_sub_epi32(iy, _mm256_set1_epi32(y - 1));
    const __mmask8 near = _mm256_cmple_epu32_mask(column, _mm256_set1_epi32(LANES)) &
                          _mm256_cmple_epu32_mask(row, _mm256_set1_epi32(1));
    const Corners8 c = near == 0xFF ? nearbyCorners(f, cellIndex(x - 1, y), column, row)
                                    : gatherCorners(f, ix, iy);

    const __m512d dfx = wide(fx), dfy = wide(fy), dgx = wide(gx), dgy = wide(gy);
    const __m512d right = mul(dfx, add(mul(c.f10, dgy), mul(c.f11, dfy)));
    const __m512d left = mul(add(mul(dgy, c.f00), mul(dfy, c.f01)), dgx);
    return narrow(add(right, left));
}

template <int KIND>
RM_AVX512_TARGET void sampleRows(const float* f, float* out, const float* pu, const float* pv)
{
    const int lastBlock = ROW_END - LANES + 1; // 151: the final block overlaps the one before
    for (int y = 1; y <= ROW_END; ++y) {
        const __m512d row = _mm512_set1_pd(double(y));
        for (int block = 1; block <= ROW_END; block += LANES) {
            // Overlapping is harmless: a sample only writes scratch.
            const int x = block < lastBlock ? block : lastBlock;
            const int i = cellIndex(x, y);
            const Velocity8 vel = velocitiesAt<KIND>(pu, pv, i);
            const __m512d cols = _mm512_add_pd(_mm512_set1_pd(double(x)),
                                               _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7));
            const __m256 px = departures(cols, vel.x);
            const __m256 py = departures(row, vel.y);
            _mm256_storeu_ps(out + i, samples(f, x, y, px, py));
        }
    }
}

// ---- height update ----------------------------------------------------------------

struct Range8 {
    __m256 max, min;
};

// Per-lane bounds over the lanes in the row; max/min keep their second operand for
// NaN, as the strict comparisons of the portable path skip a NaN value.
template <bool FULL>
RM_AVX512 void include(Range8& r, __mmask8 lanes, __m256 value)
{
    if (FULL) {
        r.max = _mm256_max_ps(value, r.max);
        r.min = _mm256_min_ps(value, r.min);
    } else {
        r.max = _mm256_mask_max_ps(r.max, lanes, value, r.max);
        r.min = _mm256_mask_min_ps(r.min, lanes, value, r.min);
    }
}

// Maximum and minimum do not depend on the order of the values, except for the sign
// of a zero bound, which updateHeight settles afterwards.
RM_AVX512_TARGET void foldRange(const Range8& r, float& max, float& min)
{
    alignas(32) float maxLanes[LANES];
    alignas(32) float minLanes[LANES];
    _mm256_store_ps(maxLanes, r.max);
    _mm256_store_ps(minLanes, r.min);
    for (int k = 0; k < LANES; ++k) {
        if (maxLanes[k] > max)
            max = maxLanes[k];
        if (minLanes[k] < min)
            min = minLanes[k];
    }
}

struct HeightFields {
    float *h, *change, *accel, *speed, *energy;
    const float *u, *v;
};

template <int MODE, bool FULL>
RM_AVX512 void updateHeightBlock(const HeightFields& p, int i, __mmask8 lanes, Range8& range)
{
    const __m512d u0 = loadWide<FULL>(p.u + i, lanes);
    const __m512d v0 = loadWide<FULL>(p.v + i, lanes);
    const __m512d height = loadWide<FULL>(p.h + i, lanes);
    const __m512d divergence =
        add(sub(loadWide<FULL>(p.v + i + GRID_SIZE, lanes), v0), sub(loadWide<FULL>(p.u + i + 1, lanes), u0));
    const __m512d factor = mul(mul(height, _mm512_set1_pd(-0.5)), _mm512_set1_pd(double(invCellSize)));
    const __m256 d = narrow(mul(divergence, factor));
    const __m256 prev = load<FULL>(p.change + i, lanes);
    // A single operation on two floats, done in double and rounded to float, equals
    // the float operation (53 >= 2 * 24 + 2 bits), so these skip the round trip.
    const __m256 change = _mm256_mul_ps(_mm256_set1_ps(TIMESTEP), d);
    const __m256 newHeight = _mm256_add_ps(change, load<FULL>(p.h + i, lanes));
    store<FULL>(p.change + i, lanes, change);
    store<FULL>(p.h + i, lanes, newHeight);

    if (MODE == 1)
        include<FULL>(range, lanes, newHeight);
    if (MODE == 2)
        include<FULL>(range, lanes, change);
    if (MODE == 3 || MODE == 6) {
        const __m256 accel = _mm256_sub_ps(change, prev);
        store<FULL>(p.accel + i, lanes, accel);
        if (MODE == 3)
            include<FULL>(range, lanes, accel);
        if (MODE == 6) {
            const __m256 speed = narrow(add(mul(v0, v0), mul(u0, u0)));
            const __m256 energy = _mm256_mul_ps(speed, accel);
            store<FULL>(p.speed + i, lanes, speed);
            store<FULL>(p.energy + i, lanes, energy);
            include<FULL>(range, lanes, energy);
        }
    }
    if (MODE == 4) {
        const __m256 speed = narrow(add(mul(u0, u0), mul(v0, v0)));
        store<FULL>(p.speed + i, lanes, speed);
        include<FULL>(range, lanes, speed);
    }
}

// The update is in place, so the last block of a row is masked, not overlapped.
template <int MODE>
RM_AVX512_TARGET void updateHeightRows(float& max, float& min)
{
    const HeightFields p{h.data(), heightChange.data(), heightAccel.data(), speedSq.data(),
                         energyProduct.data(), u.data(), v.data()};
    Range8 range{_mm256_set1_ps(max), _mm256_set1_ps(min)};
    for (int y = 1; y <= ROW_END; ++y) {
        int x = 1;
        for (; x + LANES - 1 <= ROW_END; x += LANES)
            updateHeightBlock<MODE, true>(p, cellIndex(x, y), 0xFF, range);
        updateHeightBlock<MODE, false>(p, cellIndex(x, y), laneMask(ROW_END - x + 1), range);
    }
    foldRange(range, max, min);
}

// ---- velocity update --------------------------------------------------------------

// face = face - (here - behind) x c for the cells of one block.
template <bool FULL>
RM_AVX512 void accelerate(float* face, const float* ph, int behind, __mmask8 lanes, __m512d c)
{
    const __m512d gradient = sub(loadWide<FULL>(ph, lanes), loadWide<FULL>(ph - behind, lanes));
    store<FULL>(face, lanes, narrow(sub(loadWide<FULL>(face, lanes), mul(gradient, c))));
}

// The cells x..158 of a row.
RM_AVX512 void accelerateRow(float* face, const float* ph, int behind, int x, __m512d c)
{
    for (; x + LANES - 1 <= ROW_END; x += LANES)
        accelerate<true>(face + x, ph + x, behind, 0xFF, c);
    accelerate<false>(face + x, ph + x, behind, laneMask(ROW_END - x + 1), c);
}

} // namespace

RM_AVX512_TARGET void sampleDeparturesAvx512(const Field& f, int kind)
{
    if (kind == 0)
        sampleRows<0>(f.data(), scratch.data(), u.data(), v.data());
    else if (kind == 1)
        sampleRows<1>(f.data(), scratch.data(), u.data(), v.data());
    else
        sampleRows<2>(f.data(), scratch.data(), u.data(), v.data());
}

RM_AVX512_TARGET void updateHeightInteriorAvx512(int mode)
{
    switch (mode) {
    case 1:
        updateHeightRows<1>(hMax, hMin);
        break;
    case 2:
        updateHeightRows<2>(heightChangeMax, heightChangeMin);
        break;
    case 3:
        updateHeightRows<3>(heightAccelMax, heightAccelMin);
        break;
    case 4:
        updateHeightRows<4>(speedSqMax, speedSqMin);
        break;
    case 6:
        updateHeightRows<6>(energyProductMax, energyProductMin);
        break;
    default: {
        // No derived quantity: the range arguments are not touched.
        float unusedMax = 0.0f, unusedMin = 0.0f;
        updateHeightRows<0>(unusedMax, unusedMin);
        break;
    }
    }
}

RM_AVX512_TARGET void updateVelocitiesAvx512()
{
    const __m512d c = _mm512_set1_pd(velocityCoefficient());
    const float* ph = h.data();
    // The wall faces u[1, y], u[159, y], v[x, 1] and v[x, 159] are never touched.
    for (int y = 1; y <= ROW_END; ++y) {
        const int row = cellIndex(0, y);
        accelerateRow(u.data() + row, ph + row, 1, 2, c);
    }
    for (int y = 2; y <= ROW_END; ++y) {
        const int row = cellIndex(0, y);
        accelerateRow(v.data() + row, ph + row, GRID_SIZE, 1, c);
    }
}

#endif
