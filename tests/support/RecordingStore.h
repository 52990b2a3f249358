#pragma once

#include "store/NoteStore.h"

#include <QMap>
#include <QSet>
#include <QStringList>

// A store in memory that records every read and write in order ("read Top",
// "write top", "backup" before another program's change is written over)
// and refuses the keys it is told to refuse. Keys are matched without regard
// to case, as in the real store. set() changes a value as another program
// would.
class RecordingStore final : public NoteStore
{
public:
    void set(const QString& key, const QString& value) { m_values.insert(key.toLower(), value); }
    bool contains(const QString& key) const { return m_values.contains(key.toLower()); }
    QString value(const QString& key) const { return m_values.value(key.toLower()); }
    int size() const { return int(m_values.size()); }

    void refuse(const QString& key) { m_refused.insert(key.toLower()); }
    void refuseNothing() { m_refused.clear(); }

    QStringList log;

protected:
    std::optional<QString> fetch(const QString& key) override;
    std::optional<QString> peek(const QString& key) override;
    void put(const QString& key, const QString& value) override;
    void keepCopyBeforeOverwrite(const QString& key) override;

private:
    QMap<QString, QString> m_values;
    QSet<QString> m_refused;
};
