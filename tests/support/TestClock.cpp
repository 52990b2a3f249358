#include "TestClock.h"

#include "core/Timer.h"

#include <algorithm>

class TestClock::ManualTimer : public Timer
{
public:
    ManualTimer(TestClock& clock, bool singleShot, QObject* parent) : Timer(singleShot, parent), m_clock(clock) {}

    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    qint64 due = 0;
    quint64 startedAs = 0; // timers due at the same time fire in the order they were started

    void fire()
    {
        if (isSingleShot())
            m_active = false;
        else
            due += std::max(1, interval()); // a zero interval would fire for ever
        emit timeout();
    }

protected:
    void schedule(int ms) override
    {
        due = m_clock.m_now + std::max(0, ms);
        startedAs = ++m_clock.m_starts;
        m_active = true;
    }

private:
    TestClock& m_clock;
    bool m_active = false;
};

TestClock::TestClock()
{
    install(this);
}

TestClock::~TestClock()
{
    install(nullptr);
}

Timer* TestClock::singleShotTimer(QObject* parent)
{
    return make(true, parent);
}

Timer* TestClock::repeatingTimer(QObject* parent)
{
    return make(false, parent);
}

TestClock::ManualTimer* TestClock::make(bool singleShot, QObject* parent)
{
    auto* timer = new ManualTimer(*this, singleShot, parent);
    m_timers.removeAll(nullptr);
    m_timers << timer;
    return timer;
}

TestClock::ManualTimer* TestClock::nextDueBy(qint64 time) const
{
    ManualTimer* next = nullptr;
    for (const QPointer<ManualTimer>& t : m_timers) {
        if (!t || !t->isActive() || t->due > time)
            continue;
        if (!next || t->due < next->due || (t->due == next->due && t->startedAs < next->startedAs))
            next = t;
    }
    return next;
}

void TestClock::advance(int ms)
{
    const qint64 target = m_now + ms;
    // A timer may start or stop timers as it fires; each is looked for anew.
    while (ManualTimer* timer = nextDueBy(target)) {
        m_now = timer->due;
        timer->fire();
    }
    m_now = target;
}
