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
//
// A window is kept within its screen's available area (the screen less its
// panels), so that its caption can be reached and dragged. Where that puts it
// elsewhere than asked for, it still reports the place and size asked for
// until the user moves or resizes it: the stored geometry stays what the user
// left, and the window comes back there once the screen has room.
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

    // Fits the window into its screen's available area again, as the
    // screens are now (a window wholly outside every screen comes to the
    // nearest).
    void bringOnScreen();

    // Keeps another top-level window's frame within its screen's available
    // area each time it is shown (before its first show it may be given a
    // size larger than the screen). It reports no geometry of its own.
    static void keepWithinScreenWhenShown(QWidget& window);

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
    // the window's area and the frame as the window system has them now;
    // the frame asked for while the window lies where it was fitted.
    QRect outerFrame() const;
    // The frame the window manager has put around the window now (none while
    // hidden or not yet framed); the last one seen is kept in m_frame.
    QMargins frameAroundNow() const;
    // Gives the window the outer frame `outer`, fitted into the available
    // area: its own area is that less the frame, as far as the frame is known
    // yet.
    void placeOuter(const QRect& outer);
    static void fitWithinScreen(QWidget& window);
    void placeOnceFrameIsKnown(bool atTheLatest);
    // One of the four values: converted (or refused), applied to the outer
    // frame by change, and remembered in memo.
    void setOuter(TwipsMemo& memo, float twips, double dpi, const char* what, bool isSize,
                  void (*change)(QRect& outer, int px));

    QWidget& m_window;
    TwipsMemo m_left, m_top, m_width, m_height;
    // The outer frame last asked for, where it was put (fitted into the
    // available area), and whether it was asked for before the window
    // manager had framed the window.
    QRect m_outerTarget;
    QRect m_outerPlaced;
    bool m_fitted = false;
    bool m_awaitingFrame = false;
    mutable QMargins m_frame;
    bool m_frameCheckQueued = false;
};
