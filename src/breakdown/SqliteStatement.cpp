#include "SqliteStatement.h"

#include "HistoryConnection.h"

#include <sqlite3.h>

using namespace Qt::StringLiterals;

SqliteStatement::SqliteStatement(QSqlDatabase &database, const char *statement)
    : m_handle(HistoryConnection::handleOf(database))
{
    if (!m_handle)
        m_lastCode = SQLITE_MISUSE;
    else
        m_lastCode = sqlite3_prepare_v3(m_handle, statement, -1, SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr);
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

SqliteStatement &SqliteStatement::bind(qint64 number)
{
    sqlite3_bind_int64(m_statement, ++m_bound, number);
    return *this;
}

SqliteStatement &SqliteStatement::bind(double number)
{
    sqlite3_bind_double(m_statement, ++m_bound, number);
    return *this;
}

SqliteStatement &SqliteStatement::bind(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(m_statement, ++m_bound, utf8.isNull() ? "" : utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

std::optional<QSqlError> SqliteStatement::run()
{
    while (next()) {
    }
    return finish();
}

bool SqliteStatement::next()
{
    if (!m_statement)
        return false;
    m_lastCode = sqlite3_step(m_statement);
    return m_lastCode == SQLITE_ROW;
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QString SqliteStatement::text(int column) const
{
    const auto *utf8 = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(utf8, sqlite3_column_bytes(m_statement, column));
}

std::optional<QSqlError> SqliteStatement::finish()
{
    const int code = m_lastCode;
    const bool failed = code != SQLITE_DONE && code != SQLITE_ROW && code != SQLITE_OK;
    std::optional<QSqlError> said = failed ? error(code) : std::nullopt;
    m_bound = 0;
    if (m_statement) {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    return said;
}

// As Qt's driver says it, so that a busy file is told apart by its code.
std::optional<QSqlError> SqliteStatement::error(int code) const
{
    const QString text = m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle)) : u"no SQLite connection"_s;
    return QSqlError(u"Unable to execute statement"_s, text, QSqlError::StatementError, QString::number(code));
}
