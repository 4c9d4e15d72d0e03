#include "sim/avx2_solver.h"

#if defined(RIPPLEMOOR_PORTABLE_SOLVER) || !(defined(__x86_64__) || defined(__i386__))

#include <cstdlib>

// Never selected in this build; see solver_path.cpp.
void sampleDeparturesAvx2(const Field&, int) { std::abort(); }
void updateHeightInteriorAvx2(int) { std::abort(); }
void updateVelocitiesAvx2() { std::abort(); }

#else

#include <immintrin.h>

#include "sim/height_cell.h"
#include "sim/velocity_update.h"

// Four cells per iteration along a row. Each lane performs exactly the portable
// path's operations in the same order: widen to double, one IEEE operation at a
// time, round to float at the same points. Only the order in which cells are
// visited differs, and no cell's result depends on another's.
#define RM_AVX2 __attribute__((target("avx2"), always_inline)) inline

namespace {

constexpr int LAST = GRID_SIZE - 1; // 159
constexpr int ROW_START = 1;
constexpr int ROW_END = GRID_SIZE - 2;  // 158, last interior column
constexpr int LAST_BLOCK = ROW_END - 3; // 155: the final, overlapping block of a row

RM_AVX2 __m256d wide(__m128 f) { return _mm256_cvtps_pd(f); }
RM_AVX2 __m256d loadWide(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
RM_AVX2 __m128 narrow(__m256d d) { return _mm256_cvtpd_ps(d); }

RM_AVX2 __m256d add(__m256d a, __m256d b) { return _mm256_add_pd(a, b); }
RM_AVX2 __m256d sub(__m256d a, __m256d b) { return _mm256_sub_pd(a, b); }
RM_AVX2 __m256d mul(__m256d a, __m256d b) { return _mm256_mul_pd(a, b); }

struct Velocity4 {
    __m128 x, y;
};

template <int KIND>
RM_AVX2 Velocity4 velocitiesAt(const float* pu, const float* pv, int i)
{
    const int up = i + GRID_SIZE;
    Velocity4 vel;
    if (KIND == 0) {
        const __m256d half = _mm256_set1_pd(0.5);
        vel.x = narrow(mul(add(loadWide(pu + i + 1), loadWide(pu + i)), half));
        vel.y = narrow(mul(add(loadWide(pv + up), loadWide(pv + i)), half));
    } else if (KIND == 1) {
        const __m256d quarter = _mm256_set1_pd(0.25);
        vel.x = _mm_loadu_ps(pu + i);
        const __m256d sum = add(add(add(loadWide(pv + i), loadWide(pv + i + 1)), loadWide(pv + up)),
                                loadWide(pv + up + 1));
        vel.y = narrow(mul(sum, quarter));
    } else {
        const __m256d quarter = _mm256_set1_pd(0.25);
        const __m256d sum = add(add(add(loadWide(pu + i + 1), loadWide(pu + i)), loadWide(pu + up)),
                                loadWide(pu + up + 1));
        vel.x = narrow(mul(sum, quarter));
        vel.y = _mm_loadu_ps(pv + i);
    }
    return vel;
}

// departure() then clampToGrid(): max returns its second operand when the first is
// NaN, so NaN lands on 0 exactly as in the portable clamp.
RM_AVX2 __m128 departures(__m256d cells, __m128 velocity)
{
    const __m256d step = _mm256_set1_pd(double(TIMESTEP));
    const __m256d inv = _mm256_set1_pd(double(invCellSize));
    const __m128 p = narrow(sub(cells, mul(mul(step, wide(velocity)), inv)));
    return _mm_min_ps(_mm_max_ps(p, _mm_setzero_ps()), _mm_set1_ps(float(LAST)));
}

// Single operations in float: p - trunc(p) is exact, and one double operation
// rounded to float equals the float operation (53 >= 2 * 24 + 2 bits), so these
// give the portable path's bits without the round trip through double.
RM_AVX2 __m128 fraction(__m128 p, __m128i ip) { return _mm_sub_ps(p, _mm_cvtepi32_ps(ip)); }

RM_AVX2 __m128 complement(__m128 fr) { return _mm_sub_ps(_mm_set1_ps(1.0f), fr); }

// sampleBilinear for four points; masked gathers neither read the neighbours past
// column or row 159 nor give them anything but 0.
RM_AVX2 __m128 samples(const float* f, __m128 px, __m128 py)
{
    const __m128i ix = _mm_cvttps_epi32(px);
    const __m128i iy = _mm_cvttps_epi32(py);
    const __m128 fx = fraction(px, ix);
    const __m128 fy = fraction(py, iy);
    const __m128 gx = complement(fx);
    const __m128 gy = complement(fy);

    const __m128i last = _mm_set1_epi32(LAST);
    const __m128 hasRight = _mm_castsi128_ps(_mm_cmpgt_epi32(last, ix));
    const __m128 hasUp = _mm_castsi128_ps(_mm_cmpgt_epi32(last, iy));
    const __m128i index = _mm_add_epi32(ix, _mm_mullo_epi32(iy, _mm_set1_epi32(GRID_SIZE)));
    const __m128 zero = _mm_setzero_ps();
    const __m256d f00 = wide(_mm_i32gather_ps(f, index, 4));
    const __m256d f10 = wide(_mm_mask_i32gather_ps(zero, f + 1, index, hasRight, 4));
    const __m256d f01 = wide(_mm_mask_i32gather_ps(zero, f + GRID_SIZE, index, hasUp, 4));
    const __m256d f11 =
        wide(_mm_mask_i32gather_ps(zero, f + GRID_SIZE + 1, index, _mm_and_ps(hasRight, hasUp), 4));

    const __m256d dfx = wide(fx), dfy = wide(fy), dgx = wide(gx), dgy = wide(gy);
    const __m256d right = mul(dfx, add(mul(f10, dgy), mul(f11, dfy)));
    const __m256d left = mul(add(mul(dgy, f00), mul(dfy, f01)), dgx);
    return narrow(add(right, left));
}

template <int KIND>
__attribute__((target("avx2"))) void sampleRows(const float* f, float* out, const float* pu,
                                                const float* pv)
{
    for (int y = 1; y <= ROW_END; ++y) {
        const __m256d row = _mm256_set1_pd(double(y));
        for (int block = ROW_START; block <= ROW_END; block += 4) {
            // The last block overlaps the one before; a sample only writes scratch.
            const int x = block < LAST_BLOCK ? block : LAST_BLOCK;
            const int i = cellIndex(x, y);
            const Velocity4 vel = velocitiesAt<KIND>(pu, pv, i);
            const __m256d cols = _mm256_setr_pd(x, x + 1, x + 2, x + 3);
            const __m128 px = departures(cols, vel.x);
            const __m128 py = departures(row, vel.y);
            _mm_storeu_ps(out + i, samples(f, px, py));
        }
    }
}

struct Range4 {
    __m128 max, min;
};

// Per-lane bounds; max/min keep their second operand for NaN, as the strict
// comparisons of the portable path skip a NaN value.
RM_AVX2 void include(Range4& r, __m128 value)
{
    r.max = _mm_max_ps(value, r.max);
    r.min = _mm_min_ps(value, r.min);
}

// Folds the lanes into a range. Maximum and minimum do not depend on the order of
// the values, except for the sign of a zero bound, which updateHeight settles.
__attribute__((target("avx2"))) void foldRange(const Range4& r, float& max, float& min)
{
    alignas(16) float maxLanes[4];
    alignas(16) float minLanes[4];
    _mm_store_ps(maxLanes, r.max);
    _mm_store_ps(minLanes, r.min);
    for (int k = 0; k < 4; ++k) {
        if (maxLanes[k] > max)
            max = maxLanes[k];
        if (minLanes[k] < min)
            min = minLanes[k];
    }
}

template <int MODE>
__attribute__((target("avx2"))) void updateHeightRows(float& max, float& min)
{
    float* ph = h.data();
    float* pc = heightChange.data();
    float* pa = heightAccel.data();
    float* ps = speedSq.data();
    float* pe = energyProduct.data();
    const float* pu = u.data();
    const float* pv = v.data();
    const __m256d factor = _mm256_set1_pd(-0.5);
    const __m256d inv = _mm256_set1_pd(double(invCellSize));
    const __m256d step = _mm256_set1_pd(double(TIMESTEP));
    Range4 range{_mm_set1_ps(max), _mm_set1_ps(min)};

    for (int y = 1; y <= ROW_END; ++y) {
        int x = ROW_START;
        for (; x + 3 <= ROW_END; x += 4) {
            const int i = cellIndex(x, y);
            const __m256d u0 = loadWide(pu + i);
            const __m256d v0 = loadWide(pv + i);
            const __m256d height = loadWide(ph + i);
            const __m256d divergence = add(sub(loadWide(pv + i + GRID_SIZE), v0), sub(loadWide(pu + i + 1), u0));
            const __m128 d = narrow(mul(divergence, mul(mul(height, factor), inv)));
            const __m128 prev = _mm_loadu_ps(pc + i);
            const __m128 change = narrow(mul(step, wide(d)));
            const __m128 newHeight = narrow(add(wide(change), height));
            _mm_storeu_ps(pc + i, change);
            _mm_storeu_ps(ph + i, newHeight);

            if (MODE == 1)
                include(range, newHeight);
            if (MODE == 2)
                include(range, change);
            if (MODE == 3 || MODE == 6) {
                const __m128 accel = narrow(sub(wide(change), wide(prev)));
                _mm_storeu_ps(pa + i, accel);
                if (MODE == 3)
                    include(range, accel);
                if (MODE == 6) {
                    const __m128 speed = narrow(add(mul(v0, v0), mul(u0, u0)));
                    const __m128 energy = narrow(mul(wide(speed), wide(accel)));
                    _mm_storeu_ps(ps + i, speed);
                    _mm_storeu_ps(pe + i, energy);
                    include(range, energy);
                }
            }
            if (MODE == 4) {
                const __m128 speed = narrow(add(mul(u0, u0), mul(v0, v0)));
                _mm_storeu_ps(ps + i, speed);
                include(range, speed);
            }
        }
        // The in-place update cannot overlap blocks: the last cells go one by one.
        for (; x <= ROW_END; ++x)
            updateHeightCell(cellIndex(x, y), MODE);
    }
    foldRange(range, max, min);
}

RM_AVX2 __m128 accelerated(const float* face, const float* here, const float* behind, __m256d c)
{
    return narrow(sub(loadWide(face), mul(sub(loadWide(here), loadWide(behind)), c)));
}

} // namespace

__attribute__((target("avx2"))) void sampleDeparturesAvx2(const Field& f, int kind)
{
    if (kind == 0)
        sampleRows<0>(f.data(), scratch.data(), u.data(), v.data());
    else if (kind == 1)
        sampleRows<1>(f.data(), scratch.data(), u.data(), v.data());
    else
        sampleRows<2>(f.data(), scratch.data(), u.data(), v.data());
}

__attribute__((target("avx2"))) void updateHeightInteriorAvx2(int mode)
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

__attribute__((target("avx2"))) void updateVelocitiesAvx2()
{
    const __m256d c = _mm256_set1_pd(velocityCoefficient());
    const float* ph = h.data();
    float* pu = u.data();
    float* pv = v.data();
    for (int y = 1; y <= ROW_END; ++y) {
        int x = 2;
        for (; x + 3 <= ROW_END; x += 4) {
            const int i = cellIndex(x, y);
            _mm_storeu_ps(pu + i, accelerated(pu + i, ph + i, ph + i - 1, c));
        }
        for (; x <= ROW_END; ++x) {
            const int i = cellIndex(x, y);
            pu[i] = float(double(pu[i]) - (double(ph[i]) - double(ph[i - 1])) * velocityCoefficient());
        }
    }
    for (int y = 2; y <= ROW_END; ++y) {
        int x = ROW_START;
        for (; x + 3 <= ROW_END; x += 4) {
            const int i = cellIndex(x, y);
            _mm_storeu_ps(pv + i, accelerated(pv + i, ph + i, ph + i - GRID_SIZE, c));
        }
        for (; x <= ROW_END; ++x) {
            const int i = cellIndex(x, y);
            pv[i] = float(double(pv[i]) - (double(ph[i]) - double(ph[i - GRID_SIZE])) * velocityCoefficient());
        }
    }
}

#endif
