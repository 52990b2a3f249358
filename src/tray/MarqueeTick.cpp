#include "tray/MarqueeTick.h"

#include "app/HandlerContext.h"
#include "app/Module1.h"
#include "tray/Marquee.h"
#include "tray/TrayIcon.h"
#include "window/MainWindow.h"

namespace MarqueeTick {

void tick(HandlerContext& ctx)
{
    const Marquee::TickOutput out = Marquee::tick(ctx.module.marquee);
    // An unchanged caption or tip is not set again: on a hidden window and in
    // the frozen state a tick then costs next to nothing.
    if (out.caption && *out.caption != ctx.window.windowTitle())
        ctx.window.setWindowTitle(*out.caption);
    ctx.window.tray()->setTipText(out.tip);
}

} // namespace MarqueeTick
