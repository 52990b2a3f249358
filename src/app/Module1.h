#pragma once

#include <QPointer>
#include <QtGlobal>

class MainWindow;

// The marquee's two values: the position (1-based start character of both
// banners' slices, raised by every tick, never wrapping) and the stop flag
// of the caption marquee. Both start at 0.
struct MarqueeState
{
    qint64 position = 0;
    int stopFlag = 0;

    void reset()
    {
        position = 0;
        stopFlag = 0;
    }
};

// The program-wide state kept outside the window's controls for the whole
// run: the marquee state and the reference to the one main window.
struct Module1
{
    MarqueeState marquee;
    QPointer<MainWindow> mainWindow;
};
