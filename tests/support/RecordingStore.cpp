#include "RecordingStore.h"

std::optional<QString> RecordingStore::fetch(const QString& key)
{
    log << QStringLiteral("read ") + key;
    if (m_refused.contains(key.toLower()))
        throw StoreError(QStringLiteral("refused read ") + key);
    return lookUp(key);
}

std::optional<TextFingerprint> RecordingStore::peek(const QString& key)
{
    return TextFingerprint::of(lookUp(key));
}

std::optional<QString> RecordingStore::lookUp(const QString& key) const
{
    const auto it = m_values.constFind(key.toLower());
    return it == m_values.cend() ? std::nullopt : std::optional<QString>(*it);
}

void RecordingStore::put(const QString& key, const QString& value, const TextFingerprint&)
{
    log << QStringLiteral("write ") + key;
    if (m_refused.contains(key.toLower()))
        throw StoreError(QStringLiteral("refused write ") + key);
    // A copy, as a disk holds one: never a reference to the caller's text.
    m_values.insert(key.toLower(), value.isEmpty() ? value : QString(value.constData(), value.size()));
}

void RecordingStore::keepCopyBeforeOverwrite(const QString&)
{
    log << QStringLiteral("backup");
}

qint64 RecordingStore::addVersion(const QString& key, const QString& text, const QDateTime& savedAt)
{
    const qint64 id = m_versions.empty() ? 1 : m_versions.back().id + 1;
    m_versions.push_back({id, key.toLower(), text, savedAt.toUTC()});
    return id;
}

std::vector<NoteVersion> RecordingStore::versions(const QString& key)
{
    log << QStringLiteral("versions ") + key;
    if (m_refused.contains(key.toLower()))
        throw StoreError(QStringLiteral("refused versions ") + key);
    std::vector<NoteVersion> found;
    for (auto it = m_versions.rbegin(); it != m_versions.rend(); ++it) {
        if (it->key == key.toLower())
            found.push_back(
                {it->id, it->savedAt, it->text.size(), it->text.section(QLatin1Char('\n'), 0, 0)});
    }
    return found;
}

std::optional<QString> RecordingStore::versionText(qint64 id)
{
    log << QStringLiteral("version %1").arg(id);
    for (const Kept& kept : m_versions) {
        if (kept.id == id)
            return kept.text;
    }
    return std::nullopt;
}

void RecordingStore::keepVersion(const QString& key, const QString& text)
{
    log << QStringLiteral("keep ") + key;
    if (m_refused.contains(key.toLower()))
        throw StoreError(QStringLiteral("refused keep ") + key);
    for (auto it = m_versions.rbegin(); it != m_versions.rend(); ++it) {
        if (it->key == key.toLower()) {
            if (it->text == text)
                return;
            break;
        }
    }
    addVersion(key, text, QDateTime::currentDateTimeUtc());
}
