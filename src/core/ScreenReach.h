#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// A window placed wholly outside every screen's available area (a monitor
// that is gone, the far-away parking place of a minimised window) cannot be
// reached by the user. This finds the smallest move that brings it back onto
// the nearest screen; a window that is partly on a screen stays where it is.
namespace ScreenReach {

// The top-left the frame should move to, or frame.topLeft() when it already
// overlaps one of the areas (or there are none).
QPoint reachableTopLeft(const QRect& frame, const QList<QRect>& availableAreas);

// The frame kept wholly within one screen's available area (the screen less
// its panels): the area it overlaps most, else the nearest. A frame larger
// than the area is cut down to it, though never below minSize; it is then
// moved the least distance that puts it inside (a frame still too large
// keeps its top-left corner, with the caption, in sight). The frame as it is
// when there are no areas.
QRect fitWithin(const QRect& frame, const QList<QRect>& availableAreas, const QSize& minSize);

} // namespace ScreenReach
