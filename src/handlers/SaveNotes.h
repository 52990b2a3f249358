#pragma once

#include <QString>
#include <functional>
#include <optional>

class QObject;
struct HandlerContext;

// The one way the program saves the notes, whoever asks: autosave, loss
// of focus, the close request and the end of the session. The texts are
// taken from the boxes that hold a loaded note, written in card order by the
// store's worker, and each box counts as saved only for what landed. The
// user is told once when saving fails and once when it works again.
namespace SaveNotes {

using Done = std::function<void(const std::optional<QString>& failure)>;

// Writes the notes (and then the window's geometry, when asked) and waits
// for the outcome. Stops at the first refused write.
std::optional<QString> now(HandlerContext& ctx, bool withGeometry);

// Writes the notes after everything queued before; done runs on the event
// loop afterwards unless context is gone.
void inBackground(HandlerContext& ctx, QObject* context, Done done = {});

// Some box holds text that has not landed in the store.
bool anyUnsaved(HandlerContext& ctx);

} // namespace SaveNotes
