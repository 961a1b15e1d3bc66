#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// A statement prepared once on the SQLite handle under a Qt connection and run row by row,
// bound by position: Qt's binding of a value costs more than SQLite's work on the row. Used on
// the connection's own thread, inside its transactions.
class SqliteStatement
{
public:
    SqliteStatement(QSqlDatabase &database, const char *statement);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    SqliteStatement &bind(qint64 number);
    SqliteStatement &bind(double number);
    // Empty rather than NULL where it is null: an account, a project or a model may be empty.
    SqliteStatement &bind(const QString &text);

    // Runs a statement that returns no rows; ready for the next binding afterwards.
    std::optional<QSqlError> run();
    // Steps to the next row of a query: false at its end, or on an error, which finish() gives.
    bool next();
    qint64 integer(int column) const;
    QString text(int column) const;
    // Ends a query's run and readies the statement for the next binding.
    std::optional<QSqlError> finish();

private:
    std::optional<QSqlError> error(int code) const;

    sqlite3 *m_handle = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    int m_bound = 0;
    int m_lastCode = 0;
};
