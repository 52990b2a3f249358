#include "handlers/TitlePanel.h"

#include "core/CardTable.h"
#include "core/HandlerSteps.h"
#include "handlers/HandlerContext.h"
#include "store/SerializedStore.h"
#include "ui/MainWindow.h"
#include "ui/TabStrip.h"
#include "ui/TitleBox.h"

namespace TitlePanel {

namespace {

// The steps of "OK", on the title that title() gives at each step.
std::optional<QString> store(HandlerContext& ctx, int card, const std::function<QString()>& title)
{
    MainWindow& w = ctx.window;
    const CardDefinition& def = kCards.at(size_t(card));
    const CardControls& controls = w.card(card);
    return HandlerSteps::stopAtFirstFailure({
        [&] { ctx.store.write(def.titleKey, title()); },
        [&] { w.tabStrip()->setCaption(card, title()); },
        [&] { controls.panel->setVisible(false); },
    });
}

} // namespace

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

std::optional<QString> openForTyping(HandlerContext& ctx)
{
    if (auto failure = open(ctx))
        return failure;
    MainWindow& w = ctx.window;
    return HandlerSteps::tryStep([&w] {
        QLineEdit* edit = w.card(w.tabStrip()->currentIndex()).titleBox->editor();
        edit->setFocus(Qt::ShortcutFocusReason);
        edit->selectAll();
    });
}

std::optional<QString> ok(HandlerContext& ctx, int card)
{
    TitleBox* box = ctx.window.card(card).titleBox;
    return store(ctx, card, [box] { return box->text(); });
}

std::optional<QString> adopt(HandlerContext& ctx, int card, const QString& title)
{
    if (auto failure = store(ctx, card, [&title] { return title; }))
        return failure;
    ctx.window.card(card).titleBox->setText(title);
    return std::nullopt;
}

void cancel(HandlerContext& ctx, int card)
{
    ctx.window.card(card).panel->setVisible(false);
}

} // namespace TitlePanel
