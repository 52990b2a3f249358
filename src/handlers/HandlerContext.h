#pragma once

class FailureReporter;
class MainWindow;
class SerializedStore;
struct MarqueeState;

// What every handler works on: the one window (created at start and never
// destroyed, so it is also the window a tray click brings back), the store,
// the marquee's state and the way failures reach the user.
struct HandlerContext
{
    MainWindow& window;
    SerializedStore& store;
    MarqueeState& marquee;
    FailureReporter& reporter;
};
