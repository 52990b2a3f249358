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

void NoteStore::see(const QString& key, const std::optional<QString>& value)
{
    m_seen.insert(foldKey(key), {key, value});
}

QString NoteStore::read(const QString& key, const QString& defaultValue)
{
    return readIfPresent(key).value_or(defaultValue);
}

std::optional<QString> NoteStore::readIfPresent(const QString& key)
{
    std::optional<QString> value = fetch(key);
    see(key, value);
    return value;
}

void NoteStore::write(const QString& key, const QString& value)
{
    put(key, value);
    see(key, value);
}

NoteSaveOutcome NoteStore::saveNote(const QString& key, const QString& text, bool userEdited)
{
    const auto last = m_seen.constFind(foldKey(key));
    const std::optional<QString> lastKnown = last == m_seen.cend() ? std::nullopt : last->second;
    const std::optional<QString> now = peek(key);
    if (now == lastKnown || now == text) {
        write(key, text);
        return NoteSaveOutcome::Written;
    }
    if (!userEdited)
        return NoteSaveOutcome::KeptOutsideChange;
    keepCopyBeforeOverwrite(key);
    write(key, text);
    return NoteSaveOutcome::WonOverOutsideChange;
}
