#include "handlers/SaveNotes.h"

#include "core/CardTable.h"
#include "core/StoreKeys.h"
#include "handlers/FailureReporter.h"
#include "handlers/HandlerContext.h"
#include "store/SerializedStore.h"
#include "store/SingleNumber.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"

namespace SaveNotes {

namespace {

struct Plan
{
    std::vector<StoreWrite> writes;
    // Which box each note write came from, and what was taken from it.
    std::vector<std::pair<int, ContentBox::Snapshot>> notes;
};

Plan plan(HandlerContext& ctx, bool withGeometry)
{
    Plan p;
    for (int card = 0; card < kCardCount; ++card) {
        ContentBox* box = ctx.window.contentBox(card);
        if (!box->isLoaded())
            continue;
        // The text goes to the store alone: a reference kept here while the
        // save runs would make the next key copy the whole note.
        ContentBox::Snapshot taken = box->snapshot();
        p.writes.push_back(taken.asUtf8 ? StoreWrite::noteInUtf8(kCards[card].contentKey, std::move(taken.utf8),
                                                                 taken.userEdited)
                                        : StoreWrite::note(kCards[card].contentKey, std::move(taken.text),
                                                           taken.userEdited));
        p.notes.emplace_back(card, std::move(taken));
    }
    if (withGeometry) {
        const MainWindow& w = ctx.window;
        p.writes.push_back(StoreWrite::plain(StoreKeys::writeLeft, SingleNumber::format(w.leftTwips())));
        p.writes.push_back(StoreWrite::plain(StoreKeys::writeTop, SingleNumber::format(w.topTwips())));
        p.writes.push_back(StoreWrite::plain(StoreKeys::writeWidth, SingleNumber::format(w.widthTwips())));
        p.writes.push_back(StoreWrite::plain(StoreKeys::writeHeight, SingleNumber::format(w.heightTwips())));
    }
    return p;
}

std::optional<QString> apply(HandlerContext& ctx, const Plan& p, const SaveResult& result)
{
    for (size_t i = 0; i < p.notes.size(); ++i) {
        const auto& [card, taken] = p.notes[i];
        // A note left as another program changed it is not the box's text,
        // so the box stays as it is: unedited, it is never written over it.
        if (result.outcomes[i] && *result.outcomes[i] != NoteSaveOutcome::KeptOutsideChange)
            ctx.window.contentBox(card)->markSaved(taken);
    }
    ctx.reporter.saveOutcome(result.failure);
    return result.failure;
}

} // namespace

std::optional<QString> now(HandlerContext& ctx, bool withGeometry)
{
    const Plan p = plan(ctx, withGeometry);
    return apply(ctx, p, ctx.store.save(p.writes));
}

void inBackground(HandlerContext& ctx, QObject* context, Done done)
{
    auto p = std::make_shared<Plan>(plan(ctx, false));
    ctx.store.saveInBackground(std::move(p->writes), context, [&ctx, p, done](const SaveResult& result) {
        const auto failure = apply(ctx, *p, result);
        if (done)
            done(failure);
    });
}

bool anyUnsaved(HandlerContext& ctx)
{
    for (int card = 0; card < kCardCount; ++card) {
        if (ctx.window.contentBox(card)->isModified())
            return true;
    }
    return false;
}

} // namespace SaveNotes
