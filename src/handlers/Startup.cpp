#include "handlers/Startup.h"

#include "core/CardTable.h"
#include "core/Marquee.h"
#include "core/StepFailure.h"
#include "core/StoreKeys.h"
#include "handlers/FailureReporter.h"
#include "handlers/HandlerContext.h"
#include "store/SerializedStore.h"
#include "store/StoreNumbers.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"
#include "ui/TabStrip.h"
#include "ui/TitleBox.h"
#include "ui/TrayIcon.h"

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
    // Card 1 is empty, not merely unread: a note that could not be read
    // must not be replaced by the hint and then saved over.
    return [text1 = ctx.window.contentBox(0), hintText] {
        if (text1->isLoaded() && text1->text().isEmpty())
            text1->setText(hintText);
    };
}

template <typename Vector> void append(Vector& to, const Vector& from)
{
    to.insert(to.end(), from.begin(), from.end());
}

} // namespace

void fillNote(SerializedStore& store, FailureReporter& reporter, ContentBox* box, int card,
              const QString& defaultValue)
{
    // Typing that has not landed yet is never replaced by what the store
    // holds: it is saved at the next chance instead.
    if (box->isModified())
        return;
    try {
        box->setText(store.read(kCards[card].contentKey, defaultValue));
    } catch (const StepFailure& failure) {
        if (!box->isLoaded())
            reporter.report(QStringLiteral("%1 Die Notiz von Karte %2 wird beim nächsten Öffnen des Fensters "
                                           "wieder gelesen; bis dahin ist die Karte gesperrt und wird nicht "
                                           "gespeichert.")
                                .arg(failure.message())
                                .arg(card + 1));
        throw;
    }
}

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
    SerializedStore* store = &ctx.store;
    FailureReporter* reporter = &ctx.reporter;
    auto fillContent = [=](int card) {
        return [=] { fillNote(*store, *reporter, w->contentBox(card), card, QString()); };
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
    SerializedStore* store = &ctx.store;
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
    // Until its stored text has been read, a note counts as not loaded.
    for (int card = 0; card < 3; ++card)
        w.contentBox(card)->markNotLoaded();
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
        [&] { ctx.marquee.position = 0; },
        [&] { ctx.marquee.stopFlag = 0; },
    };
    append(steps, fillBoxesAndCaptions(ctx));
    steps.push_back(hintIfCard1Empty(ctx, activationHint()));
    append(steps, applyGeometry(ctx));
    steps.push_back([&] { ctx.window.tray()->setDisplay(true); });
    HandlerSteps::skipFailingSteps(steps);
}

} // namespace Startup
