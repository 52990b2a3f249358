#include "core/LineBreaks.h"

namespace LineBreaks {

QString forDisplay(const QString& text)
{
    if (!text.contains(QLatin1Char('\r')))
        return text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

} // namespace LineBreaks
