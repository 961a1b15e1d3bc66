#include "BreakdownRequests.h"

#include "BreakdownQuery.h"
#include "HistoryConnection.h"
#include "IndexSql.h"

#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

TokenCounts countsAt(const QSqlQuery &query, int first)
{
    return {query.value(first).toLongLong(), query.value(first + 1).toLongLong(), query.value(first + 2).toLongLong(),
            query.value(first + 3).toLongLong()};
}

} // namespace

BreakdownRequests::BreakdownRequests(QSqlDatabase &database)
    : m_lookup(database, "SELECT file, minute, project, model, input, output, cache_write, cache_read, holds "
                         "FROM breakdown_requests WHERE key = ?")
    , m_store(database, "INSERT INTO breakdown_requests (file, key, minute, project, model, input, output, "
                        "cache_write, cache_read, holds) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                        "ON CONFLICT (file, key) DO UPDATE SET input = excluded.input, "
                        "output = excluded.output, cache_write = excluded.cache_write, "
                        "cache_read = excluded.cache_read, holds = excluded.holds")
    , m_othersOfHeld(database)
    , m_takeOver(database)
    , m_forgetFile(database)
{
    // The other files' rows of the requests a file held, the one with the most output first.
    m_othersOfHeld.setForwardOnly(true);
    m_othersOfHeld.prepare(u"SELECT o.key, o.file, o.minute, o.project, o.model, o.input, o.output, o.cache_write, "
                           "o.cache_read FROM breakdown_requests r JOIN breakdown_requests o "
                           "ON o.key = r.key AND o.file != r.file WHERE r.file = ? AND r.holds "
                           "ORDER BY o.key, o.output DESC, o.file"_s);
    m_takeOver.prepare(u"UPDATE breakdown_requests SET holds = 1 WHERE file = ? AND key = ?"_s);
    m_forgetFile.prepare(u"DELETE FROM breakdown_requests WHERE file = ?"_s);
}

std::optional<QSqlError> BreakdownRequests::load(const QString &account, const QList<LogEntry> &entries)
{
    const QByteArray folder = account.toUtf8();
    for (const LogEntry &entry : entries) {
        if (entry.requestKey.isEmpty() || m_requests.contains(entry.requestKey))
            continue;
        Request &request = m_requests[entry.requestKey];
        request.key = HistoryConnection::requestKey(folder, entry.requestKey.toUtf8());
        m_lookup.bind(request.key);
        while (m_lookup.next())
            request.rows.append({m_lookup.integer(0),
                                 {m_lookup.integer(0), m_lookup.integer(1), m_lookup.text(2), m_lookup.text(3)},
                                 {m_lookup.integer(4), m_lookup.integer(5), m_lookup.integer(6), m_lookup.integer(7)},
                                 m_lookup.integer(8) != 0});
        if (const auto error = m_lookup.finish())
            return error;
    }
    return std::nullopt;
}

// The line with the most output counts: a request's first line may be a streaming placeholder,
// and a resumed session logs it again in another file.
void BreakdownRequests::count(qint64 file, const LogEntry &entry, Buckets &buckets)
{
    QList<Row> &rows = m_requests[entry.requestKey].rows;
    qsizetype own = std::ranges::find(rows, file, &Row::file) - rows.begin();
    if (own < rows.size() && entry.counts.output <= rows[own].counts.output)
        return;
    if (own == rows.size())
        rows.append({file, {file, BreakdownQuery::minuteOf(entry.time), entry.project, entry.model}, {}});
    const qsizetype holder = std::ranges::find_if(rows, &Row::holds) - rows.begin();
    Row &row = rows[own];
    const TokenCounts before = row.counts;
    row.counts = entry.counts;
    row.changed = true;
    if (holder == own) {
        buckets[row.bucket] += row.counts - before;
        return;
    }
    if (holder < rows.size() && row.counts.output <= rows[holder].counts.output)
        return;
    if (holder < rows.size()) {
        Row &held = rows[holder];
        buckets[held.bucket] += TokenCounts{} - held.counts;
        held.holds = false;
        held.changed = true;
    }
    row.holds = true;
    buckets[row.bucket] += row.counts;
}

std::optional<QSqlError> BreakdownRequests::store()
{
    // In the index's order, so that each page it writes is visited once.
    QList<std::pair<qint64, const Row *>> changed;
    for (const Request &request : std::as_const(m_requests)) {
        for (const Row &row : request.rows) {
            if (row.changed)
                changed.append({request.key, &row});
        }
    }
    std::ranges::sort(changed, [](const auto &a, const auto &b) {
        return std::tie(a.second->file, a.first) < std::tie(b.second->file, b.first);
    });
    std::optional<QSqlError> error;
    for (const auto &[key, row] : std::as_const(changed)) {
        m_store.bind(row->file).bind(key).bind(row->bucket.minute).bind(row->bucket.project).bind(row->bucket.model);
        for (const qint64 count : {row->counts.input, row->counts.output, row->counts.cacheWrite, row->counts.cacheRead})
            m_store.bind(count);
        if ((error = m_store.bind(qint64(row->holds)).run()))
            break;
    }
    m_requests.clear();
    return error;
}

std::optional<QSqlError> BreakdownRequests::forget(qint64 file, Buckets &buckets)
{
    QSqlQuery &others = m_othersOfHeld;
    if (const auto error = IndexSql::run(others, {file}))
        return error;
    QList<QVariantList> takers; // the keys of the rows that hold the requests from now on
    std::optional<qint64> last;
    while (others.next()) {
        const qint64 key = others.value(0).toLongLong();
        if (std::exchange(last, key) == key)
            continue;
        const qint64 next = others.value(1).toLongLong();
        buckets[{next, others.value(2).toLongLong(), others.value(3).toString(), others.value(4).toString()}] +=
            countsAt(others, 5);
        takers.append({next, key});
    }
    others.finish();
    for (const QVariantList &key : std::as_const(takers)) {
        if (const auto error = IndexSql::run(m_takeOver, key))
            return error;
    }
    return IndexSql::run(m_forgetFile, {file});
}
