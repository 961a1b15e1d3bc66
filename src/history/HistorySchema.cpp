#include "HistorySchema.h"

#include "HistoryConnection.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// Statements that take a file from one version to the next: the first from nothing to 1.
const QList<QStringList> migrations = {
    {u"CREATE TABLE windows (key INTEGER PRIMARY KEY, window_id TEXT NOT NULL UNIQUE, "
     "provider TEXT NOT NULL, name TEXT NOT NULL)"_s,
     // Keyed by window and time, so that a window's rows lie together in time order; fetched
     // in milliseconds since 1970, reset in seconds.
     u"CREATE TABLE samples (window INTEGER NOT NULL REFERENCES windows (key), "
     "fetched_at INTEGER NOT NULL, used_percent REAL NOT NULL, reset_at INTEGER, "
     "window_seconds REAL NOT NULL, PRIMARY KEY (window, fetched_at)) WITHOUT ROWID"_s,
     u"CREATE TABLE alerts (window_id TEXT PRIMARY KEY, reset_at INTEGER, alert TEXT NOT NULL)"_s},
    // The assistants' logs: where reading each file stopped, and what was read, added up per
    // file and hour (hours in seconds since 1970), so that a file read again takes its own out.
    {u"CREATE TABLE breakdown_files (id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, "
     "provider TEXT NOT NULL, account TEXT NOT NULL, size INTEGER NOT NULL DEFAULT -1, "
     "modified_ms INTEGER NOT NULL DEFAULT 0, inode INTEGER NOT NULL DEFAULT 0, "
     "offset INTEGER NOT NULL DEFAULT 0, head BLOB, project TEXT, model TEXT)"_s,
     u"CREATE TABLE breakdown_hours (provider TEXT NOT NULL, account TEXT NOT NULL, hour INTEGER NOT NULL, "
     "project TEXT NOT NULL, model TEXT NOT NULL, file INTEGER NOT NULL, input INTEGER NOT NULL, "
     "output INTEGER NOT NULL, cache_write INTEGER NOT NULL, cache_read INTEGER NOT NULL, "
     "weighted REAL NOT NULL, PRIMARY KEY (provider, account, hour, project, model, file)) WITHOUT ROWID"_s,
     u"CREATE INDEX breakdown_hours_by_file ON breakdown_hours (file)"_s,
     // Claude logs a request many times: each is kept once, with the counts it was counted with.
     u"CREATE TABLE breakdown_requests (account TEXT NOT NULL, key TEXT NOT NULL, file INTEGER NOT NULL, "
     "hour INTEGER NOT NULL, project TEXT NOT NULL, model TEXT NOT NULL, input INTEGER NOT NULL, "
     "output INTEGER NOT NULL, cache_write INTEGER NOT NULL, cache_read INTEGER NOT NULL, "
     "PRIMARY KEY (account, key)) WITHOUT ROWID"_s,
     u"CREATE INDEX breakdown_requests_by_file ON breakdown_requests (file)"_s,
     u"CREATE INDEX breakdown_requests_by_hour ON breakdown_requests (hour)"_s},
    // Windows and alerts of several accounts: the rows there were are the first account's ('').
    {u"CREATE TABLE accounts_windows (key INTEGER PRIMARY KEY, account TEXT NOT NULL DEFAULT '', "
     "window_id TEXT NOT NULL, provider TEXT NOT NULL, name TEXT NOT NULL, UNIQUE (account, window_id))"_s,
     u"INSERT INTO accounts_windows (key, window_id, provider, name) SELECT key, window_id, provider, name FROM windows"_s,
     u"DROP TABLE windows"_s,
     u"ALTER TABLE accounts_windows RENAME TO windows"_s,
     u"CREATE TABLE accounts_alerts (account TEXT NOT NULL DEFAULT '', window_id TEXT NOT NULL, "
     "reset_at INTEGER, alert TEXT NOT NULL, PRIMARY KEY (account, window_id))"_s,
     u"INSERT INTO accounts_alerts (window_id, reset_at, alert) SELECT window_id, reset_at, alert FROM alerts"_s,
     u"DROP TABLE alerts"_s,
     u"ALTER TABLE accounts_alerts RENAME TO alerts"_s},
};

} // namespace

std::optional<QSqlError> HistorySchema::migrate(HistoryConnection &connection)
{
    const int from = connection.version();
    if (from == HistoryConnection::schemaVersion)
        return std::nullopt;
    QStringList statements{u"BEGIN IMMEDIATE"_s};
    for (int version = from; version < HistoryConnection::schemaVersion; ++version)
        statements += migrations.at(version);
    statements += {u"PRAGMA user_version = %1"_s.arg(HistoryConnection::schemaVersion), u"COMMIT"_s};
    const std::optional<QSqlError> error = connection.execute(statements);
    if (error)
        connection.execute({u"ROLLBACK"_s});
    return error;
}
