#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// Remembers the form of every line break of a note (CRLF, a lone CR, a lone
// LF) while the note is shown with plain line ends, so that an edit rewrites
// only the breaks it touches: every break outside the edited text goes back
// to the store byte for byte as it came, and a break the user types or pastes
// takes the platform's form.
class KeptLineBreaks
{
public:
    // The stored text as shown (every break one '\n'); remembers each break.
    QString load(const QString& stored);

    // The shown text had `removed` characters at `from` replaced by
    // `inserted`; shownBefore is the shown text before that change. New
    // breaks take the form newBreak.
    void replaced(const QString& shownBefore, qsizetype from, qsizetype removed, QStringView inserted,
                  const QString& newBreak);

    // Forgets every form: each break takes newBreak (when the shown text
    // changed in a way that could not be followed).
    void reset(const QString& shown, const QString& newBreak);

    // The shown text with each break in its remembered form.
    QString text(const QString& shown) const;

private:
    enum Form : char { Lf, CrLf, Cr };
    static Form formOf(const QString& lineBreak);

    std::vector<Form> m_forms; // one per '\n' of the shown text, in order
    qsizetype m_otherThanLf = 0;
};
