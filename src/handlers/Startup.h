#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct HandlerContext;

// Filling the window from the store: the load step at start-up and
// activation each time the window is shown after being hidden.
namespace Startup {

// The autostart hint put into an empty card 1: with single carriage returns
// and a final period at the load step (74 characters), with single line feeds
// and no period at activation (73 characters).
QString loadHint();
QString activationHint();

// What comes before the load step's reads: every note counts as not loaded
// until its stored text has been read, and the tray icon is displayed, so
// that a start hidden in the tray shows it before long notes are read.
void beforeReading(HandlerContext& ctx);
// The keys the load step reads, in its order, to be read ahead of it.
QStringList loadKeys();

// Stops at the first failing step; the steps before it keep their effect.
// Ends by hiding the window, or leaving it on screen when there is no tray to
// bring it back. Returns the failure, if any.
std::optional<QString> loadStep(HandlerContext& ctx);

// Resets the marquee and refills the window; a failing step is skipped.
void activation(HandlerContext& ctx);

} // namespace Startup
