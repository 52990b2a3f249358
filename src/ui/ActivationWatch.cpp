#include "ui/ActivationWatch.h"

#include "core/Clock.h"
#include "core/Timer.h"

#include <QWidget>

ActivationWatch::ActivationWatch(QWidget& window, int fallbackMs)
    : QObject(&window), m_window(window), m_fallback(Clock::current().singleShotTimer(this))
{
    m_fallback->setInterval(fallbackMs);
    connect(m_fallback, &Timer::timeout, this, &ActivationWatch::activateIfPending);
}

void ActivationWatch::shownByProgram()
{
    if (m_pending)
        return;
    m_pending = true;
    m_fallback->start();
}

void ActivationWatch::hiddenByProgram()
{
    m_pending = false;
    m_fallback->stop();
}

void ActivationWatch::becameActive()
{
    activateIfPending();
}

void ActivationWatch::activateIfPending()
{
    m_fallback->stop();
    if (!m_pending || !m_window.isVisible())
        return;
    m_pending = false;
    emit activated();
}
