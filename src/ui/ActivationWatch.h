#pragma once

#include <QObject>

class QWidget;
class Timer;

// When a window shown by the program counts as activated: once it becomes
// active, once per show. Some window managers withhold activation from a
// window shown again right after it was hidden, so activation also comes
// after a short wait (the fallback) without it. Moving the focus between
// programs is no activation.
class ActivationWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultFallbackMs = 400;

    explicit ActivationWatch(QWidget& window, int fallbackMs = defaultFallbackMs);

    // The window's own events, as the window has them.
    void shownByProgram();
    void hiddenByProgram();
    void becameActive();

    // Shown, and activation not yet come.
    bool isPending() const { return m_pending; }

signals:
    void activated();

private:
    void activateIfPending();

    QWidget& m_window;
    Timer* m_fallback;
    bool m_pending = false;
};
