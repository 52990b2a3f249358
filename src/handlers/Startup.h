#pragma once

#include "core/HandlerSteps.h"

#include <QString>
#include <optional>

class ContentBox;
class FailureReporter;
class SerializedStore;
struct HandlerContext;

// Filling the window from the store: the load step at start-up and
// activation each time the window is shown after being hidden.
namespace Startup {

// The autostart hint put into an empty card 1: with single carriage returns
// and a final period at the load step (74 characters), with single line feeds
// and no period at activation (73 characters).
QString loadHint();
QString activationHint();

// Stops at the first failing step; the steps before it keep their effect.
// Ends by hiding the window, or leaving it on screen when there is no tray to
// bring it back. Returns the failure, if any.
std::optional<QString> loadStep(HandlerContext& ctx);

// Resets the marquee and refills the window; a failing step is skipped.
void activation(HandlerContext& ctx);

// The window's size when the store holds none, for every reader. Activation
// and restore once used 10 twips, which shrank the window to nothing the first
// time a user opened it with an empty store.
inline const QString defaultWidth = QStringLiteral("5000");
inline const QString defaultHeight = QStringLiteral("2000");

// Fills a card's content box from the store, unless it holds typing that has
// not landed yet. A note that stays unread is told about.
void fillNote(SerializedStore& store, FailureReporter& reporter, ContentBox* box, int card,
              const QString& defaultValue);

// Steps shared by both readers: the six boxes (with the load step's title
// defaults) and the three tab captions from the title boxes.
std::vector<HandlerSteps::Step> fillBoxesAndCaptions(HandlerContext& ctx);
// The four geometry steps (left, top, width, height), each read and applied on
// its own, then bringing a window that is wholly off screen back.
std::vector<HandlerSteps::Step> applyGeometry(HandlerContext& ctx);

} // namespace Startup
