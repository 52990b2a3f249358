#include "store/SqliteStore.h"

#include "core/StoreKeys.h"
#include "platform/PrivateFiles.h"
#include "store/RescueFiles.h"
#include "store/StoreRecovery.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <sqlite3.h>

namespace {

const char* const kSchema = "CREATE TABLE IF NOT EXISTS settings ("
                            "application TEXT NOT NULL, section TEXT NOT NULL, "
                            "key TEXT NOT NULL COLLATE NOCASE, value TEXT NOT NULL, "
                            "PRIMARY KEY (application, section, key))";

const char* const kSelect = "SELECT value FROM settings "
                            "WHERE application = ?1 AND section = ?2 AND key = ?3 COLLATE NOCASE LIMIT 1";

const char* const kUpsert = "INSERT INTO settings (application, section, key, value) VALUES (?1, ?2, ?3, ?4) "
                            "ON CONFLICT (application, section, key) DO UPDATE SET value = excluded.value";

bool isVersioned(const QString& foldedKey)
{
    for (const QString& key : {StoreKeys::content1, StoreKeys::content2, StoreKeys::content3,
                               StoreKeys::title1, StoreKeys::title2, StoreKeys::title3}) {
        if (NoteStore::foldKey(key) == foldedKey)
            return true;
    }
    return false;
}

} // namespace

SqliteStore::SqliteStore(QString path, QString application, QString section)
    : m_path(std::move(path)), m_application(application.toUtf8()), m_section(section.toUtf8()),
      m_history(m_application, m_section), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }),
      m_watch(m_path)
{
}

SqliteStore::~SqliteStore()
{
    // Closing carries the log into the file: not into one rewritten since.
    QString ignored;
    if (noticeFileChangedUnderUs() && m_rewritten)
        takeRewrittenFile(&ignored, &ignored);
    m_select.finalize();
    m_upsert.finalize();
    m_dataVersion.finalize();
}

QString SqliteStore::failure(const QString& what, const QString& key, const QString& cause) const
{
    return QStringLiteral("%1 \u201E%2\u201C fehlgeschlagen: %3 (%4)")
        .arg(what, key, cause, QDir::toNativeSeparators(m_path));
}

void SqliteStore::notice(const QString& text) const
{
    if (m_noticeSink)
        m_noticeSink(text);
    else
        std::fprintf(stderr, "orbo: %s\n", text.toLocal8Bit().constData());
}

bool SqliteStore::openConnection(QString* error)
{
    if (!m_db.open(m_path)) {
        *error = m_db.errorMessage();
        return false;
    }
    sqlite3_busy_timeout(m_db.get(), busyTimeoutMs);
    return true;
}

void SqliteStore::closeConnection()
{
    m_historyTableMade = false;
    m_history.forgetWhatIsKnown();
    m_select.finalize();
    m_upsert.finalize();
    m_dataVersion.finalize();
    m_db.close();
}

void SqliteStore::closeAfterFailure(int rc)
{
    // A connection that met damage, an I/O error or a file it could only
    // open read-only is opened anew, and so checked again, at the next
    // access: once the user has made room or given back the right to write,
    // the next write succeeds. Another program's lock passes by itself.
    const int primary = rc & 0xff;
    if (primary != SQLITE_BUSY && primary != SQLITE_LOCKED)
        closeConnection();
}

bool SqliteStore::noticeFileChangedUnderUs()
{
    if (!m_db.isOpen())
        return false;
    switch (m_watch.look(m_db.get())) {
    case StoreFileWatch::Change::None:
        return false;
    case StoreFileWatch::Change::Gone:
        takeLongValuesOutOfGoneFile();
        closeConnection();
        m_vanished = true;
        return true;
    case StoreFileWatch::Change::Replaced:
    case StoreFileWatch::Change::LogReplaced:
        // Replaced by rename: from now on the file at the path counts. What
        // it holds is compared with what this program last saw before any
        // note is written (NoteStore::saveNote). The journal beside it is
        // still the old file's: emptied into the old file first, it cannot
        // be played into the new one. A journal deleted under the connection
        // is emptied into the file it belongs to the same way.
        m_db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
        closeConnection();
        return true;
    case StoreFileWatch::Change::RewrittenInPlace:
        leaveRewrittenFile();
        return true;
    }
    return false;
}

