#include "tray/RestoreHandler.h"

#include "app/FailureReporter.h"
#include "app/HandlerContext.h"
#include "app/HandlerSteps.h"
#include "app/Module1.h"
#include "app/SaveNotes.h"
#include "cards/CardTable.h"
#include "store/SerializedStore.h"
#include "tray/TrayIcon.h"
#include "window/ContentBox.h"
#include "window/MainWindow.h"
#include "window/StartupHandlers.h"
#include "window/TitleBox.h"

namespace RestoreHandler {

void restore(HandlerContext& ctx)
{
    // The window is shown through the program-wide reference; it is created
    // once at start and never destroyed, so it is the window of this context.
    MainWindow& w = ctx.module.mainWindow ? *ctx.module.mainWindow : ctx.window;
    // What the user typed is saved first, as loss of focus does; the reload
    // below never replaces a box whose typing has not landed in the store.
    if (w.isVisible() && !w.isMinimized())
        SaveNotes::inBackground(ctx, &w);

    if (w.isMinimized())
        w.showNormal();
    w.show();
    w.raise();
    w.activateWindow();
    ctx.module.marquee.position = 0;
    ctx.module.marquee.stopFlag = 0;

    SerializedStore* store = &ctx.store;
    FailureReporter* reporter = &ctx.reporter;
    auto note = [&w, store, reporter](int card) -> HandlerSteps::Step {
        return [=, &w] { Startup::fillNote(*store, *reporter, w.contentBox(card), card, QString()); };
    };
    auto title = [&w, store](int card) -> HandlerSteps::Step {
        return [=, &w] { w.card(card).titleBox->setText(store->read(kCards[card].titleKey, QString())); };
    };
    std::vector<HandlerSteps::Step> steps{note(0), title(0), note(1), note(2), title(1), title(2)};
    const auto geometry = Startup::applyGeometry(ctx);
    steps.insert(steps.end(), geometry.begin(), geometry.end());
    steps.push_back([&] { w.tray()->setDisplay(true); });
    HandlerSteps::skipFailingSteps(steps);
}

} // namespace RestoreHandler
