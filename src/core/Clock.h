#pragma once

class QObject;
class Timer;

// Where the program's timers come from: autosave and its retry, the marquee,
// the fallback for a window that is never made active. The program runs on
// the system clock; a test puts a clock of its own in its place and moves
// time by hand.
class Clock
{
public:
    virtual ~Clock() = default;

    // A stopped timer, owned by parent.
    virtual Timer* singleShotTimer(QObject* parent) = 0;
    virtual Timer* repeatingTimer(QObject* parent) = 0;

    // The clock timers are taken from now.
    static Clock& current();

protected:
    // Puts clock in the system clock's place (nullptr: the system clock
    // again). Timers already taken stay with the clock that made them.
    static void install(Clock* clock);
};
