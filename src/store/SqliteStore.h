#pragma once

#include "platform/PrivateFiles.h"
#include "store/NoteHistory.h"
#include "store/NoteStore.h"
#include "store/SqliteHandle.h"
#include "store/StoreFileWatch.h"

#include <QHash>
#include <QSet>
#include <functional>

// The note store in one SQLite database per user, in this table:
//   settings(application, section, key COLLATE NOCASE, value, PRIMARY KEY(...))
// and beside it the earlier versions of the notes and titles (NoteHistory).
// Each write is its own transaction, together with the version it keeps, and
// durable when it returns (WAL journal, synchronous=FULL), so a crash leaves
// the old or the new value, never a mix.
// The file is opened on first use and again after a failure, so a write that
// failed because the disk was full succeeds once space is back.
//
// The file is watched at each access: one replaced by rename (a sync tool,
// another program) is opened anew at its path; one rewritten in place is read
// anew too, and the log of this program's writes on the old content is never
// played into it; one deleted with its folder is made again from what this
// program last read or wrote, so the notes in the window are not lost with it.
// For the watch to tell this program's changes from others', the log is
// carried into the file after each write, by this program, not by SQLite.
//
// A file that turns out damaged when opened is moved aside under a dated name
// and what can still be read is carried into a new store; the first write of
// each run copies the store as it was to "<file>.bak". Both are told through
// the notice sink, since the user must learn where the old file lies.
class SqliteStore final : public NoteStore
{
public:
    explicit SqliteStore(QString path, QString application = QStringLiteral("MIRTAL"),
                         QString section = QStringLiteral("MIRTAL"));
    ~SqliteStore() override;

    const QString& path() const { return m_path; }
    QString backupPath() const { return m_path + QStringLiteral(".bak"); }

    // Receives what the user must be told that is no failure of a step: a
    // damaged file moved aside, a backup that could not be made. Without a
    // sink it goes to stderr.
    using NoticeSink = std::function<void(const QString& notice)>;
    void setNoticeSink(NoticeSink sink) { m_noticeSink = std::move(sink); }
    // How many writes reached the disk (equal values may skip it).
    int diskWrites() const { return m_diskWrites; }

    // The clock versions are kept by, in milliseconds since 1970 (UTC).
    using Clock = std::function<qint64()>;
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // How long a write waits for another program's lock before it fails.
    static constexpr int busyTimeoutMs = 1000;

    std::vector<NoteVersion> versions(const QString& key) override;
    std::optional<QString> versionText(qint64 id) override;
    void keepVersion(const QString& key, const QString& text) override;

protected:
    std::optional<QString> fetch(const QString& key) override;
    std::optional<TextFingerprint> fetchedPrint(const QString& key, const std::optional<QString>& fetched) override;
    std::optional<TextFingerprint> peek(const QString& key) override;
    bool holds(const QString& key, const QString& text) override;
    void put(const QString& key, const QString& value, const TextFingerprint& print) override;
    void keepCopyBeforeOverwrite(const QString& key) override;

private:
    bool ensureOpen(bool create, QString* error);
    // False when there is no store yet (every key is missing).
    bool openForReading(const QString& key);
    // True when the file changed under the open connection (then closed).
    bool noticeFileChangedUnderUs();
    void leaveRewrittenFile();
    bool takeRewrittenFile(QString* error, QString* told);
    void carryOwnWritesIn();
    void takeLongValuesOutOfGoneFile();
    bool recreateFromWhatWasSeen(QString* error);
    bool openConnection(QString* error);
    bool setUp(QString* error);
    bool replaceDamagedFile(const QString& cause, QString* error);
    void closeConnection();
    void closeAfterFailure(int rc);
    void backUpBeforeFirstChange();
    void notice(const QString& text) const;
    QString failure(const QString& what, const QString& key, const QString& cause) const;
    void forgetKnownValuesIfChangedElsewhere();
    // Runs take on the stored value's UTF-8 bytes, or on nothing when the
    // key is missing; the bytes are valid during take only.
    template <typename Take> auto withStoredBytes(const QString& key, Take take);
    std::optional<QString> selectValue(const QString& key);
    void upsert(const QString& key, const QString& value);
    template <typename Work> void inTransaction(const QString& key, Work work);
    // Nothing, or why no version could be kept (the save goes on).
    std::optional<QString> keepWhatIsReplaced(const QString& key, const QString& value, bool forced);
    // Writes text to a rescue file and tells where; throws when no place
    // takes it, so the save fails and the store keeps the text.
    void rescueReplaced(const QString& key, const QString& text);
    [[noreturn]] void refuse(const QString& what, const QString& key, int rc);

    QString m_path;
    QByteArray m_application;
    QByteArray m_section;
    SqliteConnection m_db;
    SqliteStatement m_select;
    SqliteStatement m_upsert;
    SqliteStatement m_dataVersion;
    // What each key (folded to lower case) is known to hold on disk, valid
    // while no other connection has committed (PRAGMA data_version). A long
    // note is known by its fingerprint and read from disk when its text is
    // needed, on the store's worker thread.
    QHash<QString, TextFingerprint> m_known;
    // The text of each long value in m_known, valid with it: every show of
    // the window reads every note again, and reading 10 MB out of the file
    // and turning it into text took about 100 ms per note, three of them
    // while the user waits for the window. The note box keeps its note as
    // UTF-8 in its engine, so this is the only copy of the text as such.
    QHash<QString, QString> m_knownLongTexts;
    qint64 m_knownVersion = -1;
    int m_diskWrites = 0;
    NoticeSink m_noticeSink;
    NoteHistory m_history;
    Clock m_clock;
    // A note whose outside change is about to be written over: what it held
    // is kept as a version whatever the rules say.
    QString m_forceVersionOf;
    bool m_historyFailureTold = false;
    // By key: the replaced text last rescued to a file.
    QHash<QString, TextFingerprint> m_rescuedReplaced;
    bool m_historyTableMade = false; // by this connection, if it was missing
    // Whether the store as it was at start still waits to be copied to the
    // backup: decided when the file is first opened, done before the first
    // change reaches it.
    bool m_backupDecided = false;
    bool m_backupPending = false;
    // The file the open connection works on, and whether it has gone.
    StoreFileWatch m_watch;
    bool m_wasOpened = false;
    bool m_vanished = false;
    // Long values this program last read or wrote, by folded key, taken out
    // of a file deleted under the connection, for the file made again.
    QHash<QString, QString> m_fromGoneFile;
    // Long values that could not be carried into the file made again: the
    // window still holds them, and a read must not hand back a default in
    // their place until they are written again.
    QSet<QString> m_notCarried;
    // Rewritten in place under the connection: the log beside it is settled
    // before the file is opened again.
    bool m_rewritten = false;
};
