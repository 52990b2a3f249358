#include "handlers/MarqueeTick.h"

#include "core/Marquee.h"
#include "handlers/HandlerContext.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"

namespace MarqueeTick {

void tick(HandlerContext& ctx)
{
    const Marquee::TickOutput out = Marquee::tick(ctx.marquee);
    // An unchanged caption or tip is not set again: on a hidden window and in
    // the frozen state a tick then costs next to nothing.
    if (out.caption && *out.caption != ctx.window.windowTitle())
        ctx.window.setWindowTitle(*out.caption);
    ctx.window.tray()->setTipText(out.tip);
}

} // namespace MarqueeTick
