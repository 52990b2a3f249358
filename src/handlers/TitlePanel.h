#pragma once

#include <QString>
#include <optional>

struct HandlerContext;

// A card's title panel: opened by a double-click on the tab strip, "OK"
// stores the typed title and puts it onto the card's tab, "Abbruch" closes.
namespace TitlePanel {

// Opens the current card's panel with the current tab's caption in its title
// box. Each of the three tests reads the current tab anew.
std::optional<QString> open(HandlerContext& ctx);

// "OK" of the card: writes the title box's text under the card's key, sets
// the caption of the card's own tab, hides the panel. Stops at a failure.
std::optional<QString> ok(HandlerContext& ctx, int card);

// "Abbruch" of the card: hides the panel, nothing else.
void cancel(HandlerContext& ctx, int card);

} // namespace TitlePanel
