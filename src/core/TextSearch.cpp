#include "core/TextSearch.h"

#include <algorithm>

namespace {

// The start of the last match of needle that starts in [floor, before), or
// -1. Qt's own backward search folds the case of every character on its way
// and takes about 80 ms through 10 MB; its forward search, run over slices
// from the back, takes a few.
qsizetype lastMatch(QStringView text, QStringView needle, qsizetype floor, qsizetype before)
{
    constexpr qsizetype slice = 64 * 1024;
    for (qsizetype end = std::min(before, text.size()); end > floor;) {
        const qsizetype from = std::max(floor, end - slice);
        // Long enough for a match that starts just before end.
        const QStringView part = text.mid(from, std::min(text.size(), end + needle.size() - 1) - from);
        qsizetype last = -1;
        for (qsizetype at = part.indexOf(needle, 0, Qt::CaseInsensitive); at >= 0;
             at = part.indexOf(needle, at + 1, Qt::CaseInsensitive))
            last = at;
        if (last >= 0)
            return from + last;
        end = from;
    }
    return -1;
}

} // namespace

namespace TextSearch {

qsizetype next(const QString& text, const QString& needle, qsizetype before, qsizetype after, bool backward)
{
    if (needle.isEmpty() || needle.size() > text.size())
        return -1;
    if (!backward) {
        const qsizetype found = text.indexOf(needle, qBound(qsizetype(0), after, text.size()), Qt::CaseInsensitive);
        return found >= 0 ? found : text.indexOf(needle, 0, Qt::CaseInsensitive);
    }
    // A previous match ends at or before `before`.
    const qsizetype lastStart = before - needle.size();
    const qsizetype found = lastStart >= 0 ? lastMatch(text, needle, 0, lastStart + 1) : -1;
    return found >= 0 ? found : lastMatch(text, needle, 0, text.size());
}

} // namespace TextSearch
