#include "handlers/FillFromStore.h"

#include "core/CardTable.h"
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

namespace FillFromStore {

using HandlerSteps::Step;

namespace {

const QString kDefaultLeft = QStringLiteral("10");
const QString kDefaultTop = QStringLiteral("10");

void fillNote(SerializedStore& store, FailureReporter& reporter, ContentBox* box, int card)
{
    // Typing that has not landed yet is never replaced by what the store
    // holds: it is saved at the next chance instead.
    if (box->isModified())
        return;
    try {
        box->setText(store.read(kCards[card].contentKey, QString()));
    } catch (const StepFailure& failure) {
        if (!box->isLoaded())
            reporter.report(QStringLiteral("%1 Die Notiz von %2 wird beim nächsten Öffnen des Fensters "
                                           "wieder gelesen; bis dahin ist die Karte gesperrt und wird nicht "
                                           "gespeichert.")
                                .arg(failure.message(), cardName(card)));
        throw;
    }
}

} // namespace

// The steps run after these functions return, so they capture what they work
// on by pointer.
std::vector<Step> boxes(HandlerContext& ctx, MissingTitle missingTitle)
{
    MainWindow* w = &ctx.window;
    SerializedStore* store = &ctx.store;
    FailureReporter* reporter = &ctx.reporter;
    std::vector<Step> steps;
    for (const CardText& text : cardTextsInStoreOrder()) {
        const int card = text.card;
        if (!text.isTitle) {
            steps.push_back([=] { fillNote(*store, *reporter, w->contentBox(card), card); });
            continue;
        }
        const QString missing =
            missingTitle == MissingTitle::CardDefault ? kCards[card].defaultTitle : QString();
        steps.push_back(
            [=] { w->card(card).titleBox->setText(store->read(kCards[card].titleKey, missing)); });
    }
    return steps;
}

std::vector<Step> captions(HandlerContext& ctx)
{
    MainWindow* w = &ctx.window;
    std::vector<Step> steps;
    for (int card = 0; card < kCardCount; ++card)
        steps.push_back([=] { w->tabStrip()->setCaption(card, w->card(card).titleBox->text()); });
    return steps;
}

std::vector<Step> geometry(HandlerContext& ctx)
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

} // namespace FillFromStore
