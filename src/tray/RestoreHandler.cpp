#include "tray/RestoreHandler.h"

#include "app/FailureReporter.h"
#include "app/HandlerContext.h"
#include "app/HandlerSteps.h"
#include "app/Module1.h"
#include "cards/CardTable.h"
#include "store/NoteStore.h"
#include "tray/TrayIcon.h"
#include "window/ClosingHandlers.h"
#include "window/ContentBox.h"
#include "window/MainWindow.h"
#include "window/TitleBox.h"
#include "window/StartupHandlers.h"

namespace RestoreHandler {

void restore(HandlerContext& ctx)
{
    // The window is shown through the program-wide reference; it is created
    // once at start and never destroyed, so it is the window of this context.
    MainWindow& w = ctx.module.mainWindow ? *ctx.module.mainWindow : ctx.window;
    // Reloading a shown window would throw away what the user typed since the
    // last save, so it is saved first, as loss of focus does. If that fails
    // the boxes are left alone.
    bool keepBoxes = false;
    if (w.isVisible() && !w.isMinimized()) {
        if (auto failure = Closing::focusLoss(ctx)) {
            ctx.reporter.report(*failure);
            keepBoxes = true;
        }
    }

    if (w.isMinimized())
        w.showNormal();
    w.show();
    w.raise();
    w.activateWindow();
    ctx.module.marquee.position = 0;
    ctx.module.marquee.stopFlag = 0;

    NoteStore* store = &ctx.store;
    auto fill = [&](auto* box, const QString& key) -> HandlerSteps::Step {
        return [=] {
            if (!keepBoxes)
                box->setText(store->read(key, QString()));
        };
    };
    std::vector<HandlerSteps::Step> steps{
        fill(w.contentBox(0), kCards[0].contentKey),  fill(w.card(0).titleBox, kCards[0].titleKey),
        fill(w.contentBox(1), kCards[1].contentKey),  fill(w.contentBox(2), kCards[2].contentKey),
        fill(w.card(1).titleBox, kCards[1].titleKey), fill(w.card(2).titleBox, kCards[2].titleKey),
    };
    const auto geometry = Startup::applyGeometry(ctx);
    steps.insert(steps.end(), geometry.begin(), geometry.end());
    steps.push_back([&] { w.tray()->setDisplay(true); });
    HandlerSteps::skipFailingSteps(steps);
}

} // namespace RestoreHandler
