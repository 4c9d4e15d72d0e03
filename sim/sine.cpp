#include "sim/sine.h"

#include <cmath>

namespace {

// 2 pi rounded to double.
constexpr double TWO_PI = 6.283185307179586;

// Taylor series for |x| <= pi / 4, in Horner form: the first term left out is
// below 4e-15 there. Each coefficient is a correctly rounded quotient.
double sinSeries(double x)
{
    const double x2 = x * x;
    double p = 1.0 / 6227020800.0;
    p = p * x2 - 1.0 / 39916800.0;
    p = p * x2 + 1.0 / 362880.0;
    p = p * x2 - 1.0 / 5040.0;
    p = p * x2 + 1.0 / 120.0;
    p = p * x2 - 1.0 / 6.0;
    return x + x * (x2 * p);
}

double cosSeries(double x)
{
    const double x2 = x * x;
    double p = -1.0 / 87178291200.0;
    p = p * x2 + 1.0 / 479001600.0;
    p = p * x2 - 1.0 / 3628800.0;
    p = p * x2 + 1.0 / 40320.0;
    p = p * x2 - 1.0 / 720.0;
    p = p * x2 + 1.0 / 24.0;
    p = p * x2 - 0.5;
    return 1.0 + x2 * p;
}

} // namespace

double sineOfTurns(double turns)
{
    if (!std::isfinite(turns))
        return std::nan("");
    // The fraction of a turn, then the nearest quarter: both steps are exact.
    const double f = turns - std::floor(turns);
    const double quarter = std::floor(f * 4.0 + 0.5); // 0 .. 4
    const double x = (f - quarter * 0.25) * TWO_PI;   // |x| <= pi / 4
    switch (int(quarter) & 3) {
    case 0:
        return sinSeries(x);
    case 1:
        return cosSeries(x);
    case 2:
        return -sinSeries(x);
    default:
        return -cosSeries(x);
    }
}
