#pragma once

#include <climits>
#include <cmath>

// Pixel arithmetic rounds to the nearest integer, an exact half to the even neighbour. Done by
// hand rather than with std::nearbyint so that it does not depend on the FPU rounding mode.
// NaN gives 0; values beyond the int range are clamped instead of overflowing.
inline int roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    double result = std::floor(value);
    const double fraction = value - result; // exact for every double
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(result, 2.0) != 0.0))
        result += 1.0;
    if (result <= double(INT_MIN))
        return INT_MIN;
    if (result >= double(INT_MAX))
        return INT_MAX;
    return int(result);
}
