#include "store/NoteStore.h"

QString NoteStore::foldKey(const QString& key)
{
    QString folded = key;
    for (QChar& c : folded) {
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return folded;
}

void NoteStore::see(const QString& key, const std::optional<TextFingerprint>& print)
{
    m_seen.insert(foldKey(key), {key, print});
}

QString NoteStore::read(const QString& key, const QString& defaultValue)
{
    return readIfPresent(key).value_or(defaultValue);
}

std::optional<QString> NoteStore::readIfPresent(const QString& key)
{
    std::optional<QString> value = fetch(key);
    see(key, fetchedPrint(key, value));
    return value;
}

void NoteStore::write(const QString& key, const QString& value)
{
    write(key, value, TextFingerprint(value));
}

void NoteStore::write(const QString& key, const QString& value, const TextFingerprint& print)
{
    put(key, value, print);
    see(key, print);
}

NoteSaveOutcome NoteStore::saveNote(const QString& key, const QString& text, bool userEdited)
{
    const auto last = m_seen.constFind(foldKey(key));
    const std::optional<TextFingerprint> lastKnown = last == m_seen.cend() ? std::nullopt : last->second;
    const std::optional<TextFingerprint> now = peek(key);
    // A long note saved unchanged (each close saves every note) is compared
    // with the stored text, which costs a fraction of its digest.
    if (now && now == lastKnown && now->isLong() && now->length() == text.size() && holds(key, text))
        return NoteSaveOutcome::Written;
    const TextFingerprint print(text);
    if (now == lastKnown || now == print) {
        write(key, text, print);
        return NoteSaveOutcome::Written;
    }
    if (!userEdited)
        return NoteSaveOutcome::KeptOutsideChange;
    keepCopyBeforeOverwrite(key);
    write(key, text, print);
    return NoteSaveOutcome::WonOverOutsideChange;
}
