#pragma once

#include <QString>
#include <functional>
#include <optional>

class QCloseEvent;
class QObject;
struct HandlerContext;

// Closing never ends the program: it saves and hides the window to the tray.
namespace Closing {

// Refuses the close, writes the three contents and the geometry, then hides
// the window. A failing write ends it: the keys before stay written and the
// window stays shown. Returns the failure, if any.
std::optional<QString> closeRequest(HandlerContext& ctx, QCloseEvent* event);

// The window itself lost the focus: writes the three contents, off the event
// loop; a failure is told when it comes back.
void focusLoss(HandlerContext& ctx, QObject* context,
               std::function<void(const std::optional<QString>& failure)> done = {});

} // namespace Closing
