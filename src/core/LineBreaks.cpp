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

QString fromDisplay(const QString& shown, const QString& lineBreak)
{
    if (lineBreak == QLatin1String("\n"))
        return shown;
    QString text = shown;
    return text.replace(QLatin1Char('\n'), lineBreak);
}

} // namespace LineBreaks
