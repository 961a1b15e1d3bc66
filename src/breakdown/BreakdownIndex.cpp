#include "BreakdownIndex.h"

#include "BreakdownQuery.h"
#include "HistoryConnection.h"

#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace {

qint64 minuteOf(qint64 seconds)
{
    return seconds / BreakdownQuery::minuteSeconds * BreakdownQuery::minuteSeconds;
}

std::optional<QSqlError> run(QSqlQuery &query, const QVariantList &values)
{
    // A null text would be bound as NULL; an account, a project or a model may be empty.
    for (const QVariant &value : values)
        query.addBindValue(value.typeId() == QMetaType::QString && value.toString().isNull() ? QVariant(u""_s) : value);
    return query.exec() ? std::nullopt : std::optional(query.lastError());
}

std::optional<QSqlError> run(QSqlDatabase &database, const QString &statement, const QVariantList &values)
{
    QSqlQuery query(database);
    query.prepare(statement);
    return run(query, values);
}

} // namespace

BreakdownIndex::BreakdownIndex(HistoryConnection &connection)
    : m_connection(connection)
    , m_knownRequest(connection.database())
    , m_insertRequest(connection.database())
    , m_updateRequest(connection.database())
    , m_addToMinute(connection.database())
{
    m_knownRequest.prepare(u"SELECT file, minute, project, model, input, output, cache_write, cache_read "
                           "FROM breakdown_requests WHERE account = ? AND key = ?"_s);
    m_insertRequest.prepare(u"INSERT INTO breakdown_requests (account, key, file, minute, project, model, input, "
                            "output, cache_write, cache_read) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
    m_updateRequest.prepare(u"UPDATE breakdown_requests SET input = ?, output = ?, cache_write = ?, cache_read = ? "
                            "WHERE account = ? AND key = ?"_s);
    m_addToMinute.prepare(u"INSERT INTO breakdown_minutes (provider, account, minute, project, model, file, input, output, "
                        "cache_write, cache_read, weighted) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                        "ON CONFLICT (provider, account, minute, project, model, file) DO UPDATE SET "
                        "input = input + excluded.input, output = output + excluded.output, "
                        "cache_write = cache_write + excluded.cache_write, cache_read = cache_read + excluded.cache_read, "
                        "weighted = weighted + excluded.weighted"_s);
}

std::optional<QSqlError> BreakdownIndex::loadFiles(const LogFolder &folder, QHash<QString, LogFileState> &files)
{
    QSqlQuery query(m_connection.database());
    query.setForwardOnly(true);
    query.prepare(u"SELECT path, id, size, modified_ms, inode, offset, head, project, model, described, "
                  "copied_until, counted_input, counted_cached, counted_output FROM breakdown_files "
                  "WHERE provider = ? AND account = ?"_s);
    if (const auto error = run(query, {rawValue(folder.provider), folder.account}))
        return error;
    while (query.next())
        files.insert(query.value(0).toString(),
                     {query.value(1).toLongLong(), query.value(2).toLongLong(), query.value(3).toLongLong(),
                      query.value(4).toLongLong(), query.value(5).toLongLong(), query.value(6).toByteArray(),
                      {query.value(7).toString(), query.value(8).toString(),
                       {query.value(11).toLongLong(), query.value(12).toLongLong(), query.value(13).toLongLong()},
                       query.value(9).toBool(), query.value(10).toLongLong(), {}}});
    return std::nullopt;
}

std::optional<QSqlError> BreakdownIndex::write(IndexBatch &batch)
{
    const qint64 knownId = batch.state.id;
    std::optional<QSqlError> error = m_connection.execute({u"BEGIN IMMEDIATE"_s});
    if (!error)
        error = writeBatch(batch);
    if (!error)
        error = m_connection.execute({u"COMMIT"_s});
    if (error) {
        m_connection.execute({u"ROLLBACK"_s});
        m_buckets.clear();
        m_lastKey.clear();
        batch.state.id = knownId;
    }
    return error;
}

std::optional<QSqlError> BreakdownIndex::writeBatch(IndexBatch &batch)
{
    m_folder = batch.folder;
    if (batch.first) {
        m_lastKey.clear();
        if (const auto error = begin(batch))
            return error;
    }
    m_file = batch.state.id;
    for (const LogEntry &entry : std::as_const(batch.entries)) {
        if (const auto error = add(entry))
            return error;
    }
    if (const auto error = flush())
        return error;
    return noteStop(batch.state);
}

// A new file gets its id, a file read again from the start loses its old counts. A file the index
// holds for another account (an older record's, under a name no account listed goes by) is
// taken over, and read anew.
std::optional<QSqlError> BreakdownIndex::begin(IndexBatch &batch)
{
    LogFileState &state = batch.state;
    QSqlDatabase &database = m_connection.database();
    if (!state.id) {
        QSqlQuery insert(database);
        insert.prepare(u"INSERT INTO breakdown_files (path, provider, account) VALUES (?, ?, ?) ON CONFLICT (path) "
                       "DO UPDATE SET provider = excluded.provider, account = excluded.account RETURNING id"_s);
        if (const auto error = run(insert, {batch.path, rawValue(batch.folder.provider), batch.folder.account}))
            return error;
        if (!insert.next())
            return insert.lastError();
        state.id = insert.value(0).toLongLong();
    }
    if (batch.fromStart) {
        for (const QString &table : {u"breakdown_minutes"_s, u"breakdown_requests"_s}) {
            if (const auto error = run(database, u"DELETE FROM %1 WHERE file = ?"_s.arg(table), {state.id}))
                return error;
        }
    }
    return std::nullopt;
}

std::optional<QSqlError> BreakdownIndex::add(const LogEntry &entry)
{
    if (!entry.requestKey.isEmpty())
        return addRequest(entry);
    m_buckets[{m_file, minuteOf(entry.time), entry.project, entry.model}] += entry.counts;
    return std::nullopt;
}

// A request counts once, with the counts of its line with the most output: its first line may
// be a streaming placeholder, and a resumed session repeats it in another file.
std::optional<QSqlError> BreakdownIndex::addRequest(const LogEntry &entry)
{
    if (entry.requestKey == m_lastKey && entry.counts.output <= m_lastOutput)
        return std::nullopt;
    QSqlQuery &known = m_knownRequest;
    if (const auto error = run(known, {m_folder.account, entry.requestKey}))
        return error;
    m_lastKey = entry.requestKey;
    m_lastOutput = entry.counts.output;
    if (!known.next()) {
        known.finish();
        const qint64 minute = minuteOf(entry.time);
        m_buckets[{m_file, minute, entry.project, entry.model}] += entry.counts;
        return run(m_insertRequest, {m_folder.account, entry.requestKey, m_file, minute, entry.project, entry.model,
                                     entry.counts.input, entry.counts.output, entry.counts.cacheWrite,
                                     entry.counts.cacheRead});
    }
    const TokenCounts counted{known.value(4).toLongLong(), known.value(5).toLongLong(), known.value(6).toLongLong(),
                              known.value(7).toLongLong()};
    const Bucket bucket{known.value(0).toLongLong(), known.value(1).toLongLong(), known.value(2).toString(),
                        known.value(3).toString()};
    known.finish();
    m_lastOutput = std::max(m_lastOutput, counted.output);
    if (entry.counts.output <= counted.output)
        return std::nullopt;
    m_buckets[bucket] += entry.counts - counted;
    return run(m_updateRequest, {entry.counts.input, entry.counts.output, entry.counts.cacheWrite,
                                 entry.counts.cacheRead, m_folder.account, entry.requestKey});
}

std::optional<QSqlError> BreakdownIndex::flush()
{
    QSqlQuery &upsert = m_addToMinute;
    for (auto bucket = m_buckets.cbegin(); bucket != m_buckets.cend(); ++bucket) {
        const TokenCounts &counts = bucket.value();
        const Bucket &key = bucket.key();
        if (const auto error = run(upsert, {rawValue(m_folder.provider), m_folder.account, key.minute, key.project,
                                            key.model, key.file, counts.input, counts.output, counts.cacheWrite,
                                            counts.cacheRead,
                                            TokenWeights::weighted(m_folder.provider, key.model, counts)}))
            return error;
    }
    m_buckets.clear();
    return std::nullopt;
}

std::optional<QSqlError> BreakdownIndex::noteStop(const LogFileState &state)
{
    return run(m_connection.database(),
               u"UPDATE breakdown_files SET size = ?, modified_ms = ?, inode = ?, offset = ?, head = ?, project = ?, "
               "model = ?, described = ?, copied_until = ?, counted_input = ?, counted_cached = ?, counted_output = ? "
               "WHERE id = ?"_s,
               {state.size, state.modifiedMs, state.inode, state.offset, state.head, state.session.project,
                state.session.model, state.session.described, state.session.copiedUntil,
                state.session.counted.input, state.session.counted.cached, state.session.counted.output, state.id});
}

std::optional<QSqlError> BreakdownIndex::prune(qint64 cutoffSeconds)
{
    QSqlDatabase &database = m_connection.database();
    for (const QString &statement : {u"DELETE FROM breakdown_minutes WHERE minute < ?"_s,
                                     u"DELETE FROM breakdown_requests WHERE minute < ?"_s,
                                     u"DELETE FROM breakdown_files WHERE modified_ms < ? * 1000"_s}) {
        if (const auto error = run(database, statement, {cutoffSeconds}))
            return error;
    }
    return std::nullopt;
}
