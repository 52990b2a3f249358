#include "RecordingStore.h"

std::optional<QString> RecordingStore::fetch(const QString& key)
{
    log << QStringLiteral("read ") + key;
    if (m_refused.contains(key.toLower()))
        throw StoreError(QStringLiteral("refused read ") + key);
    return peek(key);
}

std::optional<QString> RecordingStore::peek(const QString& key)
{
    const auto it = m_values.constFind(key.toLower());
    return it == m_values.cend() ? std::nullopt : std::optional<QString>(*it);
}

void RecordingStore::put(const QString& key, const QString& value)
{
    log << QStringLiteral("write ") + key;
    if (m_refused.contains(key.toLower()))
        throw StoreError(QStringLiteral("refused write ") + key);
    m_values.insert(key.toLower(), value);
}

void RecordingStore::keepCopyBeforeOverwrite(const QString&)
{
    log << QStringLiteral("backup");
}
