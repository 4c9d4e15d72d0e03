// Double lanes rounded to float as a C++ conversion rounds them, for the Highway
// kernels (the solver's and the surface's). Included once per target through
// foreach_target.h, hence Highway's toggled include guard.

#if defined(RIPPLEMOOR_FLOAT_ROUNDING_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef RIPPLEMOOR_FLOAT_ROUNDING_INL_H_
#undef RIPPLEMOOR_FLOAT_ROUNDING_INL_H_
#else
#define RIPPLEMOOR_FLOAT_ROUNDING_INL_H_
#endif

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace ripplemoor_rounding {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Rounds to float the IEEE way: an overflow gives infinity. The emulated targets'
// DemoteTo saturates at the largest float instead, so they convert lane by lane.
template <class DD>
HWY_INLINE hn::Vec<hn::Rebind<float, DD>> narrowToFloat(DD dd, hn::Vec<DD> d)
{
    const hn::Rebind<float, DD> df;
#if HWY_TARGET == HWY_SCALAR || HWY_TARGET == HWY_EMU128
    double in[hn::MaxLanes(DD())];
    float out[hn::MaxLanes(DD())];
    hn::StoreU(d, dd, in);
    for (size_t k = 0; k < hn::Lanes(dd); ++k)
        out[k] = float(in[k]);
    return hn::LoadU(df, out);
#else
    (void)dd;
    return hn::DemoteTo(df, d);
#endif
}

} // namespace HWY_NAMESPACE
} // namespace ripplemoor_rounding
HWY_AFTER_NAMESPACE();

#endif
