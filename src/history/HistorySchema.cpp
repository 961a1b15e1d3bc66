#include "HistorySchema.h"

#include "HistoryConnection.h"

#include "Account.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// An hour's first and last rows come from the earlier and later of the two; the other figures
// are the two's extremes (on conflict, the plain names are the row already there).
const QString mergeHours = u"ON CONFLICT (window, hour) DO UPDATE SET "
    "first_used = CASE WHEN excluded.first_at < first_at THEN excluded.first_used ELSE first_used END, "
    "first_at = min(first_at, excluded.first_at), "
    "last_used = CASE WHEN excluded.last_at >= last_at THEN excluded.last_used ELSE last_used END, "
    "last_reset = CASE WHEN excluded.last_at >= last_at THEN excluded.last_reset ELSE last_reset END, "
    "last_seconds = CASE WHEN excluded.last_at >= last_at THEN excluded.last_seconds ELSE last_seconds END, "
    "last_at = max(last_at, excluded.last_at), low = min(low, excluded.low), high = max(high, excluded.high)"_s;

// A table of the logs' counts by file, time, project and model, with the counts there were: a
// file's row says its provider and account. Rows of files no longer known go.
QStringList keyedByFile(const QString &table, const QString &time)
{
    const QString renamed = table + u"_of_files"_s;
    return {u"CREATE TABLE %1 (file INTEGER NOT NULL, %2 INTEGER NOT NULL, project TEXT NOT NULL, model TEXT NOT NULL, "
            "input INTEGER NOT NULL, output INTEGER NOT NULL, cache_write INTEGER NOT NULL, cache_read INTEGER NOT NULL, "
            "weighted REAL NOT NULL, PRIMARY KEY (file, %2, project, model)) WITHOUT ROWID"_s.arg(renamed, time),
            u"INSERT INTO %1 SELECT file, %3, project, model, sum(input), sum(output), sum(cache_write), sum(cache_read), "
            "total(weighted) FROM %2 WHERE file IN (SELECT id FROM breakdown_files) GROUP BY 1, 2, 3, 4"_s.arg(renamed, table, time),
            u"DROP TABLE "_s + table,
            u"ALTER TABLE %1 RENAME TO %2"_s.arg(renamed, table)};
}

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
    // Each window's samples summed up per hour, so that a long period is read by the hour.
    {u"CREATE TABLE sample_hours (window INTEGER NOT NULL REFERENCES windows (key), hour INTEGER NOT NULL, "
     "first_at INTEGER NOT NULL, first_used REAL NOT NULL, last_at INTEGER NOT NULL, last_used REAL NOT NULL, "
     "last_reset INTEGER, last_seconds REAL NOT NULL, low REAL NOT NULL, high REAL NOT NULL, "
     "PRIMARY KEY (window, hour)) WITHOUT ROWID"_s,
     HistorySchema::rollUp(u"true"_s)},
    // The logs' counts per minute, which windows start at: the hours there were stay as their first
    // minute. Where a Codex file's counting stands is kept with it; Claude's requests are known
    // by their message alone.
    {u"ALTER TABLE breakdown_hours RENAME TO breakdown_minutes"_s,
     u"ALTER TABLE breakdown_minutes RENAME COLUMN hour TO minute"_s,
     u"DROP INDEX breakdown_hours_by_file"_s,
     u"CREATE INDEX breakdown_minutes_by_file ON breakdown_minutes (file)"_s,
     u"ALTER TABLE breakdown_requests RENAME COLUMN hour TO minute"_s,
     u"DROP INDEX breakdown_requests_by_hour"_s,
     u"CREATE INDEX breakdown_requests_by_minute ON breakdown_requests (minute)"_s,
     u"UPDATE OR IGNORE breakdown_requests SET key = substr(key, 1, instr(key, char(10)) - 1) "
     "WHERE instr(key, char(10)) > 0"_s,
     u"ALTER TABLE breakdown_files ADD COLUMN described INTEGER NOT NULL DEFAULT 0"_s,
     u"ALTER TABLE breakdown_files ADD COLUMN copied_until INTEGER NOT NULL DEFAULT 0"_s,
     u"ALTER TABLE breakdown_files ADD COLUMN counted_input INTEGER NOT NULL DEFAULT 0"_s,
     u"ALTER TABLE breakdown_files ADD COLUMN counted_cached INTEGER NOT NULL DEFAULT 0"_s,
     u"ALTER TABLE breakdown_files ADD COLUMN counted_output INTEGER NOT NULL DEFAULT 0"_s},
    // A request's line kept per file that logs it, one file holding its counts, so that a file
    // read again hands them to another rather than losing them; the counts also summed up by the
    // hour, which long windows are read from.
    {u"CREATE TABLE breakdown_file_requests (account TEXT NOT NULL, key TEXT NOT NULL, file INTEGER NOT NULL, "
     "minute INTEGER NOT NULL, project TEXT NOT NULL, model TEXT NOT NULL, input INTEGER NOT NULL, "
     "output INTEGER NOT NULL, cache_write INTEGER NOT NULL, cache_read INTEGER NOT NULL, holds INTEGER NOT NULL, "
     "PRIMARY KEY (account, key, file)) WITHOUT ROWID"_s,
     u"INSERT INTO breakdown_file_requests SELECT account, key, file, minute, project, model, input, output, "
     "cache_write, cache_read, 1 FROM breakdown_requests"_s,
     u"DROP TABLE breakdown_requests"_s,
     u"ALTER TABLE breakdown_file_requests RENAME TO breakdown_requests"_s,
     u"CREATE INDEX breakdown_requests_by_file ON breakdown_requests (file)"_s,
     u"CREATE INDEX breakdown_requests_by_minute ON breakdown_requests (minute)"_s,
     u"CREATE TABLE breakdown_by_hour (provider TEXT NOT NULL, account TEXT NOT NULL, hour INTEGER NOT NULL, "
     "project TEXT NOT NULL, model TEXT NOT NULL, file INTEGER NOT NULL, input INTEGER NOT NULL, "
     "output INTEGER NOT NULL, cache_write INTEGER NOT NULL, cache_read INTEGER NOT NULL, "
     "weighted REAL NOT NULL, PRIMARY KEY (provider, account, hour, project, model, file)) WITHOUT ROWID"_s,
     u"CREATE INDEX breakdown_by_hour_by_file ON breakdown_by_hour (file)"_s,
     u"INSERT INTO breakdown_by_hour SELECT provider, account, minute / 3600 * 3600, project, model, file, "
     "sum(input), sum(output), sum(cache_write), sum(cache_read), sum(weighted) FROM breakdown_minutes "
     "GROUP BY 1, 2, 3, 4, 5, 6"_s},
    // Accounts known by their folders, each with the label it was last seen with; the rows there
    // were are given their accounts' folders by renameAccounts.
    {u"CREATE TABLE accounts (account TEXT PRIMARY KEY, label TEXT NOT NULL) WITHOUT ROWID"_s},
    // The logs' counts and requests kept by file, which names the provider and account: each
    // file's rows lie together, written a few pages at a time. A request is known by a digest of
    // its account and id, in an index of its own that stays small.
    keyedByFile(u"breakdown_minutes"_s, u"minute"_s) + keyedByFile(u"breakdown_by_hour"_s, u"hour"_s)
        + QStringList{u"CREATE TABLE breakdown_requests_of_files (file INTEGER NOT NULL, key INTEGER NOT NULL, "
                      "minute INTEGER NOT NULL, project TEXT NOT NULL, model TEXT NOT NULL, input INTEGER NOT NULL, "
                      "output INTEGER NOT NULL, cache_write INTEGER NOT NULL, cache_read INTEGER NOT NULL, "
                      "holds INTEGER NOT NULL, PRIMARY KEY (file, key)) WITHOUT ROWID"_s,
                      u"INSERT OR IGNORE INTO breakdown_requests_of_files SELECT file, request_key(account, key), minute, "
                      "project, model, input, output, cache_write, cache_read, holds FROM breakdown_requests"_s,
                      u"DROP TABLE breakdown_requests"_s,
                      u"ALTER TABLE breakdown_requests_of_files RENAME TO breakdown_requests"_s,
                      u"CREATE INDEX breakdown_requests_by_key ON breakdown_requests (key)"_s},
    // Claude Code's transcripts read again once: lines of other services' models were passed over
    // before, and now count in those services' windows. A changed head has a file read from its
    // start, its old counts taken out.
    {u"UPDATE breakdown_files SET modified_ms = 0, head = NULL WHERE provider = 'claude'"_s},
};

