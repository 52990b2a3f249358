#pragma once

#include <QString>
#include <optional>

class QCloseEvent;
struct HandlerContext;

// Closing never ends the program: it saves and hides the window to the tray.
namespace Closing {

// Refuses the close, writes the notes and the geometry, then hides
// the window. A failing write ends it: the keys before stay written and the
// window stays shown. Returns the failure, if any.
std::optional<QString> closeRequest(HandlerContext& ctx, QCloseEvent* event);

} // namespace Closing
