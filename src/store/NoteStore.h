#pragma once

#include "core/StepFailure.h"
#include "core/TextFingerprint.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

// The store refused a read or a write. The message names the key, the file and
// the cause, ready to be shown to the user.
class StoreError : public StepFailure
{
public:
    using StepFailure::StepFailure;
};

// What became of one note's save.
enum class NoteSaveOutcome {
    Written,              // the store holds the text now
    KeptOutsideChange,    // another program changed the note and the user had not edited it: left as it is
    WonOverOutsideChange, // the user's edit replaced another program's change, which went into the backup
                          // first
};

// One earlier version of a note or title that the store keeps.
struct NoteVersion
{
    qint64 id = 0;
    QDateTime savedAt;    // UTC; invalid when the store holds no readable time
    qsizetype length = 0; // characters
    QString firstLine;    // its first line, cut short when long
};

// The per-user store of notes, titles and window geometry: text values under
// application and section "MIRTAL". Keys are matched without regard to case,
// a write is seen by every later read, and a value comes back exactly as
// written. Every operation runs synchronously and throws StoreError when the
// store refuses it.
//
// The store remembers what this program last read or wrote under each key
// (a long note as its fingerprint, never a second copy of its text). A
// note's save compares that with what the store holds now: a note another
// program (the sqlite3 tool, a second copy, a sync tool) changed meanwhile is
// never reverted to an older text the user did not touch.
class NoteStore
{
public:
    virtual ~NoteStore() = default;

    // The stored text, or defaultValue when the key does not exist (an empty
    // stored text is returned as empty, not as the default).
    QString read(const QString& key, const QString& defaultValue);
    // The same, with nothing for a key that does not exist.
    std::optional<QString> readIfPresent(const QString& key);

    // Creates the key or replaces its value.
    void write(const QString& key, const QString& value);

    // Writes a note's text unless the store changed since this program last
    // read or wrote the note: then an unedited note is left alone, and an
    // edited one wins after what it replaces was copied to the backup.
    NoteSaveOutcome saveNote(const QString& key, const QString& text, bool userEdited);

    // The earlier versions kept of a note or title, newest first.
    virtual std::vector<NoteVersion> versions(const QString& key) = 0;
    // The whole text of one version; nothing when it is no longer kept.
    virtual std::optional<QString> versionText(qint64 id) = 0;
    // Keeps text as a version of key now, whatever the rules for saves would
    // say: what a restore replaces must be there to go back to. Nothing is
    // added when it equals the newest version.
    virtual void keepVersion(const QString& key, const QString& text) = 0;

    // Keys match as SQLite's NOCASE matches them: ASCII letters only.
    static QString foldKey(const QString& key);

protected:
    // The stored text, or nothing when the key does not exist.
    virtual std::optional<QString> fetch(const QString& key) = 0;
    // The fingerprint of what fetch(key) has just returned.
    virtual std::optional<TextFingerprint> fetchedPrint(const QString& key, const std::optional<QString>& fetched)
    {
        Q_UNUSED(key);
        return TextFingerprint::of(fetched);
    }
    // What a save compares with; not one of the program's own reads.
    virtual std::optional<TextFingerprint> peek(const QString& key) { return TextFingerprint::of(fetch(key)); }
    // Whether the store holds exactly text under key; not one of the
    // program's own reads.
    virtual bool holds(const QString& key, const QString& text) { return fetch(key) == text; }
    // print is value's fingerprint, made once for the store and for what is
    // remembered.
    virtual void put(const QString& key, const QString& value, const TextFingerprint& print) = 0;
    // Keeps the store as it is now, before a change of another program is
    // written over.
    virtual void keepCopyBeforeOverwrite(const QString& key) = 0;

    // What this program last read or wrote, by folded key: the key as spelt
    // then, and its value's fingerprint (nothing when it was missing).
    using Seen = QHash<QString, std::pair<QString, std::optional<TextFingerprint>>>;
    const Seen& seen() const { return m_seen; }
    void see(const QString& key, const std::optional<TextFingerprint>& print);

private:
    void write(const QString& key, const QString& value, const TextFingerprint& print);

    Seen m_seen;
};
