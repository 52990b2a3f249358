#pragma once

#include <optional>

// How the tab strip and the three content boxes follow the window's outer
// size: a fixed margin per control and dimension, in twips.
namespace ResizeRule {

inline constexpr float stripWidthMargin = 200.0f;
inline constexpr float stripHeightMargin = 470.0f;
inline constexpr float contentWidthMargin = 380.0f;
inline constexpr float contentHeightMargin = 870.0f;

// outer - margin in single precision; nothing when the difference is not a
// finite number or is negative (a control refuses a negative size).
std::optional<float> sizeFor(float outer, float margin);

} // namespace ResizeRule
