#include "core/Twips.h"

#include <cmath>

namespace Twips {

std::optional<int> toPixels(double twips, double dpi)
{
    const double pixels = std::round(twips * dpi / perInch);
    if (!std::isfinite(pixels) || std::fabs(pixels) > maxPixels)
        return std::nullopt;
    return int(pixels);
}

double fromPixels(int pixels, double dpi)
{
    return double(pixels) * perInch / dpi;
}

} // namespace Twips