// Each provider and name the rows of a file of an earlier version know their accounts by.
const QString recordNames = u"SELECT provider, account FROM windows UNION SELECT provider, account FROM breakdown_files "
    "UNION SELECT provider, account FROM breakdown_minutes "
    "UNION SELECT substr(window_id, 1, instr(window_id, '_') - 1), account FROM alerts"_s;

// Takes one provider's rows of one account from its name to its key: each placeholder once, as
// Qt binds them. The rows of a name that two names now share stay under their old name.
const QStringList renamings = {
    u"UPDATE OR IGNORE windows SET account = :key WHERE account = coalesce(:name, '') AND provider = :provider"_s,
    u"UPDATE OR IGNORE alerts SET account = :key WHERE account = coalesce(:name, '') "
    "AND substr(window_id, 1, instr(window_id, '_') - 1) = :provider"_s,
    u"UPDATE OR IGNORE breakdown_requests SET account = :key WHERE account = coalesce(:name, '') "
    "AND file IN (SELECT id FROM breakdown_files WHERE provider = :provider)"_s,
    u"UPDATE breakdown_files SET account = :key WHERE account = coalesce(:name, '') AND provider = :provider"_s,
    u"UPDATE OR IGNORE breakdown_minutes SET account = :key WHERE account = coalesce(:name, '') AND provider = :provider"_s,
    u"UPDATE OR IGNORE breakdown_by_hour SET account = :key WHERE account = coalesce(:name, '') AND provider = :provider"_s,
    u"INSERT OR REPLACE INTO accounts (account, label) VALUES (:key, coalesce(:label, ''))"_s,
};

