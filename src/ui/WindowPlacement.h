#pragma once

#include "core/TwipsMemo.h"

#include <QMargins>
#include <QRect>

class QWidget;

// A top-level window's outer frame (frame and caption included) in twips, as
// the program stores it. A window manager puts its frame around the window
// some time after the window is shown; until then the frame's size is
// unknown and the outer size is given to the window's own area. The window
// is placed again once the frame is known, so that the stored geometry does
// not grow or creep by the frame from run to run.
class WindowPlacement
{
public:
    explicit WindowPlacement(QWidget& window) : m_window(window) {}

    // Each setter is one whole operation: it applies the value or throws
    // StepFailure and leaves the window as it was.
    float leftTwips() const;
    float topTwips() const;
    float widthTwips() const;
    float heightTwips() const;
    void setLeftTwips(float twips);
    void setTopTwips(float twips);
    void setWidthTwips(float twips);
    void setHeightTwips(float twips);

    // Moves a window that lies wholly outside every screen just enough to be
    // reachable; a window partly on a screen stays.
    void bringOnScreen();

    double dpiX() const;
    double dpiY() const;

    // The window's events that may bring news of the frame. It becomes
    // active at the latest once framed (a window manager frames a window
    // before focusing it).
    void shownMovedOrResized() { placeOnceFrameIsKnown(false); }
    void becameActive() { placeOnceFrameIsKnown(true); }
    void nativeEventSeen();

private:
    // The outer frame in pixels: where the program last placed it while the
    // window manager has not yet put its frame around the window, otherwise
    // the window's area and the frame as the window system has them now.
    QRect outerFrame() const;
    // The frame the window manager has put around the window now (none while
    // hidden or not yet framed); the last one seen is kept in m_frame.
    QMargins frameAroundNow() const;
    // Gives the window the outer frame `outer`: its own area is that less the
    // frame, as far as the frame is known yet.
    void placeOuter(const QRect& outer);
    void placeOnceFrameIsKnown(bool atTheLatest);
    // One of the four values: converted (or refused), applied to the outer
    // frame by change, and remembered in memo.
    void setOuter(TwipsMemo& memo, float twips, double dpi, const char* what, bool isSize,
                  void (*change)(QRect& outer, int px));

    QWidget& m_window;
    TwipsMemo m_left, m_top, m_width, m_height;
    // The outer frame last asked for, and whether it was asked for before the
    // window manager had framed the window.
    QRect m_outerTarget;
    bool m_awaitingFrame = false;
    mutable QMargins m_frame;
    bool m_frameCheckQueued = false;
};
