#pragma once

struct HandlerContext;

// Timer1's tick: advances the marquee and shows its caption and tip.
namespace MarqueeTick {
void tick(HandlerContext& ctx);
}
