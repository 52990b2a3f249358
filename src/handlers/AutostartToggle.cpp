#include "handlers/AutostartToggle.h"

#include "platform/Autostart.h"
#include "ui/TrayMenu.h"

namespace AutostartToggle {

void showState(TrayMenu& menu)
{
    menu.showAutostart(Autostart::isEnabled());
}

std::optional<QString> choose(TrayMenu& menu, bool on, const QString& program)
{
    auto failure = Autostart::setEnabled(on, program);
    if (failure)
        showState(menu);
    return failure;
}

} // namespace AutostartToggle
