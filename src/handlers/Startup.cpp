#include "handlers/Startup.h"

#include "core/CardTable.h"
#include "core/HandlerSteps.h"
#include "core/Marquee.h"
#include "core/StoreKeys.h"
#include "handlers/FillFromStore.h"
#include "handlers/HandlerContext.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"

namespace Startup {

using HandlerSteps::Step;

namespace {

QString hint(QChar lineBreak, const QString& end)
{
    return QStringLiteral("Fügen Sie einen Verweis dieses ") + lineBreak +
           QStringLiteral("Programmes in ihren") + lineBreak + QStringLiteral(" AUTOSTART Ordner ein") + end;
}

Step hintIfCard1Empty(HandlerContext& ctx, QString hintText)
{
    // Card 1 is empty, not merely unread: a note that could not be read
    // must not be replaced by the hint and then saved over.
    return [text1 = ctx.window.contentBox(0), hintText] {
        if (text1->isLoaded() && text1->isEmpty())
            text1->setText(hintText);
    };
}

void append(std::vector<Step>& to, const std::vector<Step>& from)
{
    to.insert(to.end(), from.begin(), from.end());
}

// The boxes with the cards' default titles, then the tabs' captions.
std::vector<Step> boxesAndCaptions(HandlerContext& ctx)
{
    std::vector<Step> steps = FillFromStore::boxes(ctx, FillFromStore::MissingTitle::CardDefault);
    append(steps, FillFromStore::captions(ctx));
    return steps;
}

// Until its stored text has been read, a note counts as not loaded.
void markNotesNotLoaded(MainWindow& w)
{
    for (int card = 0; card < kCardCount; ++card)
        w.contentBox(card)->markNotLoaded();
}

} // namespace

QString loadHint()
{
    return hint(QChar(13), QStringLiteral("."));
}

QString activationHint()
{
    return hint(QChar(10), QString());
}

void beforeReading(HandlerContext& ctx)
{
    markNotesNotLoaded(ctx.window);
    ctx.window.tray()->setDisplay(true);
}

QStringList loadKeys()
{
    QStringList keys(std::begin(StoreKeys::cardTexts), std::end(StoreKeys::cardTexts));
    keys << StoreKeys::readLeft << StoreKeys::readTop << StoreKeys::readWidth << StoreKeys::readHeight;
    return keys;
}

std::optional<QString> loadStep(HandlerContext& ctx)
{
    MainWindow& w = ctx.window;
    markNotesNotLoaded(w);
    std::vector<Step> steps = boxesAndCaptions(ctx);
    steps.push_back(hintIfCard1Empty(ctx, loadHint()));
    append(steps, FillFromStore::geometry(ctx));
    steps.push_back([&] { w.tray()->setDisplay(true); });
    // Without a tray a hidden window could not be brought back, so it stays
    // on screen; the icon shows once a tray appears.
    steps.push_back([&] { w.tray()->isInTray() ? w.hide() : w.show(); });
    return HandlerSteps::stopAtFirstFailure(steps);
}

void activation(HandlerContext& ctx)
{
    std::vector<Step> steps{
        [&] { ctx.marquee.position = 0; },
        [&] { ctx.marquee.stopFlag = 0; },
    };
    append(steps, boxesAndCaptions(ctx));
    steps.push_back(hintIfCard1Empty(ctx, activationHint()));
    append(steps, FillFromStore::geometry(ctx));
    steps.push_back([&] { ctx.window.tray()->setDisplay(true); });
    HandlerSteps::skipFailingSteps(steps);
}

} // namespace Startup
