#include "handlers/Resize.h"

#include "core/CardTable.h"
#include "core/HandlerSteps.h"
#include "core/ResizeRule.h"
#include "core/StepFailure.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"
#include "ui/TabStrip.h"

namespace Resize {

namespace {

// One size of one control: the window's current outer size less the margin.
HandlerSteps::Step width(MainWindow& window, QWidget* control, float margin)
{
    return [&window, control, margin] {
        const auto size = ResizeRule::sizeFor(window.widthTwips(), margin);
        if (!size)
            throw StepFailure(QStringLiteral("%1: keine gültige Breite").arg(control->objectName()));
        window.setControlWidthTwips(control, *size);
    };
}

HandlerSteps::Step height(MainWindow& window, QWidget* control, float margin)
{
    return [&window, control, margin] {
        const auto size = ResizeRule::sizeFor(window.heightTwips(), margin);
        if (!size)
            throw StepFailure(QStringLiteral("%1: keine gültige Höhe").arg(control->objectName()));
        window.setControlHeightTwips(control, *size);
    };
}

} // namespace

void apply(MainWindow& window)
{
    using namespace ResizeRule;
    std::vector<HandlerSteps::Step> steps{width(window, window.tabStrip(), stripWidthMargin),
                                          height(window, window.tabStrip(), stripHeightMargin)};
    // Every card's box, whichever card shows.
    for (int card = 0; card < kCardCount; ++card) {
        steps.push_back(width(window, window.contentBox(card), contentWidthMargin));
        steps.push_back(height(window, window.contentBox(card), contentHeightMargin));
    }
    HandlerSteps::skipFailingSteps(steps);
}

} // namespace Resize
