#include "handlers/Restore.h"

#include "core/HandlerSteps.h"
#include "core/Marquee.h"
#include "handlers/FillFromStore.h"
#include "handlers/HandlerContext.h"
#include "handlers/SaveNotes.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"

namespace Restore {

void restore(HandlerContext& ctx)
{
    MainWindow& w = ctx.window;
    // What the user typed is saved first, as loss of focus does; the reload
    // below never replaces a box whose typing has not landed in the store.
    if (w.isVisible() && !w.isMinimized())
        SaveNotes::inBackground(ctx, &w);

    if (w.isMinimized())
        w.showNormal();
    w.show();
    w.raise();
    w.activateWindow();
    ctx.marquee.reset();

    // A title missing from the store leaves its box empty; activation, which
    // follows once the window is active, puts the card's default title there.
    std::vector<HandlerSteps::Step> steps = FillFromStore::boxes(ctx, FillFromStore::MissingTitle::Empty);
    const auto geometry = FillFromStore::geometry(ctx);
    steps.insert(steps.end(), geometry.begin(), geometry.end());
    steps.push_back([&] { w.tray()->setDisplay(true); });
    HandlerSteps::skipFailingSteps(steps);
}

} // namespace Restore
