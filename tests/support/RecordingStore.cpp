#include "RecordingStore.h"

QString RecordingStore::read(const QString& key, const QString& defaultValue)
{
    log << QStringLiteral("read ") + key;
    if (m_refused.contains(key.toLower()))
        throw StoreError(QStringLiteral("refused read ") + key);
    const auto it = m_values.constFind(key.toLower());
    return it == m_values.cend() ? defaultValue : *it;
}

void RecordingStore::write(const QString& key, const QString& value)
{
    log << QStringLiteral("write ") + key;
    if (m_refused.contains(key.toLower()))
        throw StoreError(QStringLiteral("refused write ") + key);
    m_values.insert(key.toLower(), value);
}
