#pragma once

#include <QString>
#include <functional>
#include <optional>

class QObject;
struct HandlerContext;

// The window itself lost the focus (not a move between its own controls).
namespace FocusLoss {

// Writes the three contents, off the event loop; done hears of the outcome
// once it is known (a failure is told by the save itself).
void saveContents(HandlerContext& ctx, QObject* context,
                  std::function<void(const std::optional<QString>& failure)> done = {});

} // namespace FocusLoss
