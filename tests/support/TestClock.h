#pragma once

#include "core/Clock.h"

#include <QList>
#include <QPointer>

// A clock that stands still until a test moves it. While it lives, every
// timer the program takes comes from it; advance() fires each timer that
// falls due on the way, at its time and in order, as often as it falls due.
class TestClock : public Clock
{
public:
    TestClock();
    ~TestClock() override;
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    Timer* singleShotTimer(QObject* parent) override;
    Timer* repeatingTimer(QObject* parent) override;

    void advance(int ms);
    qint64 now() const { return m_now; }

private:
    class ManualTimer;
    ManualTimer* make(bool singleShot, QObject* parent);
    ManualTimer* nextDueBy(qint64 time) const;

    QList<QPointer<ManualTimer>> m_timers;
    qint64 m_now = 0;
    quint64 m_starts = 0;
};
