#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

// A window placed wholly outside every screen's available area (a monitor
// that is gone, the far-away parking place of a minimised window) cannot be
// reached by the user. This finds the smallest move that brings it back onto
// the nearest screen; a window that is partly on a screen stays where it is.
namespace ScreenReach {

// The top-left the frame should move to, or frame.topLeft() when it already
// overlaps one of the areas (or there are none).
QPoint reachableTopLeft(const QRect& frame, const QList<QRect>& availableAreas);

} // namespace ScreenReach
