#pragma once

#include <functional>

// Runs a save when the display server goes away first (the X server or the
// Wayland compositor killed at logout). Qt then ends the program at once,
// and what was typed since the last save would be lost: on X11 with exit(1)
// from inside the event loop, on Wayland with _exit(1) from its event
// thread right after a warning. The save runs once, on the main thread,
// before that. An ordinary end destroys the ExitSaver first.
class ExitSaver
{
public:
    explicit ExitSaver(std::function<void()> save);
    ~ExitSaver();

    ExitSaver(const ExitSaver&) = delete;
    ExitSaver& operator=(const ExitSaver&) = delete;
};
