#include "BreakdownRequests.h"

#include "BreakdownQuery.h"

#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace {

TokenCounts countsAt(const QSqlQuery &query, int first)
{
    return {query.value(first).toLongLong(), query.value(first + 1).toLongLong(), query.value(first + 2).toLongLong(),
            query.value(first + 3).toLongLong()};
}

} // namespace

BreakdownRequests::BreakdownRequests(QSqlDatabase &database)
    : m_database(database)
    , m_lookup(database)
    , m_store(database)
    , m_othersOfHeld(database)
    , m_takeOver(database)
    , m_forgetFile(database)
{
    m_lookup.setForwardOnly(true);
    m_lookup.prepare(u"SELECT key, file, minute, project, model, input, output, cache_write, cache_read, holds "
                     "FROM breakdown_requests WHERE account = ? AND key IN (SELECT j.value ->> 0 FROM json_each(?) j)"_s);
    m_store.prepare(u"INSERT INTO breakdown_requests (account, key, file, minute, project, model, input, output, "
                    "cache_write, cache_read, holds) SELECT ?, "_s
                    + IndexSql::jsonColumns(10)
                    + u" FROM json_each(?) j WHERE true ON CONFLICT (account, key, file) DO UPDATE SET "
                      "input = excluded.input, output = excluded.output, cache_write = excluded.cache_write, "
                      "cache_read = excluded.cache_read, holds = excluded.holds"_s);
    // The other files' rows of the requests a file held, the one with the most output first.
    m_othersOfHeld.setForwardOnly(true);
    m_othersOfHeld.prepare(u"SELECT o.account, o.key, o.file, o.minute, o.project, o.model, o.input, o.output, "
                           "o.cache_write, o.cache_read FROM breakdown_requests r JOIN breakdown_requests o "
                           "ON o.account = r.account AND o.key = r.key AND o.file != r.file WHERE r.file = ? AND r.holds "
                           "ORDER BY o.account, o.key, o.output DESC, o.file"_s);
    m_takeOver.prepare(u"UPDATE breakdown_requests SET holds = 1 WHERE account = ? AND key = ? AND file = ?"_s);
    m_forgetFile.prepare(u"DELETE FROM breakdown_requests WHERE file = ?"_s);
}

std::optional<QSqlError> BreakdownRequests::load(const QString &account, const QList<LogEntry> &entries)
{
    IndexSql::JsonRows keys;
    for (const LogEntry &entry : entries) {
        if (!entry.requestKey.isEmpty() && !m_rows.contains(entry.requestKey)) {
            m_rows.insert(entry.requestKey, {});
            keys.startRow();
            keys.add(entry.requestKey);
        }
    }
    if (keys.isEmpty())
        return std::nullopt;
    QSqlQuery &query = m_lookup;
    if (const auto error = IndexSql::run(query, {account, keys.text()}))
        return error;
    while (query.next())
        m_rows[query.value(0).toString()].append(
            {query.value(1).toLongLong(),
             {query.value(1).toLongLong(), query.value(2).toLongLong(), query.value(3).toString(), query.value(4).toString()},
             countsAt(query, 5),
             query.value(9).toBool()});
    query.finish();
    return std::nullopt;
}

// The line with the most output counts: a request's first line may be a streaming placeholder,
// and a resumed session logs it again in another file.
void BreakdownRequests::count(qint64 file, const LogEntry &entry, Buckets &buckets)
{
    QList<Row> &rows = m_rows[entry.requestKey];
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

std::optional<QSqlError> BreakdownRequests::store(const QString &account)
{
    IndexSql::JsonRows changed;
    for (auto request = m_rows.cbegin(); request != m_rows.cend(); ++request) {
        for (const Row &row : request.value()) {
            if (!row.changed)
                continue;
            changed.startRow();
            changed.add(request.key());
            changed.add(row.file);
            changed.add(row.bucket.minute);
            changed.add(row.bucket.project);
            changed.add(row.bucket.model);
            for (const qint64 count : {row.counts.input, row.counts.output, row.counts.cacheWrite, row.counts.cacheRead})
                changed.add(count);
            changed.add(qint64(row.holds));
        }
    }
    m_rows.clear();
    return changed.isEmpty() ? std::nullopt : IndexSql::run(m_store, {account, changed.text()});
}

std::optional<QSqlError> BreakdownRequests::forget(qint64 file, Buckets &buckets)
{
    QSqlQuery &others = m_othersOfHeld;
    if (const auto error = IndexSql::run(others, {file}))
        return error;
    QList<QVariantList> takers; // the keys of the rows that hold the requests from now on
    std::pair<QString, QString> last;
    while (others.next()) {
        std::pair<QString, QString> request{others.value(0).toString(), others.value(1).toString()};
        if (std::exchange(last, request) == request)
            continue;
        const qint64 next = others.value(2).toLongLong();
        buckets[{next, others.value(3).toLongLong(), others.value(4).toString(), others.value(5).toString()}] +=
            countsAt(others, 6);
        takers.append({request.first, request.second, next});
    }
    others.finish();
    for (const QVariantList &key : std::as_const(takers)) {
        if (const auto error = IndexSql::run(m_takeOver, key))
            return error;
    }
    return IndexSql::run(m_forgetFile, {file});
}
