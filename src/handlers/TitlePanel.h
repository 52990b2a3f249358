#pragma once

#include <QString>
#include <optional>

struct HandlerContext;

// A card's title panel: opened by a double-click on the tab strip, "OK"
// stores the typed title and puts it onto the card's tab, "Abbruch" closes.
namespace TitlePanel {

// Opens the current card's panel with the current tab's caption in its title
// box. Each of the three tests reads the current tab anew. The double-click
// moves no focus.
std::optional<QString> open(HandlerContext& ctx);

// The keyboard's way in (F2, the context-menu key on the tab row): opens the
// panel as the double-click does, then puts the cursor into its title box
// with the whole title selected, so that what is typed next replaces the
// title and never the note.
std::optional<QString> openForTyping(HandlerContext& ctx);

// "OK" of the card: writes the title box's text under the card's key, sets
// the caption of the card's own tab, hides the panel. Stops at a failure.
std::optional<QString> ok(HandlerContext& ctx, int card);

// Makes title the card's title by the same steps as "OK" (store, tab, panel
// hidden), with the title box showing it once it is stored; for an earlier
// title put back. Stops at a failure.
std::optional<QString> adopt(HandlerContext& ctx, int card, const QString& title);

// "Abbruch" of the card: hides the panel, nothing else.
void cancel(HandlerContext& ctx, int card);

} // namespace TitlePanel
