#include "window/ClosingHandlers.h"

#include "app/HandlerContext.h"
#include "app/HandlerSteps.h"
#include "cards/CardTable.h"
#include "store/NoteStore.h"
#include "store/SingleNumber.h"
#include "store/StoreKeys.h"
#include "window/ContentBox.h"
#include "window/MainWindow.h"

#include <QCloseEvent>

namespace Closing {

using HandlerSteps::Step;

namespace {

std::vector<Step> writeContents(HandlerContext& ctx)
{
    MainWindow* w = &ctx.window;
    NoteStore* store = &ctx.store;
    auto write = [=](int card) {
        return [=] { store->write(kCards[card].contentKey, w->contentBox(card)->text()); };
    };
    return {write(0), write(1), write(2)};
}

std::vector<Step> writeGeometry(HandlerContext& ctx)
{
    MainWindow* w = &ctx.window;
    NoteStore* store = &ctx.store;
    return {
        [=] { store->write(StoreKeys::writeLeft, SingleNumber::format(w->leftTwips())); },
        [=] { store->write(StoreKeys::writeTop, SingleNumber::format(w->topTwips())); },
        [=] { store->write(StoreKeys::writeWidth, SingleNumber::format(w->widthTwips())); },
        [=] { store->write(StoreKeys::writeHeight, SingleNumber::format(w->heightTwips())); },
    };
}

std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

std::vector<std::pair<QString, QString>> contentWrites(HandlerContext& ctx)
{
    std::vector<std::pair<QString, QString>> writes;
    for (int card = 0; card < 3; ++card)
        writes.emplace_back(kCards[card].contentKey, ctx.window.contentBox(card)->text());
    return writes;
}

std::optional<QString> closeRequest(HandlerContext& ctx, QCloseEvent* event)
{
    event->ignore(); // before anything else: the window is never closed
    return HandlerSteps::stopAtFirstFailure(writeContents(ctx) + writeGeometry(ctx) +
                                            std::vector<Step>{[&] { ctx.window.hideToTray(); }});
}

std::optional<QString> focusLoss(HandlerContext& ctx)
{
    return HandlerSteps::stopAtFirstFailure(writeContents(ctx));
}

std::optional<QString> saveForSessionEnd(HandlerContext& ctx)
{
    return HandlerSteps::stopAtFirstFailure(writeContents(ctx) + writeGeometry(ctx));
}

} // namespace Closing
