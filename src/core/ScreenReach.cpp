#include "core/ScreenReach.h"

#include <algorithm>
#include <limits>

namespace ScreenReach {

namespace {

// Moves one span [start, start+length) the least distance so that it lies
// inside [areaStart, areaStart+areaLength) as far as it fits.
int clampSpan(qint64 start, qint64 length, qint64 areaStart, qint64 areaLength)
{
    const qint64 lastStart = areaStart + std::max<qint64>(0, areaLength - length);
    return int(std::clamp(start, areaStart, lastStart));
}

qint64 distanceSquared(const QRect& a, const QRect& b)
{
    const qint64 dx = std::max<qint64>({0, qint64(b.left()) - a.right(), qint64(a.left()) - b.right()});
    const qint64 dy = std::max<qint64>({0, qint64(b.top()) - a.bottom(), qint64(a.top()) - b.bottom()});
    return dx * dx + dy * dy;
}

qint64 overlap(const QRect& a, const QRect& b)
{
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

} // namespace

QRect fitWithin(const QRect& frame, const QList<QRect>& availableAreas, const QSize& minSize)
{
    const QRect* chosen = nullptr;
    qint64 mostOverlap = 0;
    qint64 leastDistance = std::numeric_limits<qint64>::max();
    for (const QRect& area : availableAreas) {
        if (area.isEmpty())
            continue;
        if (const qint64 o = overlap(frame, area); o > mostOverlap) {
            mostOverlap = o;
            chosen = &area;
        } else if (mostOverlap == 0) {
            if (const qint64 d = distanceSquared(frame, area); d < leastDistance) {
                leastDistance = d;
                chosen = &area;
            }
        }
    }
    if (!chosen)
        return frame;
    const QSize size = frame.size().boundedTo(chosen->size()).expandedTo(minSize);
    return {QPoint(clampSpan(frame.left(), size.width(), chosen->left(), chosen->width()),
                   clampSpan(frame.top(), size.height(), chosen->top(), chosen->height())),
            size};
}

QPoint reachableTopLeft(const QRect& frame, const QList<QRect>& availableAreas)
{
    const QRect* nearest = nullptr;
    qint64 best = std::numeric_limits<qint64>::max();
    for (const QRect& area : availableAreas) {
        if (area.isEmpty())
            continue;
        if (area.intersects(frame))
            return frame.topLeft();
        const qint64 d = distanceSquared(frame, area);
        if (d < best) {
            best = d;
            nearest = &area;
        }
    }
    if (!nearest)
        return frame.topLeft();
    return {clampSpan(frame.left(), frame.width(), nearest->left(), nearest->width()),
            clampSpan(frame.top(), frame.height(), nearest->top(), nearest->height())};
}

} // namespace ScreenReach
