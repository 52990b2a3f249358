#include "core/SystemClock.h"

#include "core/Timer.h"

#include <QTimer>

namespace {

class QtTimer : public Timer
{
public:
    QtTimer(bool singleShot, QObject* parent) : Timer(singleShot, parent)
    {
        m_timer.setSingleShot(singleShot);
        connect(&m_timer, &QTimer::timeout, this, &Timer::timeout);
    }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

protected:
    void schedule(int ms) override { m_timer.start(ms); }

private:
    QTimer m_timer;
};

} // namespace

Timer* SystemClock::singleShotTimer(QObject* parent)
{
    return new QtTimer(true, parent);
}

Timer* SystemClock::repeatingTimer(QObject* parent)
{
    return new QtTimer(false, parent);
}
