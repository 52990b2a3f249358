#include "handlers/FocusLoss.h"

#include "handlers/SaveNotes.h"

namespace FocusLoss {

void saveContents(HandlerContext& ctx, QObject* context,
                  std::function<void(const std::optional<QString>&)> done)
{
    SaveNotes::inBackground(ctx, context, std::move(done));
}

} // namespace FocusLoss
