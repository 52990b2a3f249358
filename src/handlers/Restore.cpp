#include "handlers/Restore.h"

#include "core/CardTable.h"
#include "core/HandlerSteps.h"
#include "core/Marquee.h"
#include "handlers/FailureReporter.h"
#include "handlers/HandlerContext.h"
#include "handlers/SaveNotes.h"
#include "handlers/Startup.h"
#include "store/SerializedStore.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"
#include "ui/TitleBox.h"
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

} // namespace Restore
