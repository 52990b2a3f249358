#include "print/PrintQueue.h"

#include <QLibrary>
#include <cups/cups.h>

namespace {

// libcups is loaded when printing first asks it, not at start: with the TLS,
// Kerberos and service discovery libraries it pulls in, linking it would add
// about 3 MB to the resident memory of every running copy, most of which
// never prints. Qt's own CUPS engine loads the same library when it prints,
// so both share one library and its per-thread last answer.
struct CupsApi
{
    decltype(&cupsGetNamedDest) getNamedDest = nullptr;
    decltype(&cupsGetOption) getOption = nullptr;
    decltype(&cupsFreeDests) freeDests = nullptr;
    decltype(&cupsLastError) lastError = nullptr;
    decltype(&cupsLastErrorString) lastErrorString = nullptr;

    bool usable() const { return getNamedDest && getOption && freeDests && lastError && lastErrorString; }
};

template <typename Function> void resolve(QLibrary& library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
}

const CupsApi& cups()
{
    static const CupsApi api = [] {
        CupsApi a;
        QLibrary library(QStringLiteral("cups"), 2);
        if (!library.load())
            return a;
        resolve(library, "cupsGetNamedDest", a.getNamedDest);
        resolve(library, "cupsGetOption", a.getOption);
        resolve(library, "cupsFreeDests", a.freeDests);
        resolve(library, "cupsLastError", a.lastError);
        resolve(library, "cupsLastErrorString", a.lastErrorString);
        return a;
    }();
    return api;
}

} // namespace

namespace PrintQueue {

std::optional<QString> refusal(const QString& printerName)
{
    const CupsApi& api = cups();
    if (!api.usable())
        return std::nullopt; // without libcups the platform cannot tell
    // Qt names an instance of a queue "queue/instance".
    const QByteArray name = printerName.section(QLatin1Char('/'), 0, 0).toUtf8();
    const QByteArray instance = printerName.section(QLatin1Char('/'), 1).toUtf8();
    cups_dest_t* dest = api.getNamedDest(CUPS_HTTP_DEFAULT, name.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return QStringLiteral("nicht erreichbar (%1)").arg(QString::fromUtf8(api.lastErrorString()));
    const char* accepting = api.getOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool rejects = accepting && qstrcmp(accepting, "false") == 0;
    api.freeDests(1, dest);
    if (rejects)
        return QStringLiteral("nimmt keine Aufträge an");
    return std::nullopt;
}

std::optional<QString> handOverFailure()
{
    const CupsApi& api = cups();
    if (!api.usable())
        return std::nullopt;
    // Qt's CUPS engine hands the job over with cupsPrintFile() and drops its
    // answer; libcups keeps the last answer per thread, so it is read here.
    if (api.lastError() <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return std::nullopt;
    return QString::fromUtf8(api.lastErrorString());
}

} // namespace PrintQueue
