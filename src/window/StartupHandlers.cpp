#include "window/StartupHandlers.h"

#include "app/FailureReporter.h"
#include "app/HandlerContext.h"
#include "app/Module1.h"
#include "cards/CardTable.h"
#include "store/NoteStore.h"
#include "store/StoreKeys.h"
#include "store/StoreNumbers.h"
#include "tray/TrayIcon.h"
#include "window/ContentBox.h"
#include "window/MainWindow.h"
#include "window/TitleBox.h"
#include "window/TabStrip.h"

namespace Startup {

using HandlerSteps::Step;

namespace {

QString hint(QChar lineBreak, const QString& end)
{
    return QStringLiteral("Fügen Sie einen Verweis dieses ") + lineBreak +
           QStringLiteral("Programmes in ihren") + lineBreak + QStringLiteral(" AUTOSTART Ordner ein") + end;
}

const QString kDefaultLeft = QStringLiteral("10");
const QString kDefaultTop = QStringLiteral("10");

Step hintIfCard1Empty(HandlerContext& ctx, QString hintText)
{
    return [text1 = ctx.window.contentBox(0), hintText] {
        if (text1->text().isEmpty())
            text1->setText(hintText);
    };
}

template <typename Vector> void append(Vector& to, const Vector& from)
{
    to.insert(to.end(), from.begin(), from.end());
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

// The steps run after these functions return, so they capture what they work
// on by pointer.
std::vector<Step> fillBoxesAndCaptions(HandlerContext& ctx)
{
    MainWindow* w = &ctx.window;
    NoteStore* store = &ctx.store;
    auto fillContent = [=](int card) {
        return [=] { w->contentBox(card)->setText(store->read(kCards[card].contentKey, QString())); };
    };
    auto fillTitle = [=](int card) {
        return [=] {
            w->card(card).titleBox->setText(store->read(kCards[card].titleKey, kCards[card].defaultTitle));
        };
    };
    auto caption = [=](int card) {
        return [=] { w->tabStrip()->setCaption(card, w->card(card).titleBox->text()); };
    };
    // The store's order: Pindel1 .. Pindel6.
    return {fillContent(0), fillTitle(0), fillContent(1), fillContent(2), fillTitle(1),
            fillTitle(2),   caption(0),   caption(1),     caption(2)};
}

std::vector<Step> applyGeometry(HandlerContext& ctx)
{
    MainWindow* w = &ctx.window;
    NoteStore* store = &ctx.store;
    return {
        [=] { w->setLeftTwips(readStoredNumber(*store, StoreKeys::readLeft, kDefaultLeft)); },
        [=] { w->setTopTwips(readStoredNumber(*store, StoreKeys::readTop, kDefaultTop)); },
        [=] { w->setWidthTwips(readStoredNumber(*store, StoreKeys::readWidth, defaultWidth)); },
        [=] { w->setHeightTwips(readStoredNumber(*store, StoreKeys::readHeight, defaultHeight)); },
        // A window placed wholly off every screen could never be reached.
        [=] { w->bringOnScreen(); },
    };
}

std::optional<QString> loadStep(HandlerContext& ctx)
{
    MainWindow& w = ctx.window;
    std::vector<Step> steps = fillBoxesAndCaptions(ctx);
    steps.push_back(hintIfCard1Empty(ctx, loadHint()));
    append(steps, applyGeometry(ctx));
    steps.push_back([&] { w.tray()->setDisplay(true); });
    // Without a tray a hidden window could not be brought back, so it stays
    // on screen; the icon shows once a tray appears.
    steps.push_back([&] { w.tray()->isInTray() ? w.hide() : w.show(); });
    return HandlerSteps::stopAtFirstFailure(steps);
}

void activation(HandlerContext& ctx)
{
    std::vector<Step> steps{
        [&] { ctx.module.marquee.position = 0; },
        [&] { ctx.module.marquee.stopFlag = 0; },
    };
    append(steps, fillBoxesAndCaptions(ctx));
    steps.push_back(hintIfCard1Empty(ctx, activationHint()));
    append(steps, applyGeometry(ctx));
    steps.push_back([&] { ctx.window.tray()->setDisplay(true); });
    HandlerSteps::skipFailingSteps(steps);
}

} // namespace Startup