// Rows named as before accounts were known by their folders (empty for a provider's first
// account, else its label) go to the folder of the account the settings list under that name.
// A name the settings no longer list stays, and is shown as the label it is.
std::optional<QSqlError> renameAccounts(HistoryConnection &connection, const QList<Account> &accounts)
{
    QSqlQuery names(connection.database());
    if (!names.exec(recordNames))
        return names.lastError();
    QList<std::pair<Provider, QString>> found;
    while (names.next()) {
        if (const std::optional<Provider> provider = providerFromRawValue(names.value(0).toString()))
            found.append({*provider, names.value(1).toString()});
    }
    // A label names its account more surely than a place: should the first listed account be one
    // that had a label before, its labelled rows go first.
    std::ranges::stable_partition(found, [](const auto &name) { return !name.second.isEmpty(); });
    QSqlQuery query(connection.database());
    for (const auto &[provider, name] : std::as_const(found)) {
        const std::optional<Account> account = Account::ofRecordName(provider, name, accounts);
        if (!account)
            continue;
        const QVariantMap values{{u":key"_s, account->key()}, {u":name"_s, name},
                                 {u":provider"_s, rawValue(provider)}, {u":label"_s, account->label}};
        for (const QString &statement : renamings) {
            query.prepare(statement);
            for (auto value = values.cbegin(); value != values.cend(); ++value) {
                if (statement.contains(value.key()))
                    query.bindValue(value.key(), value.value());
            }
            if (!query.exec())
                return query.lastError();
        }
    }
    return std::nullopt;
}

// Every table's columns as "table.column".
std::variant<QStringList, QSqlError> columnsOf(QSqlDatabase &database)
{
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT m.name || '.' || c.name FROM sqlite_schema m JOIN pragma_table_info(m.name) c "
                    "WHERE m.type = 'table'"_s))
        return query.lastError();
    QStringList columns;
    while (query.next())
        columns.append(query.value(0).toString());
    return columns;
}

} // namespace

std::variant<QStringList, QSqlError> HistorySchema::missingColumns(HistoryConnection &connection)
{
    // What the version has is what its migrations make: built in memory, never written out twice.
    HistoryConnection model(u":memory:"_s, HistoryConnection::Mode::readWrite);
    QStringList statements;
    for (int version = 0; version < connection.version(); ++version)
        statements += migrations.at(version);
    if (const std::optional<QSqlError> error = model.execute(statements))
        return *error;
    auto expected = columnsOf(model.database());
    const auto found = columnsOf(connection.database());
    if (const QSqlError *error = std::get_if<QSqlError>(&expected))
        return *error;
    if (const QSqlError *error = std::get_if<QSqlError>(&found))
        return *error;
    const QStringList &present = std::get<QStringList>(found);
    QStringList missing;
    for (const QString &column : std::as_const(std::get<QStringList>(expected))) {
        const QString table = column.section(u'.', 0, 0);
        // A table missing whole is named once.
        const bool tableMissing =
            std::ranges::none_of(present, [&table](const QString &other) { return other.startsWith(table + u'.'); });
        const QString item = tableMissing ? table : column;
        if (!present.contains(column) && !missing.contains(item))
            missing.append(item);
    }
    return missing;
}

QString HistorySchema::rollUp(const QString &samplesWhere)
{
    // The WHERE before ON CONFLICT keeps SQLite from reading the ON as a join's.
    return u"WITH g AS (SELECT window, fetched_at / %1 AS hour, min(fetched_at) AS t0, max(fetched_at) AS t1, "
           "min(used_percent) AS low, max(used_percent) AS high FROM samples WHERE %2 GROUP BY window, hour) "
           "INSERT INTO sample_hours SELECT g.window, g.hour, g.t0, f.used_percent, g.t1, l.used_percent, l.reset_at, "
           "l.window_seconds, g.low, g.high FROM g JOIN samples f ON f.window = g.window AND f.fetched_at = g.t0 "
           "JOIN samples l ON l.window = g.window AND l.fetched_at = g.t1 WHERE true "_s
               .arg(hourMilliseconds)
               .arg(samplesWhere)
        + mergeHours;
}

QString HistorySchema::addToHour()
{
    return u"INSERT INTO sample_hours VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "_s + mergeHours;
}

std::optional<QSqlError> HistorySchema::migrate(HistoryConnection &connection, const AccountsLister &accounts)
{
    const int from = connection.version();
    if (from == HistoryConnection::schemaVersion)
        return std::nullopt;
    std::optional<QSqlError> error = connection.execute({u"BEGIN IMMEDIATE"_s});
    for (int version = from; !error && version < HistoryConnection::schemaVersion; ++version) {
        error = connection.execute(migrations.at(version));
        // While every table still names its rows' accounts.
        if (!error && version + 1 == HistoryConnection::folderKeysVersion)
            error = renameAccounts(connection, accounts());
    }
    if (!error)
        error = connection.execute({u"PRAGMA user_version = %1"_s.arg(HistoryConnection::schemaVersion), u"COMMIT"_s});
    if (error)
        connection.execute({u"ROLLBACK"_s});
    return error;
}
