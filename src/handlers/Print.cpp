#include "handlers/Print.h"

#include "core/HandlerSteps.h"
#include "handlers/HandlerContext.h"
#include "print/CardPrinter.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"

namespace Print {

std::optional<QString> print(HandlerContext& ctx, CardPrinter& printer, int card)
{
    MainWindow& w = ctx.window;
    return HandlerSteps::stopAtFirstFailure({
        [&] { printer.print(w.contentBox(card)->text()); },
        [&] { w.card(card).panel->setVisible(false); },
    });
}

} // namespace Print
