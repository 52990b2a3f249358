#include "handlers/SessionEnd.h"

#include "core/CardTable.h"
#include "handlers/FailureReporter.h"
#include "handlers/HandlerContext.h"
#include "handlers/SaveNotes.h"
#include "store/RescueFiles.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"

#include <QDeadlineTimer>
#include <QThread>

namespace SessionEnd {

namespace {
// How long the end of the session keeps trying a store that refuses, and how
// often: long enough for another program's short lock, short enough not to
// hold up a logout.
constexpr int kTryAtEndMs = 3000;
constexpr int kPauseAtEndMs = 200;
} // namespace

bool save(HandlerContext& ctx)
{
    const QDeadlineTimer deadline(kTryAtEndMs);
    std::optional<QString> failure;
    while ((failure = SaveNotes::now(ctx, true)) && !deadline.hasExpired())
        QThread::msleep(kPauseAtEndMs);
    if (!failure)
        return true;

    QStringList rescued;
    for (int card = 0; card < kCardCount; ++card) {
        ContentBox* box = ctx.window.contentBox(card);
        if (!box->isModified())
            continue;
        QString error;
        const QString file = RescueFiles::write(QStringLiteral("Karte-%1").arg(card + 1), box->text(), &error);
        if (file.isEmpty())
            ctx.reporter.report(QStringLiteral("Der Text von Karte %1 konnte weder gespeichert noch gerettet "
                                               "werden: %2")
                                    .arg(card + 1)
                                    .arg(error));
        else
            rescued << file;
    }
    if (!rescued.isEmpty())
        ctx.reporter.report(
            QStringLiteral("Nicht gespeicherter Text wurde gerettet: %1").arg(RescueFiles::describe(rescued)));
    return false;
}

} // namespace SessionEnd
