#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <vector>

class QCloseEvent;
struct HandlerContext;

// Closing never ends the program: it saves and hides the window to the tray.
namespace Closing {

// Refuses the close, writes the three contents and the geometry, then hides
// the window. A failing write ends it: the keys before stay written and the
// window stays shown. Returns the failure, if any.
std::optional<QString> closeRequest(HandlerContext& ctx, QCloseEvent* event);

// The window itself lost the focus: writes the three contents.
std::optional<QString> focusLoss(HandlerContext& ctx);

// What loss of focus writes, in its order: each content key with the text its
// box holds now.
std::vector<std::pair<QString, QString>> contentWrites(HandlerContext& ctx);

// The user's session ends: writes what the close request writes, without
// hiding, so that nothing is lost when the program is ended from outside.
std::optional<QString> saveForSessionEnd(HandlerContext& ctx);

} // namespace Closing
