#include "cards/PrintHandler.h"

#include "app/HandlerContext.h"
#include "app/HandlerSteps.h"
#include "cards/CardPrinter.h"
#include "window/ContentBox.h"
#include "window/MainWindow.h"

namespace PrintHandler {

std::optional<QString> print(HandlerContext& ctx, CardPrinter& printer, int card)
{
    MainWindow& w = ctx.window;
    return HandlerSteps::stopAtFirstFailure({
        [&] { printer.print(w.contentBox(card)->text()); },
        [&] { w.card(card).panel->setVisible(false); },
    });
}

} // namespace PrintHandler
