#include "gpu/Math.h"

#include <cmath>

namespace QV::Math {

int32_t GaussianTapCount(double sigma, double spacing) {
    double v = (6.0 * sigma - 1.0) / spacing;
    double n = std::ceil(v);
    if (!(n >= 0)) return 1;  // negative, or not a number
    if (n > 2147483646.0) return 2147483647;
    int32_t taps = static_cast<int32_t>(n);
    return (taps % 2 == 1) ? taps : taps + 1;
}

}  // namespace QV::Math
