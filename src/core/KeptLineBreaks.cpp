#include "core/KeptLineBreaks.h"

#include <algorithm>

KeptLineBreaks::Form KeptLineBreaks::formOf(const QString& lineBreak)
{
    if (lineBreak == QLatin1String("\r\n"))
        return CrLf;
    return lineBreak == QLatin1String("\r") ? Cr : Lf;
}

QString KeptLineBreaks::load(const QString& stored)
{
    m_forms.clear();
    m_otherThanLf = 0;
    // Only LFs: the text is shown as it is, and no break needs telling apart.
    m_placesKnown = stored.contains(QLatin1Char('\r'));
    if (!m_placesKnown)
        return stored;
    QString shown;
    shown.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored[i];
        if (c == QLatin1Char('\n')) {
            m_forms.push_back(Lf);
        } else if (c == QLatin1Char('\r')) {
            const bool pair = i + 1 < stored.size() && stored[i + 1] == QLatin1Char('\n');
            m_forms.push_back(pair ? CrLf : Cr);
            ++m_otherThanLf;
            i += pair ? 1 : 0;
        } else {
            shown.append(c);
            continue;
        }
        shown.append(QLatin1Char('\n'));
    }
    return shown;
}

void KeptLineBreaks::replaced(const QString& shownBefore, qsizetype from, qsizetype removed,
                              QStringView inserted, const QString& newBreak)
{
    const QStringView before(shownBefore);
    const auto gone = size_t(before.sliced(from, removed).count(QLatin1Char('\n')));
    const auto added = size_t(inserted.count(QLatin1Char('\n')));
    // Typing within a line moves no break out of its place in the order.
    if (gone == 0 && added == 0)
        return;
    const Form form = formOf(newBreak);
    // Every break an LF, and an LF added: nothing to tell the breaks apart
    // by, so their places need not be followed (which would cost a walk
    // through the note before the edit, at every Enter).
    if (m_otherThanLf == 0 && form == Lf) {
        m_placesKnown = false;
        return;
    }
    if (!m_placesKnown) {
        m_forms.assign(size_t(before.count(QLatin1Char('\n'))), Lf);
        m_placesKnown = true;
    }
    const auto first = size_t(before.first(from).count(QLatin1Char('\n')));
    const auto end = m_forms.begin() + qsizetype(std::min(first + gone, m_forms.size()));
    const auto begin = m_forms.begin() + qsizetype(std::min(first, m_forms.size()));
    m_otherThanLf -= std::count_if(begin, end, [](Form f) { return f != Lf; });
    const auto at = m_forms.erase(begin, end);
    m_forms.insert(at, added, form);
    if (form != Lf)
        m_otherThanLf += qsizetype(added);
}

void KeptLineBreaks::reset(const QString& shown, const QString& newBreak)
{
    const Form form = formOf(newBreak);
    m_forms.assign(size_t(shown.count(QLatin1Char('\n'))), form);
    m_placesKnown = true;
    m_otherThanLf = form == Lf ? 0 : qsizetype(m_forms.size());
}

QString KeptLineBreaks::text(const QString& shown) const
{
    if (m_otherThanLf == 0)
        return shown;
    QString text;
    text.reserve(shown.size() + m_otherThanLf);
    size_t index = 0;
    for (qsizetype at = 0; at < shown.size(); ++at) {
        if (shown[at] != QLatin1Char('\n')) {
            text.append(shown[at]);
            continue;
        }
        Form form = index < m_forms.size() ? m_forms[index] : Lf;
        ++index;
        // A lone CR right before an LF break would read back as one CRLF:
        // one line fewer. Written as CRLF it stays a break of its own.
        if (form == Cr && at + 1 < shown.size() && shown[at + 1] == QLatin1Char('\n') &&
            (index >= m_forms.size() || m_forms[index] == Lf))
            form = CrLf;
        text.append(form == CrLf ? QStringLiteral("\r\n")
                    : form == Cr ? QStringLiteral("\r")
                                 : QStringLiteral("\n"));
    }
    return text;
}
