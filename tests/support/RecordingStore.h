#pragma once

#include "store/NoteStore.h"

#include <QMap>
#include <QSet>
#include <QStringList>

// A store in memory that records every read and write in order ("read Top",
// "write top") and refuses the keys it is told to refuse. Keys are matched
// without regard to case, as in the real store.
class RecordingStore final : public NoteStore
{
public:
    QString read(const QString& key, const QString& defaultValue) override;
    void write(const QString& key, const QString& value) override;

    void set(const QString& key, const QString& value) { m_values.insert(key.toLower(), value); }
    bool contains(const QString& key) const { return m_values.contains(key.toLower()); }
    QString value(const QString& key) const { return m_values.value(key.toLower()); }
    int size() const { return int(m_values.size()); }

    void refuse(const QString& key) { m_refused.insert(key.toLower()); }
    void refuseNothing() { m_refused.clear(); }

    QStringList log;

private:
    QMap<QString, QString> m_values;
    QSet<QString> m_refused;
};
