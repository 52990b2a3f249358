#include "cards/PrintQueue.h"

#include <cups/cups.h>

namespace PrintQueue {

std::optional<QString> refusal(const QString& printerName)
{
    // Qt names an instance of a queue "queue/instance".
    const QByteArray name = printerName.section(QLatin1Char('/'), 0, 0).toUtf8();
    const QByteArray instance = printerName.section(QLatin1Char('/'), 1).toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return QStringLiteral("nicht erreichbar (%1)").arg(QString::fromUtf8(cupsLastErrorString()));
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool rejects = accepting && qstrcmp(accepting, "false") == 0;
    cupsFreeDests(1, dest);
    if (rejects)
        return QStringLiteral("nimmt keine Aufträge an");
    return std::nullopt;
}

std::optional<QString> handOverFailure()
{
    // Qt's CUPS engine hands the job over with cupsPrintFile() and drops its
    // answer; libcups keeps the last answer per thread, so it is read here.
    if (cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return std::nullopt;
    return QString::fromUtf8(cupsLastErrorString());
}

} // namespace PrintQueue
