#pragma once

#include "core/Clock.h"

// The real clock: timers over QTimer, on the event loop of the thread that
// takes them.
class SystemClock : public Clock
{
public:
    Timer* singleShotTimer(QObject* parent) override;
    Timer* repeatingTimer(QObject* parent) override;
};
