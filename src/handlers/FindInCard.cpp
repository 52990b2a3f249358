#include "handlers/FindInCard.h"

#include "core/CardTable.h"
#include "core/HandlerSteps.h"
#include "handlers/HandlerContext.h"
#include "handlers/Resize.h"
#include "ui/ContentBox.h"
#include "ui/FindRow.h"
#include "ui/MainWindow.h"
#include "ui/TabStrip.h"

#include <QLineEdit>

namespace FindInCard {

namespace {

ContentBox* currentBox(MainWindow& w)
{
    return w.contentBox(w.tabStrip()->currentIndex());
}

void show(MainWindow& w)
{
    w.findRow()->show();
    keepClear(w);
}

} // namespace

// The row takes its room from the content boxes rather than lying over
// their lower edge: a match found in the last lines shown would otherwise
// be selected under the row, out of sight. The boxes get their full height
// back when the row closes.
void keepClear(MainWindow& w)
{
    if (!w.findRowShown())
        return;
    const int rowTop = w.findRow()->y();
    for (int card = 0; card < kCardCount; ++card) {
        ContentBox* box = w.contentBox(card);
        const int room = rowTop - box->mapTo(&w, QPoint(0, 0)).y();
        if (box->height() > room)
            box->resize(box->width(), std::max(0, room));
    }
}

std::optional<QString> open(HandlerContext& ctx)
{
    MainWindow& w = ctx.window;
    return HandlerSteps::tryStep([&w] {
        show(w);
        QLineEdit* edit = w.findRow()->edit();
        edit->setFocus(Qt::ShortcutFocusReason);
        edit->selectAll();
    });
}

std::optional<QString> step(HandlerContext& ctx, bool backward)
{
    MainWindow& w = ctx.window;
    FindRow* row = w.findRow();
    if (row->needle().isEmpty())
        return open(ctx);
    return HandlerSteps::tryStep([&w, row, backward] {
        const bool found = currentBox(w)->findNext(row->needle(), backward);
        row->setNotFound(!found);
        if (!found && row->isHidden())
            show(w);
    });
}

std::optional<QString> close(HandlerContext& ctx)
{
    MainWindow& w = ctx.window;
    return HandlerSteps::tryStep([&w] {
        currentBox(w)->setFocus(Qt::OtherFocusReason);
        w.findRow()->hide();
        Resize::apply(w);
    });
}

} // namespace FindInCard
