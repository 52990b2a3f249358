#pragma once

#include "store/NoteStore.h"

#include <QMap>
#include <QSet>
#include <QStringList>

// A store in memory that records every read and write in order ("read Top",
// "write top", "backup" before another program's change is written over,
// "keep Pindel1" for a version kept) and refuses the keys it is told to
// refuse. Versions are kept only when asked (keepVersion, addVersion), never
// by a write. Keys are matched without regard
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

    // A version as if kept earlier; returns its id.
    qint64 addVersion(const QString& key, const QString& text, const QDateTime& savedAt);

    std::vector<NoteVersion> versions(const QString& key) override;
    std::optional<QString> versionText(qint64 id) override;
    void keepVersion(const QString& key, const QString& text) override;

    QStringList log;

protected:
    std::optional<QString> fetch(const QString& key) override;
    std::optional<TextFingerprint> peek(const QString& key) override;
    bool holds(const QString& key, const QString& text) override { return lookUp(key) == text; }
    void put(const QString& key, const QString& value, const TextFingerprint& print) override;
    void keepCopyBeforeOverwrite(const QString& key) override;

private:
    std::optional<QString> lookUp(const QString& key) const;

    struct Kept
    {
        qint64 id;
        QString key; // lower case
        QString text;
        QDateTime savedAt;
    };

    QMap<QString, QString> m_values;
    std::vector<Kept> m_versions; // oldest first
    QSet<QString> m_refused;
};
