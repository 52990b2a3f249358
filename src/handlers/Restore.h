#pragma once

struct HandlerContext;

// The tray icon was activated: show the window, restart the marquee, refill
// the cards' boxes and the geometry from the store (each step skipped on its own
// when it fails) and switch the icon on.
namespace Restore {
void restore(HandlerContext& ctx);
}
