#include "handlers/Closing.h"

#include "core/HandlerSteps.h"
#include "core/StepFailure.h"
#include "handlers/HandlerContext.h"
#include "handlers/SaveNotes.h"
#include "ui/MainWindow.h"

#include <QCloseEvent>

namespace Closing {

std::optional<QString> closeRequest(HandlerContext& ctx, QCloseEvent* event)
{
    event->ignore(); // before anything else: the window is never closed
    return HandlerSteps::stopAtFirstFailure({
        [&] {
            // The notes, then left, top, width and height, stopping
            // at the first refused write.
            if (auto failure = SaveNotes::now(ctx, true))
                throw StepFailure(*failure);
        },
        [&] { ctx.window.hideToTray(); },
    });
}

} // namespace Closing
