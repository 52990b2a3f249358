#include "core/ResizeRule.h"

#include <cmath>

namespace ResizeRule {

std::optional<float> sizeFor(float outer, float margin)
{
    const volatile float difference = outer - margin; // kept in single precision
    if (!std::isfinite(difference) || difference < 0.0f)
        return std::nullopt;
    return float(difference);
}

} // namespace ResizeRule
