#pragma once

#include <optional>

// Twips (1/1440 inch) to pixels and back, at a screen's logical DPI. Every
// position and size the program stores or lays out goes through here.
namespace Twips {

inline constexpr double perInch = 1440.0;

// Largest pixel coordinate or size the window system is asked to take.
inline constexpr int maxPixels = 16777215;

// Nearest whole pixel; nothing when the value is not finite or lies beyond
// maxPixels either way.
std::optional<int> toPixels(double twips, double dpi);

double fromPixels(int pixels, double dpi);

} // namespace Twips
