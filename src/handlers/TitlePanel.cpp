#include "handlers/TitlePanel.h"

#include "core/CardTable.h"
#include "core/HandlerSteps.h"
#include "handlers/HandlerContext.h"
#include "store/SerializedStore.h"
#include "ui/MainWindow.h"
#include "ui/TabStrip.h"
#include "ui/TitleBox.h"

namespace TitlePanel {

std::optional<QString> open(HandlerContext& ctx)
{
    MainWindow& w = ctx.window;
    std::vector<HandlerSteps::Step> steps;
    for (int index = 0; index < kCardCount; ++index) {
        steps.push_back([&w, index] {
            if (w.tabStrip()->currentIndex() != index)
                return;
            w.card(index).titleBox->setText(w.tabStrip()->currentCaption());
            w.card(index).panel->setVisible(true);
        });
    }
    return HandlerSteps::stopAtFirstFailure(steps);
}

std::optional<QString> ok(HandlerContext& ctx, int card)
{
    MainWindow& w = ctx.window;
    const CardDefinition& def = kCards.at(size_t(card));
    const CardControls& controls = w.card(card);
    return HandlerSteps::stopAtFirstFailure({
        [&] { ctx.store.write(def.titleKey, controls.titleBox->text()); },
        [&] { w.tabStrip()->setCaption(card, controls.titleBox->text()); },
        [&] { controls.panel->setVisible(false); },
    });
}

void cancel(HandlerContext& ctx, int card)
{
    ctx.window.card(card).panel->setVisible(false);
}

} // namespace TitlePanel
