#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// Owns one SQLite connection; closing happens in the destructor.
class SqliteConnection
{
public:
    SqliteConnection() = default;
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Opens (and creates) the database file; returns false and keeps the
    // cause in errorMessage() on failure.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return m_db != nullptr; }

    // Runs SQL that returns no rows; false on failure.
    bool exec(const char* sql);
    QString errorMessage() const;
    int errorCode() const;
    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
    QString m_openError;
};

// One prepared statement; reset (not finalised) after each use, finalised in
// the destructor.
class SqliteStatement
{
public:
    SqliteStatement() = default;
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool prepare(sqlite3* db, const char* sql);
    void finalize();
    bool isPrepared() const { return m_stmt != nullptr; }
    sqlite3_stmt* get() const { return m_stmt; }

    // Binds UTF-8 text that must stay alive until the statement is reset.
    void bindText(int index, const QByteArray& utf8);
    // Resets the statement and clears its bindings when it goes out of scope.
    class Use
    {
    public:
        explicit Use(SqliteStatement& statement) : m_statement(statement) {}
        ~Use();

    private:
        SqliteStatement& m_statement;
    };

private:
    sqlite3_stmt* m_stmt = nullptr;
};
