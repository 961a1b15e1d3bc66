#include "BreakdownIndex.h"

#include "BreakdownQuery.h"
#include "HistoryConnection.h"

#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace {

using IndexSql::run;

// Added to what a row holds: a file read again takes its counts out, a request's better line raises them.
QByteArray addedUp(const QString &table, const QString &time)
{
    return u"INSERT INTO %1 (file, %2, project, model, input, output, cache_write, cache_read, weighted) "
           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (file, %2, project, model) "
           "DO UPDATE SET input = input + excluded.input, output = output + excluded.output, "
           "cache_write = cache_write + excluded.cache_write, cache_read = cache_read + excluded.cache_read, "
           "weighted = weighted + excluded.weighted"_s.arg(table, time)
        .toUtf8();
}

} // namespace

BreakdownIndex::BreakdownIndex(HistoryConnection &connection)
    : m_connection(connection)
    , m_requests(connection.database())
    , m_addToMinutes(connection.database(), addedUp(u"breakdown_minutes"_s, u"minute"_s).constData())
    , m_addToHours(connection.database(), addedUp(u"breakdown_by_hour"_s, u"hour"_s).constData())
    , m_newFile(connection.database())
    , m_forgetMinutes(connection.database())
    , m_forgetHours(connection.database())
    , m_noteStop(connection.database())
{
    m_newFile.prepare(u"INSERT INTO breakdown_files (path, provider, account) VALUES (?, ?, ?) ON CONFLICT (path) "
                      "DO UPDATE SET provider = excluded.provider, account = excluded.account RETURNING id"_s);
    m_forgetMinutes.prepare(u"DELETE FROM breakdown_minutes WHERE file = ?"_s);
    m_forgetHours.prepare(u"DELETE FROM breakdown_by_hour WHERE file = ?"_s);
    m_noteStop.prepare(u"UPDATE breakdown_files SET size = ?, modified_ms = ?, inode = ?, offset = ?, head = ?, "
                       "project = ?, model = ?, described = ?, copied_until = ?, counted_input = ?, counted_cached = ?, "
                       "counted_output = ? WHERE id = ?"_s);
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

std::optional<QSqlError> BreakdownIndex::write(const QList<IndexBatch *> &batches)
{
    QList<qint64> knownIds;
    for (const IndexBatch *batch : batches)
        knownIds.append(batch->state.id);
    std::optional<QSqlError> error = m_connection.execute({u"BEGIN IMMEDIATE"_s});
    for (IndexBatch *batch : batches) {
        if (!error)
            error = writeBatch(*batch);
    }
    if (!error)
        error = m_connection.execute({u"COMMIT"_s});
    if (error) {
        m_connection.execute({u"ROLLBACK"_s});
        m_buckets.clear();
        m_requests.clear();
        for (qsizetype i = 0; i < batches.size(); ++i)
            batches[i]->state.id = knownIds[i];
    }
    return error;
}

std::optional<QSqlError> BreakdownIndex::writeBatch(IndexBatch &batch)
{
    m_folder = batch.folder;
    if (batch.first) {
        if (const auto error = begin(batch))
            return error;
    }
    const qint64 file = batch.state.id;
    if (const auto error = m_requests.load(m_folder.account, batch.entries))
        return error;
    for (const LogEntry &entry : std::as_const(batch.entries)) {
        if (entry.requestKey.isEmpty())
            m_buckets[{file, BreakdownQuery::minuteOf(entry.time), entry.project, entry.model}] += entry.counts;
        else
            m_requests.count(file, entry, m_buckets);
    }
    if (const auto error = m_requests.store())
        return error;
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
    if (!state.id) {
        QSqlQuery &insert = m_newFile;
        if (const auto error = run(insert, {batch.path, rawValue(batch.folder.provider), batch.folder.account}))
            return error;
        if (!insert.next())
            return insert.lastError();
        state.id = insert.value(0).toLongLong();
        insert.finish();
    }
    if (!batch.fromStart)
        return std::nullopt;
    if (const auto error = m_requests.forget(state.id, m_buckets))
        return error;
    for (QSqlQuery *forget : {&m_forgetMinutes, &m_forgetHours}) {
        if (const auto error = run(*forget, {state.id}))
            return error;
    }
    return std::nullopt;
}

std::optional<QSqlError> BreakdownIndex::flush()
{
    BreakdownRequests::Buckets byHour;
    for (auto bucket = m_buckets.cbegin(); bucket != m_buckets.cend(); ++bucket) {
        const Bucket &key = bucket.key();
        byHour[{key.file, BreakdownQuery::hourOf(key.minute), key.project, key.model}] += bucket.value();
    }
    std::optional<QSqlError> error = addTo(m_addToMinutes, m_buckets);
    m_buckets.clear();
    return error ? error : addTo(m_addToHours, byHour);
}

std::optional<QSqlError> BreakdownIndex::addTo(SqliteStatement &table, const BreakdownRequests::Buckets &buckets)
{
    for (auto bucket = buckets.cbegin(); bucket != buckets.cend(); ++bucket) {
        const Bucket &key = bucket.key();
        const TokenCounts &counts = bucket.value();
        table.bind(key.file).bind(key.minute).bind(key.project).bind(key.model);
        for (const qint64 count : {counts.input, counts.output, counts.cacheWrite, counts.cacheRead})
            table.bind(count);
        if (const auto error = table.bind(TokenWeights::weighted(ProviderTraits::of(m_folder.provider).logs, key.model, counts)).run())
            return error;
    }
    return std::nullopt;
}

std::optional<QSqlError> BreakdownIndex::noteStop(const LogFileState &state)
{
    return run(m_noteStop,
               {state.size, state.modifiedMs, state.inode, state.offset, state.head, state.session.project,
                state.session.model, state.session.described, state.session.copiedUntil,
                state.session.counted.input, state.session.counted.cached, state.session.counted.output, state.id});
}

std::optional<QSqlError> BreakdownIndex::prune(qint64 cutoffSeconds)
{
    QSqlDatabase &database = m_connection.database();
    // By whole hours, so that the hours' counts stay the sums of the minutes'.
    const qint64 hour = BreakdownQuery::hourOf(cutoffSeconds);
    for (const auto &[statement, limit] :
         {std::pair(u"DELETE FROM breakdown_minutes WHERE minute < ?"_s, hour),
          std::pair(u"DELETE FROM breakdown_by_hour WHERE hour < ?"_s, hour),
          std::pair(u"DELETE FROM breakdown_requests WHERE minute < ?"_s, hour),
          std::pair(u"DELETE FROM breakdown_files WHERE modified_ms < ?"_s, cutoffSeconds * 1000)}) {
        if (const auto error = run(database, statement, {limit}))
            return error;
    }
    return std::nullopt;
}

std::optional<QSqlError> BreakdownIndex::newestCounted(qint64 &seconds)
{
    QSqlQuery query(m_connection.database());
    if (!query.exec(u"SELECT max(hour) FROM breakdown_by_hour"_s) || !query.next())
        return query.lastError();
    seconds = query.isNull(0) ? 0 : query.value(0).toLongLong() + BreakdownQuery::hourSeconds;
    return std::nullopt;
}
