#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// What a text was, in little memory: a short text itself; a long one as its
// length and a cryptographic digest of its UTF-16 code units. Two
// fingerprints are equal exactly when their texts are: for long texts the
// digest stands for the text, and no edit or other program's change makes
// two different texts share one by chance.
class TextFingerprint
{
public:
    // Beyond this many characters only the digest is kept. Titles, numbers
    // and short notes stay as they are, and reads of them can be answered
    // from memory; a long note's copy would double what the program holds of
    // it (a 10 MB note: 20 MB more), and its digest costs one pass over it.
    static constexpr qsizetype longText = 4096;

    explicit TextFingerprint(const QString& text);
    static std::optional<TextFingerprint> of(const std::optional<QString>& text);

    bool isLong() const { return m_length > longText; }
    qsizetype length() const { return m_length; }
    // The text itself; empty for a long one.
    const QString& shortText() const { return m_text; }

    // Whether text is the one this was made of; the digest is computed only
    // when the lengths agree.
    bool matches(const QString& text) const;

    friend bool operator==(const TextFingerprint&, const TextFingerprint&) = default;

private:
    static QByteArray digestOf(const QString& text);

    qsizetype m_length = 0;
    QString m_text;
    QByteArray m_digest;
};