void SqliteStore::leaveRewrittenFile()
{
    // The file's bytes changed under the open connection: the pages it has
    // cached and the log it wrote belong to the old content. It is closed
    // without carrying the log in, which would write old pages over the new
    // content; what the new file holds is read by the next connection, and
    // compared with what this program last saw before a note is written.
    sqlite3_db_config(m_db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    closeConnection();
    m_rewritten = true;
}

bool SqliteStore::takeRewrittenFile(QString* error, QString* told)
{
    *told =
        QStringLiteral("Die Notizdatei %1 wurde von einem anderen Programm überschrieben. Pindel hat sie neu "
                       "gelesen: Karten, die Sie nicht bearbeitet haben, zeigen beim nächsten Öffnen ihren "
                       "neuen Inhalt.")
            .arg(QDir::toNativeSeparators(m_path));
    const QString log = m_path + QStringLiteral("-wal");
    // A log that still holds pages (this program's, or another's written on
    // the old content) would be read over the new file and mix both: it is
    // set aside. That is safe only while no other program holds the file
    // and the log's index. Emptied after each write, it mostly holds nothing.
    if (QFileInfo(log).size() == 0) {
        m_rewritten = false;
        return true;
    }
    // SQLite's shared lock bytes, which every connection holds while open.
    constexpr qint64 sharedLockFirst = 0x40000002, sharedLockCount = 510;
    if (PrivateFiles::lockedByAnotherProcess(m_path, sharedLockFirst, sharedLockCount)) {
        *error =
            QStringLiteral("die Notizdatei wurde von einem anderen Programm überschrieben, und ein weiteres "
                           "hält sie geöffnet; Pindel liest sie neu, sobald es sie schließt");
        return false;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = log + QStringLiteral(".old-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = log + QStringLiteral(".old-") + stamp + QStringLiteral("-%1").arg(n);
    if (!QFile::rename(log, aside)) {
        *error =
            QStringLiteral("die Notizdatei wurde von einem anderen Programm überschrieben, und ihr altes "
                           "Protokoll %1 kann nicht beiseitegelegt werden")
                .arg(QDir::toNativeSeparators(log));
        return false;
    }
    *told += QStringLiteral(" Das Protokoll der alten Fassung liegt unter %1.")
                 .arg(QDir::toNativeSeparators(aside));
    m_rewritten = false;
    return true;
}

void SqliteStore::carryOwnWritesIn()
{
    // Emptied after each write, the log never holds pages of this program's
    // that a file rewritten in place could be given. A reader still on an
    // older snapshot may hold it up; then a later write carries it in.
    m_db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    m_watch.remember(m_db.get());
}

bool SqliteStore::ensureOpen(bool create, QString* error)
{
    noticeFileChangedUnderUs();
    if (m_db.isOpen())
        return true;
    if (m_rewritten) {
        QString told;
        if (!takeRewrittenFile(error, &told))
            return false;
        notice(told);
    }
    const bool exists = QFileInfo::exists(m_path);
    // A store that was there in this run and has gone is made again at once,
    // for a read too: a read would otherwise bring back defaults in place of
    // the notes the window still holds.
    if (!exists && m_vanished)
        return recreateFromWhatWasSeen(error);
    if (!exists && !create)
        return false;
    if (!exists) {
        if (!PrivateFiles::ensureFolder(QFileInfo(m_path).absolutePath(), error) ||
            !PrivateFiles::ensureFile(m_path, error))
            return false;
    } else {
        QString ignored;
        PrivateFiles::ensureFolder(QFileInfo(m_path).absolutePath(), &ignored);
        PrivateFiles::tightenIfPresent(m_path);
        for (const char* suffix : {"-wal", "-shm"})
            PrivateFiles::followMode(m_path, m_path + QLatin1String(suffix));
    }
    if (!openConnection(error))
        return false;
    m_watch.remember(m_db.get());
    m_wasOpened = true;
    if (exists) {
        QString cause;
        switch (StoreRecovery::check(m_db.get(), &cause)) {
        case StoreRecovery::Health::Sound:
            break;
        case StoreRecovery::Health::Unreadable:
            *error = cause;
            closeConnection();
            return false;
        case StoreRecovery::Health::Damaged:
            closeConnection();
            return replaceDamagedFile(cause, error);
        }
    }
    if (!m_backupDecided) {
        // A backup cut short by a crash is of no use.
        StoreRecovery::discardPartialBackup(backupPath());
        m_backupDecided = true;
        m_backupPending = exists && QFileInfo(m_path).size() > 0;
    }
    return setUp(error);
}

bool SqliteStore::setUp(QString* error)
{
    // WAL keeps readers and the writer apart and, with FULL, makes each
    // commit durable before write() returns. On a read-only file WAL cannot
    // be switched on; reads still work and writes fail with a clear cause.
    // A new file gets large pages: a 10 MB note then is 150 pages instead
    // of 2,500, and saving it takes half as long. An existing file keeps
    // the page size it has.
    m_db.exec("PRAGMA page_size=65536");
    m_db.exec("PRAGMA journal_mode=WAL");
    // Only this program's own checkpoints (carryOwnWritesIn) change the file
    // while it is open, so that a change by anyone else shows.
    m_db.exec("PRAGMA wal_autocheckpoint=0");
    const bool readOnly = sqlite3_db_readonly(m_db.get(), "main") == 1;
    const bool ready = m_db.exec("PRAGMA synchronous=FULL") && (m_db.exec(kSchema) || readOnly) &&
                       m_select.prepare(m_db.get(), kSelect) &&
                       m_dataVersion.prepare(m_db.get(), "PRAGMA data_version");
    if (!ready) {
        *error = m_db.errorMessage();
        closeConnection();
        return false;
    }
    // Prepared lazily: a read-only or foreign database may lack what the
    // upsert needs, which must fail writes only.
    m_upsert.finalize();
    for (const char* suffix : {"-wal", "-shm"})
        PrivateFiles::tightenIfPresent(m_path + QLatin1String(suffix));
    m_known.clear();
    m_knownLongTexts.clear();
    m_knownVersion = -1;
    carryOwnWritesIn();
    return true;
}

void SqliteStore::takeLongValuesOutOfGoneFile()
{
    // Of a long value only its fingerprint is remembered. The connection
    // still reaches the deleted file: what it holds there is carried into
    // the new file when it is what this program last read or wrote.
    for (const auto& [key, print] : seen()) {
        if (!print || !print->isLong() || !m_db.isOpen())
            continue;
        try {
            const std::optional<QString> text = selectValue(key);
            if (text && print->matches(*text))
                m_fromGoneFile.insert(foldKey(key), *text);
        } catch (const StoreError&) {
            // Not carried: see recreateFromWhatWasSeen.
        }
    }
}

bool SqliteStore::recreateFromWhatWasSeen(QString* error)
{
    if (!PrivateFiles::ensureFolder(QFileInfo(m_path).absolutePath(), error) ||
        !PrivateFiles::ensureFile(m_path, error) || !openConnection(error))
        return false;
    // Nothing to back up: the old file is gone.
    m_backupDecided = true;
    m_backupPending = false;
    if (!setUp(error))
        return false;
    std::vector<StoreRecovery::Row> rows;
    QStringList notCarried;
    for (const auto& [key, print] : seen()) {
        if (!print)
            continue;
        if (!print->isLong()) {
            rows.push_back({m_application, m_section, key.toUtf8(), print->shortText().toUtf8()});
        } else if (const auto text = m_fromGoneFile.constFind(foldKey(key)); text != m_fromGoneFile.cend()) {
            rows.push_back({m_application, m_section, key.toUtf8(), text->toUtf8()});
        } else {
            notCarried << key;
        }
    }
    const int carried = StoreRecovery::carryInto(m_db.get(), rows, error);
    if (carried < 0) {
        closeConnection();
        return false;
    }
    carryOwnWritesIn();
    m_vanished = false;
    m_fromGoneFile.clear();
    // Missing now by this program's doing: the next save writes what the
    // window holds, and reads fail until then instead of emptying the card.
    for (const QString& key : std::as_const(notCarried)) {
        see(key, std::nullopt);
        m_notCarried.insert(foldKey(key));
    }
    QString told = QStringLiteral("Die Notizdatei %1 war verschwunden. Sie wurde mit den Notizen, Überschriften "
                                  "und der Fenstergröße aus dem laufenden Pindel neu angelegt.")
                       .arg(QDir::toNativeSeparators(m_path));
    if (!notCarried.isEmpty())
        told += QStringLiteral(" %1 konnte nicht übernommen werden und wird beim nächsten Speichern aus dem "
                               "Fenster geschrieben.")
                    .arg(notCarried.join(QStringLiteral(", ")));
    notice(told);
    return true;
}

bool SqliteStore::replaceDamagedFile(const QString& cause, QString* error)
{
    QString why;
    const QString movedTo = StoreRecovery::moveAside(m_path, &why);
    if (movedTo.isEmpty()) {
        // Never written over: without a place to move it to, it stays as it is.
        *error = QStringLiteral("Die Notizdatei ist beschädigt (%1) und kann nicht beiseitegelegt werden: %2")
                     .arg(cause, why);
        return false;
    }
    const std::vector<StoreRecovery::Row> rows = StoreRecovery::readableRows(movedTo);
    // The backup of the previous run is the last sound copy; the first write
    // of this run must not replace it with what was saved from the damage.
    m_backupDecided = true;
    m_backupPending = false;

    QString told = QStringLiteral("Die Notizdatei war beschädigt (%1). Sie liegt unverändert unter %2.")
                       .arg(cause, QDir::toNativeSeparators(movedTo));
    if (QFileInfo::exists(backupPath()))
        told += QStringLiteral(" Die Sicherung des vorigen Laufs liegt unter %1.")
                    .arg(QDir::toNativeSeparators(backupPath()));
    const bool ready = PrivateFiles::ensureFile(m_path, error) && openConnection(error) && setUp(error);
    if (!ready) {
        notice(told);
        return false;
    }
    QString carryError;
    const int carried = StoreRecovery::carryInto(m_db.get(), rows, &carryError);
    if (carried < 0)
        told += QStringLiteral(" Die lesbaren Einträge konnten nicht übernommen werden: %1").arg(carryError);
    else
        told +=
            QStringLiteral(" %1 lesbare Einträge wurden in eine neue Notizdatei übernommen.").arg(carried);
    const int versions =
        StoreRecovery::carryVersionsInto(m_db.get(), StoreRecovery::readableVersions(movedTo), &carryError);
    if (versions < 0)
        told += QStringLiteral(" Die früheren Fassungen konnten nicht übernommen werden: %1").arg(carryError);
    else if (versions > 0)
        told += QStringLiteral(" %1 frühere Fassungen wurden übernommen.").arg(versions);
    carryOwnWritesIn();
    notice(told);
    return true;
}

void SqliteStore::backUpBeforeFirstChange()
{
    QString error;
    if (StoreRecovery::backup(m_db.get(), backupPath(), &error))
        m_backupPending = false;
    else
        notice(QStringLiteral("Die Sicherungskopie %1 kann nicht angelegt werden: %2")
                   .arg(QDir::toNativeSeparators(backupPath()), error));
}

void SqliteStore::forgetKnownValuesIfChangedElsewhere()
{
    qint64 version = -1;
    {
        SqliteStatement::Use use(m_dataVersion);
        if (sqlite3_step(m_dataVersion.get()) == SQLITE_ROW)
            version = sqlite3_column_int64(m_dataVersion.get(), 0);
    }
    if (version < 0 || version != m_knownVersion) {
        m_known.clear();
        m_knownLongTexts.clear();
        m_history.forgetWhatIsKnown();
        m_knownVersion = version;
    }
}

bool SqliteStore::openForReading(const QString& key)
{
    QString error;
    if (!ensureOpen(false, &error)) {
        if (error.isEmpty())
            return false;
        throw StoreError(failure(QStringLiteral("Lesen"), key, error));
    }
    forgetKnownValuesIfChangedElsewhere();
    return true;
}

std::optional<QString> SqliteStore::fetch(const QString& key)
{
    if (!openForReading(key))
        return std::nullopt; // no store yet: every key is missing
    // Nobody has written since this value was last read or written here, so
    // it is still what the file holds.
    const QString folded = foldKey(key);
    const auto known = m_known.constFind(folded);
    if (known != m_known.cend() && !known->isLong())
        return known->shortText();
    if (const auto text = m_knownLongTexts.constFind(folded); known != m_known.cend() && text != m_knownLongTexts.cend())
        return *text;

    std::optional<QString> value = selectValue(key);
    if (m_notCarried.contains(folded)) {
        if (!value)
            throw StoreError(failure(QStringLiteral("Lesen"), key,
                                     QStringLiteral("die Notizdatei war verschwunden und wurde ohne diese Notiz "
                                                    "neu angelegt; sie wird beim nächsten Speichern aus dem "
                                                    "Fenster geschrieben")));
        m_notCarried.remove(folded); // written again meanwhile, by another program
    }
    // A long note known already is what was read: its digest is not made again.
    if (value && known == m_known.cend())
        m_known.insert(folded, TextFingerprint(*value));
    if (value && value->size() > TextFingerprint::longText)
        m_knownLongTexts.insert(folded, *value);
    return value;
}

std::optional<TextFingerprint> SqliteStore::fetchedPrint(const QString& key, const std::optional<QString>& fetched)
{
    // fetch() has just learnt or confirmed what the key holds.
    if (const auto known = m_known.constFind(foldKey(key)); fetched && known != m_known.cend())
        return *known;
    return NoteStore::fetchedPrint(key, fetched);
}

std::optional<TextFingerprint> SqliteStore::peek(const QString& key)
{
    if (!openForReading(key))
        return std::nullopt;
    const QString folded = foldKey(key);
    if (const auto known = m_known.constFind(folded); known != m_known.cend())
        return *known;
    std::optional<TextFingerprint> print = TextFingerprint::of(selectValue(key));
    if (print)
        m_known.insert(folded, *print);
    return print;
}

template <typename Take> auto SqliteStore::withStoredBytes(const QString& key, Take take)
{
    const QByteArray keyUtf8 = key.toUtf8();
    SqliteStatement::Use use(m_select);
    m_select.bindText(1, m_application);
    m_select.bindText(2, m_section);
    m_select.bindText(3, keyUtf8);
    const int rc = sqlite3_step(m_select.get());
    if (rc == SQLITE_DONE)
        return take(std::optional<QUtf8StringView>());
    if (rc != SQLITE_ROW)
        refuse(QStringLiteral("Lesen"), key, rc);
    if (sqlite3_column_type(m_select.get(), 0) == SQLITE_NULL)
        throw StoreError(failure(QStringLiteral("Lesen"), key, QStringLiteral("der Wert fehlt (NULL)")));
    // Text with its byte length, so embedded NULs survive; a number or a blob
    // written by another tool reads as its text form.
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_select.get(), 0));
    return take(std::optional<QUtf8StringView>(QUtf8StringView(text, sqlite3_column_bytes(m_select.get(), 0))));
}

std::optional<QString> SqliteStore::selectValue(const QString& key)
{
    return withStoredBytes(key, [](std::optional<QUtf8StringView> bytes) -> std::optional<QString> {
        if (!bytes)
            return std::nullopt;
        return QString::fromUtf8(bytes->data(), bytes->size());
    });
}

bool SqliteStore::holds(const QString& key, const QString& text)
{
    // Compared as it is decoded: a whole note's copy in fresh memory would
    // cost more than the comparison.
    return openForReading(key) && withStoredBytes(key, [&](std::optional<QUtf8StringView> bytes) {
               return bytes && QAnyStringView::equal(*bytes, text);
           });
}

void SqliteStore::keepCopyBeforeOverwrite(const QString& key)
{
    QString error;
    if (!ensureOpen(true, &error))
        throw StoreError(failure(QStringLiteral("Speichern"), key, error));
    if (!StoreRecovery::backup(m_db.get(), backupPath(), &error))
        throw StoreError(
            failure(QStringLiteral("Speichern"), key,
                    QStringLiteral("die Sicherung %1 vor dem Überschreiben einer fremden Änderung "
                                   "gelang nicht: %2")
                        .arg(QDir::toNativeSeparators(backupPath()), error)));
    m_backupPending = false;
    m_forceVersionOf = foldKey(key);
    notice(QStringLiteral("„%1“ wurde außerhalb von Pindel geändert, während Sie die Notiz bearbeitet "
                          "haben. Ihre Fassung ist gespeichert; die andere liegt in der Sicherung %2.")
               .arg(key, QDir::toNativeSeparators(backupPath())));
}

void SqliteStore::refuse(const QString& what, const QString& key, int rc)
{
    const QString cause = m_db.errorMessage();
    closeAfterFailure(rc);
    throw StoreError(failure(what, key, cause));
}

template <typename Work> void SqliteStore::inTransaction(const QString& key, Work work)
{
    if (!m_db.exec("BEGIN IMMEDIATE"))
        refuse(QStringLiteral("Speichern"), key, m_db.errorCode());
    try {
        work();
        if (!m_db.exec("COMMIT"))
            refuse(QStringLiteral("Speichern"), key, m_db.errorCode());
    } catch (...) {
        if (m_db.isOpen() && !sqlite3_get_autocommit(m_db.get()))
            m_db.exec("ROLLBACK");
        m_known.clear();
        m_knownLongTexts.clear();
        m_history.forgetWhatIsKnown();
        throw;
    }
    // The transaction's pages are in the log, made on the file as it was at
    // its start: if someone else changed the file meanwhile, they must not
    // reach it, and the save fails, to be made again on the file as it is.
    if (noticeFileChangedUnderUs()) {
        m_known.clear();
        m_knownLongTexts.clear();
        m_history.forgetWhatIsKnown();
        throw StoreError(
            failure(QStringLiteral("Speichern"), key,
                    QStringLiteral("die Notizdatei wurde währenddessen von einem anderen Programm "
                                   "geändert")));
    }
    carryOwnWritesIn();
}

void SqliteStore::upsert(const QString& key, const QString& value)
{
    const QByteArray keyUtf8 = key.toUtf8();
    const QByteArray valueUtf8 = value.toUtf8();
    SqliteStatement::Use use(m_upsert);
    m_upsert.bindText(1, m_application);
    m_upsert.bindText(2, m_section);
    m_upsert.bindText(3, keyUtf8);
    m_upsert.bindText(4, valueUtf8);
    const int rc = sqlite3_step(m_upsert.get());
    if (rc != SQLITE_DONE)
        refuse(QStringLiteral("Speichern"), key, rc);
}

std::optional<QString> SqliteStore::keepWhatIsReplaced(const QString& key, const QString& value, bool forced)
{
    // Under the write lock now: what another program wrote meanwhile is what
    // this save replaces.
    forgetKnownValuesIfChangedElsewhere();
    const QString folded = foldKey(key);
    const auto known = m_known.constFind(folded);
    const auto knownText = m_knownLongTexts.constFind(folded);
    const std::optional<QString> before = known == m_known.cend() ? selectValue(key)
                                          : !known->isLong()        ? known->shortText()
                                          : knownText != m_knownLongTexts.cend() ? *knownText
                                                                                 : selectValue(key);
    QString error;
    m_db.exec("SAVEPOINT history");
    if (m_history.keepReplaced(m_db.get(), key, before, value, forced, m_clock(), &error)) {
        m_db.exec("RELEASE history");
        return std::nullopt;
    }
    m_history.forgetWhatIsKnown();
    // A history table of another shape, or no room for a large version, must
    // not cost the note its save: that part is undone and the save goes on.
    // Damage and I/O errors fail the save, as they would fail the note.
    const int rc = m_db.errorCode();
    const int primary = rc & 0xff;
    const bool goOn = primary == SQLITE_ERROR || primary == SQLITE_CONSTRAINT || primary == SQLITE_TOOBIG ||
                      primary == SQLITE_MISMATCH || primary == SQLITE_FULL;
    if (!goOn || sqlite3_get_autocommit(m_db.get()))
        refuse(QStringLiteral("Speichern"), key, rc);
    m_db.exec("ROLLBACK TO history");
    m_db.exec("RELEASE history");
    // What a version exists for (a wipe, a paste over the note, an outside
    // change written over) must not go with this save: it goes into a file.
    // The rules are asked as if a version had just been kept, so typing
    // (kept every five minutes) makes no files; only a large removal does.
    if (before && (forced || VersionRules::keepsReplaced(*before, value, 0)))
        rescueReplaced(key, *before);
    return error;
}

void SqliteStore::rescueReplaced(const QString& key, const QString& text)
{
    const QString folded = foldKey(key);
    // A save tried again after a failure replaces the same text: one file.
    if (const auto done = m_rescuedReplaced.constFind(folded);
        done != m_rescuedReplaced.cend() && done->matches(text))
        return;
    QString error;
    const QString file = RescueFiles::write(RescueFiles::folders(QFileInfo(m_path).absolutePath()),
                                            QStringLiteral("Fassung-") + key, text, &error);
    if (file.isEmpty())
        throw StoreError(failure(QStringLiteral("Speichern"), key,
                                 QStringLiteral("der ersetzte Text kann weder als frühere Fassung aufbewahrt "
                                                "noch in eine Datei gerettet werden: %1")
                                     .arg(error)));
    m_rescuedReplaced.insert(folded, TextFingerprint(text));
    notice(QStringLiteral("Der Text, den das Speichern von „%1“ ersetzt, kann nicht als frühere Fassung "
                          "aufbewahrt werden. Er wurde gerettet: %2")
               .arg(key, RescueFiles::describe({file})));
}

void SqliteStore::put(const QString& key, const QString& value, const TextFingerprint& print)
{
    QString error;
    if (!ensureOpen(true, &error))
        throw StoreError(failure(QStringLiteral("Speichern"), key, error));
    forgetKnownValuesIfChangedElsewhere();

    const QString folded = foldKey(key);
    const bool forceVersion = m_forceVersionOf == folded;
    m_forceVersionOf.clear();
    const auto known = m_known.constFind(folded);
    if (known != m_known.cend() && *known == print)
        return; // already on disk, and nobody else has written since

    if (!m_upsert.isPrepared() && !m_upsert.prepare(m_db.get(), kUpsert))
        throw StoreError(failure(QStringLiteral("Speichern"), key, m_db.errorMessage()));

    if (m_backupPending)
        backUpBeforeFirstChange();

    std::optional<QString> versionFailure;
    inTransaction(key, [&] {
        if (!m_historyTableMade) {
            // A store without the table gains it on the first write; one of
            // another shape is left as it is (its versions fail, not the save).
            m_db.exec(NoteHistory::schema);
            m_historyTableMade = true;
        }
        if (isVersioned(folded))
            versionFailure = keepWhatIsReplaced(key, value, forceVersion);
        upsert(key, value);
    });
    if (versionFailure && !m_historyFailureTold) {
        m_historyFailureTold = true;
        notice(QStringLiteral("Frühere Fassungen von „%1“ können nicht aufbewahrt werden: %2 (%3). Die Notiz "
                              "selbst wird weiter gespeichert.")
                   .arg(key, *versionFailure, QDir::toNativeSeparators(m_path)));
    }
    ++m_diskWrites;
    m_backupPending = false;
    m_notCarried.remove(folded);
    m_known.insert(folded, print);
    if (print.isLong())
        m_knownLongTexts.insert(folded, value);
    else
        m_knownLongTexts.remove(folded);
}

std::vector<NoteVersion> SqliteStore::versions(const QString& key)
{
    QString error;
    if (!ensureOpen(false, &error)) {
        if (error.isEmpty())
            return {}; // no store yet
        throw StoreError(failure(QStringLiteral("Lesen der früheren Fassungen von"), key, error));
    }
    std::vector<NoteVersion> versions;
    if (!m_history.list(m_db.get(), key, &versions, &error))
        throw StoreError(failure(QStringLiteral("Lesen der früheren Fassungen von"), key, error));
    return versions;
}

std::optional<QString> SqliteStore::versionText(qint64 id)
{
    const QString what = QStringLiteral("Fassung %1").arg(id);
    QString error;
    if (!ensureOpen(false, &error)) {
        if (error.isEmpty())
            return std::nullopt;
        throw StoreError(failure(QStringLiteral("Lesen"), what, error));
    }
    std::optional<QString> text;
    if (!m_history.text(m_db.get(), id, &text, &error))
        throw StoreError(failure(QStringLiteral("Lesen"), what, error));
    return text;
}

void SqliteStore::keepVersion(const QString& key, const QString& text)
{
    QString error;
    if (!ensureOpen(true, &error))
        throw StoreError(failure(QStringLiteral("Aufbewahren einer Fassung von"), key, error));
    if (m_backupPending)
        backUpBeforeFirstChange();
    inTransaction(key, [&] {
        forgetKnownValuesIfChangedElsewhere();
        if (!m_history.keep(m_db.get(), key, text, m_clock(), &error))
            throw StoreError(failure(QStringLiteral("Aufbewahren einer Fassung von"), key, error));
    });
}
