#include "HistoryConnection.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QSqlDriver>
#include <QSqlQuery>

#include <sqlite3.h>

#include <atomic>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// SQLite's primary result codes; an extended code carries one in its low byte.
constexpr int sqliteBusy = 5;
constexpr int sqliteCorrupt = 11;
constexpr int sqliteNotADatabase = 26;

int primaryCode(const QSqlError &error)
{
    bool isNumber = false;
    const int code = error.nativeErrorCode().toInt(&isNumber);
    return isNumber ? code & 0xff : -1;
}

QString uniqueConnectionName()
{
    static std::atomic<int> counter;
    return u"tidemarker-history-"_s + QString::number(++counter);
}

QByteArrayView textArgument(sqlite3_value *value)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    return {text, text ? sqlite3_value_bytes(value) : 0};
}

void requestKeyFunction(sqlite3_context *context, int, sqlite3_value **arguments)
{
    sqlite3_result_int64(context, HistoryConnection::requestKey(textArgument(arguments[0]), textArgument(arguments[1])));
}

} // namespace

sqlite3 *HistoryConnection::handleOf(QSqlDatabase &database)
{
    const QVariant handle = database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

qint64 HistoryConnection::requestKey(QByteArrayView account, QByteArrayView id)
{
    // Any digest spreads ids evenly; the 64 bits kept, not the function, set the odds of two alike.
    QCryptographicHash digest(QCryptographicHash::Sha1);
    digest.addData(account);
    digest.addData(QByteArrayView("", 1)); // a NUL, which no folder name holds
    digest.addData(id);
    const QByteArray result = digest.result();
    qint64 key = 0;
    std::memcpy(&key, result.constData(), sizeof key);
    return key;
}

QString HistoryConnection::defaultPath()
{
    // The base directory specification ignores a relative XDG_STATE_HOME.
    QString stateHome = qEnvironmentVariable("XDG_STATE_HOME");
    if (stateHome.isEmpty() || QDir::isRelativePath(stateHome))
        stateHome = QDir::homePath() + u"/.local/state"_s;
    return stateHome + u"/tidemarker/history.sqlite3"_s;
}

HistoryConnection::HistoryConnection(const QString &path, Mode mode, std::chrono::milliseconds busyTimeout)
    : m_path(path)
    , m_name(uniqueConnectionName())
    , m_database(QSqlDatabase::addDatabase(u"QSQLITE"_s, m_name))
{
    if (!m_database.isValid()) {
        m_error = QCoreApplication::translate("HistoryConnection", "Qt's SQLite driver is missing (Debian: libqt6sql6-sqlite)");
        return;
    }
    m_database.setDatabaseName(path);
    // A writer holding the file keeps a reader or another writer waiting this long.
    const QString waitForWriters = u"QSQLITE_BUSY_TIMEOUT="_s + QString::number(busyTimeout.count());
    m_database.setConnectOptions(mode == Mode::readOnly ? waitForWriters + u";QSQLITE_OPEN_READONLY"_s : waitForWriters);
    if (!m_database.open()) {
        fail(m_database.lastError());
        return;
    }
    if (sqlite3 *handle = handleOf(m_database))
        sqlite3_create_function_v2(handle, "request_key", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   &requestKeyFunction, nullptr, nullptr, nullptr);
    QSqlQuery query(m_database);
    if (!query.exec(u"PRAGMA user_version"_s) || !query.next())
        fail(query.lastError());
    else if (const int found = query.value(0).toInt(); found > schemaVersion)
        m_error = QCoreApplication::translate("HistoryConnection", "%1 was written by a newer Tidemarker (history version %2, this one reads up "
                                                              "to %3)")
                      .arg(m_path, QString::number(found), QString::number(schemaVersion));
    else
        m_version = found;
}

HistoryConnection::~HistoryConnection()
{
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

void HistoryConnection::fail(const QSqlError &error)
{
    m_error = describe(error);
    m_corrupt = meansCorrupt(error);
    m_busy = meansBusy(error);
}

QString HistoryConnection::describe(const QSqlError &error) const
{
    const QString reason = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return m_path + u": "_s + reason;
}

bool HistoryConnection::meansCorrupt(const QSqlError &error)
{
    const int code = primaryCode(error);
    return code == sqliteCorrupt || code == sqliteNotADatabase;
}

bool HistoryConnection::meansBusy(const QSqlError &error)
{
    const int code = primaryCode(error);
    return code == sqliteBusy;
}

std::optional<QSqlError> HistoryConnection::execute(const QStringList &statements)
{
    QSqlQuery query(m_database);
    for (const QString &statement : statements) {
        if (!query.exec(statement))
            return query.lastError();
    }
    return std::nullopt;
}
