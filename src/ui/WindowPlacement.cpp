#include "ui/WindowPlacement.h"

#include "core/ScreenReach.h"
#include "core/StepFailure.h"
#include "core/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <memory>

namespace {

// Twips to the nearest pixel, or StepFailure. A negative size is refused even
// when it is too small to make a pixel; -0 is zero.
int pixelsOrRefuse(float twips, double dpi, const char* what, bool isSize)
{
    const auto px = Twips::toPixels(twips, dpi);
    if (!px || (isSize && (twips < 0 || *px < 0)))
        throw StepFailure(QStringLiteral("Das Fenster nimmt %1 = %2 Twips nicht an")
                              .arg(QLatin1String(what))
                              .arg(double(twips)));
    return *px;
}

QList<QRect> availableAreas()
{
    QList<QRect> areas;
    for (const QScreen* s : QGuiApplication::screens())
        areas << s->availableGeometry();
    return areas;
}

// Within a pixel on every side: the window system's rounding at a
// fractional scale (see TwipsMemo).
bool nearlySame(const QRect& a, const QRect& b)
{
    return std::abs(a.left() - b.left()) <= 1 && std::abs(a.top() - b.top()) <= 1 &&
           std::abs(a.right() - b.right()) <= 1 && std::abs(a.bottom() - b.bottom()) <= 1;
}

} // namespace

double WindowPlacement::dpiX() const
{
    const QScreen* s = m_window.screen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

double WindowPlacement::dpiY() const
{
    const QScreen* s = m_window.screen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}

QMargins WindowPlacement::frameAroundNow() const
{
    // Asked of the window itself: QWidget keeps its own copy of the frame,
    // which is renewed only when the window moves or changes size and so may
    // still be empty long after the window manager has framed the window.
    const QWindow* handle = m_window.windowHandle();
    const QMargins now = handle && m_window.isVisible() ? handle->frameMargins() : QMargins();
    if (!now.isNull())
        m_frame = now;
    return now;
}

QRect WindowPlacement::outerFrame() const
{
    QRect now;
    if (m_awaitingFrame) {
        now = QRect(m_outerPlaced.topLeft(), m_outerPlaced.size().expandedTo(m_window.size().grownBy(m_frame)));
    } else {
        frameAroundNow();
        // A hidden window has no frame around it now; it gets the last one again.
        now = m_window.geometry().marginsAdded(m_frame);
    }
    // Not moved by the user since it was fitted into the screen.
    if (m_fitted && nearlySame(now, m_outerPlaced))
        return m_outerTarget;
    return now;
}

void WindowPlacement::placeOuter(const QRect& outer)
{
    m_outerTarget = outer;
    m_awaitingFrame = frameAroundNow().isNull();
    const QSize smallest = m_window.minimumSize().grownBy(m_frame);
    const QRect wanted(outer.topLeft(), outer.size().expandedTo(smallest));
    m_outerPlaced = ScreenReach::fitWithin(wanted, availableAreas(), smallest);
    m_fitted = m_outerPlaced != wanted;
    const QRect& placed = m_outerPlaced;
    const QSize inner = placed.size().shrunkBy(m_frame).expandedTo(m_window.minimumSize());
    if (m_window.testAttribute(Qt::WA_WState_Created)) {
        m_window.setGeometry(QRect(placed.topLeft() + QPoint(m_frame.left(), m_frame.top()), inner));
    } else {
        // Not yet made: a position given now is the frame's, and the window
        // manager puts the frame there when it first shows the window.
        m_window.move(placed.topLeft());
        m_window.resize(inner);
    }
}

void WindowPlacement::placeOnceFrameIsKnown(bool atTheLatest)
{
    if (!m_awaitingFrame || !m_window.isVisible())
        return;
    if (frameAroundNow().isNull() && !atTheLatest)
        return;
    placeOuter(m_outerTarget);
    m_awaitingFrame = false;
}

void WindowPlacement::nativeEventSeen()
{
    // A window manager announces the frame it puts around a window in a
    // property of the window, and Qt learns of it without telling the
    // widget. So while the frame is awaited, every native event of the window
    // may be that news: the frame is looked at again once Qt has handled it.
    if (!m_awaitingFrame || m_frameCheckQueued)
        return;
    m_frameCheckQueued = true;
    QMetaObject::invokeMethod(
        &m_window,
        [this] {
            m_frameCheckQueued = false;
            placeOnceFrameIsKnown(false);
        },
        Qt::QueuedConnection);
}

float WindowPlacement::leftTwips() const
{
    return m_left.report(outerFrame().left(), [this](int px) { return Twips::fromPixels(px, dpiX()); });
}

float WindowPlacement::topTwips() const
{
    return m_top.report(outerFrame().top(), [this](int px) { return Twips::fromPixels(px, dpiY()); });
}

float WindowPlacement::widthTwips() const
{
    return m_width.report(outerFrame().width(), [this](int px) { return Twips::fromPixels(px, dpiX()); });
}

float WindowPlacement::heightTwips() const
{
    return m_height.report(outerFrame().height(), [this](int px) { return Twips::fromPixels(px, dpiY()); });
}

void WindowPlacement::setOuter(TwipsMemo& memo, float twips, double dpi, const char* what, bool isSize,
                               void (*change)(QRect& outer, int px))
{
    const int px = pixelsOrRefuse(twips, dpi, what, isSize);
    QRect outer = outerFrame();
    change(outer, px);
    placeOuter(outer);
    memo.remember(twips, px);
}

void WindowPlacement::setLeftTwips(float twips)
{
    setOuter(m_left, twips, dpiX(), "left", false, [](QRect& outer, int px) { outer.moveLeft(px); });
}

void WindowPlacement::setTopTwips(float twips)
{
    setOuter(m_top, twips, dpiY(), "top", false, [](QRect& outer, int px) { outer.moveTop(px); });
}

void WindowPlacement::setWidthTwips(float twips)
{
    setOuter(m_width, twips, dpiX(), "width", true, [](QRect& outer, int px) { outer.setWidth(px); });
}

void WindowPlacement::setHeightTwips(float twips)
{
    setOuter(m_height, twips, dpiY(), "height", true, [](QRect& outer, int px) { outer.setHeight(px); });
}

void WindowPlacement::bringOnScreen()
{
    placeOuter(outerFrame());
}

void WindowPlacement::fitWithinScreen(QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    const QMargins frame = handle && window.isVisible() ? handle->frameMargins() : QMargins();
    const QRect outer = window.geometry().marginsAdded(frame);
    const QRect fitted = ScreenReach::fitWithin(outer, availableAreas(), window.minimumSize().grownBy(frame));
    if (fitted != outer)
        window.setGeometry(fitted.marginsRemoved(frame));
}

void WindowPlacement::keepWithinScreenWhenShown(QWidget& window)
{
    window.winId(); // made now, so that its showing can be followed
    QWindow* handle = window.windowHandle();
    auto framed = std::make_shared<bool>(false);
    QObject::connect(handle, &QWindow::visibleChanged, &window, [&window, framed](bool visible) {
        *framed = false;
        if (visible)
            fitWithinScreen(window);
    });
    // The frame is known once the window is active (a window manager frames
    // a window before focusing it): fitted again then, once per show.
    QObject::connect(handle, &QWindow::activeChanged, &window, [&window, handle, framed] {
        if (*framed || !handle->isActive())
            return;
        *framed = true;
        fitWithinScreen(window);
    });
}
