#include "core/TextSearch.h"

namespace TextSearch {

qsizetype next(const QString& text, const QString& needle, qsizetype before, qsizetype after, bool backward)
{
    if (needle.isEmpty() || needle.size() > text.size())
        return -1;
    if (!backward) {
        const qsizetype found = text.indexOf(needle, qBound(qsizetype(0), after, text.size()), Qt::CaseInsensitive);
        return found >= 0 ? found : text.indexOf(needle, 0, Qt::CaseInsensitive);
    }
    const qsizetype lastStart = before - needle.size();
    const qsizetype found = lastStart >= 0 ? text.lastIndexOf(needle, lastStart, Qt::CaseInsensitive) : -1;
    return found >= 0 ? found : text.lastIndexOf(needle, -1, Qt::CaseInsensitive);
}

} // namespace TextSearch
