#include "HistoryReader.h"

#include "FileKind.h"
#include "HistoryConnection.h"
#include "HistorySchema.h"

#include <QFileInfo>
#include <QSqlQuery>

#include <cmath>
#include <map>
#include <memory>
#include <queue>

using namespace Qt::StringLiterals;

namespace {

struct Window {
    Provider provider;
    QString id;
    QString name;
    QString account;
    QString label;
};
using Windows = std::map<qint64, Window>; // by key, the order in which they were first seen

// The file opened with its tables, or why it cannot be; neither when there is no record yet.
struct Opened {
    std::unique_ptr<HistoryConnection> connection;
    std::optional<QString> error;
};

Opened open(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    if (std::optional<QString> notAFile = FileKind::notAFile(path))
        return {nullptr, notAFile};
    auto connection = std::make_unique<HistoryConnection>(path, HistoryConnection::Mode::readOnly);
    if (connection->error())
        return {nullptr, connection->error()};
    // A file just made holds no tables yet.
    if (connection->version() == 0)
        return {};
    return {std::move(connection), std::nullopt};
}

// A window's account and its label, as columns of the windows table w. A file of an earlier
// version, not opened by the program since, knows only the first accounts, or names accounts by
// their labels; rows the settings no longer matched to a folder go by their old name.
std::pair<QString, QString> accountColumns(const HistoryConnection &connection)
{
    if (connection.version() < HistoryConnection::accountsVersion)
        return {u"''"_s, u"''"_s};
    if (connection.version() < HistoryConnection::folderKeysVersion)
        return {u"w.account"_s, u"w.account"_s};
    return {u"w.account"_s, u"coalesce((SELECT label FROM accounts a WHERE a.account = w.account), w.account)"_s};
}

// The windows table is small: read once, so that each row carries only its numbers.
std::optional<QSqlError> readWindows(HistoryConnection &connection, Windows &windows)
{
    QSqlQuery query(connection.database());
    query.setForwardOnly(true);
    const auto [account, label] = accountColumns(connection);
    if (!query.exec(u"SELECT w.key, w.provider, w.window_id, w.name, "_s + account + u", "_s + label + u" FROM windows w"_s))
        return query.lastError();
    while (query.next()) {
        if (const std::optional<Provider> provider = providerFromRawValue(query.value(1).toString()))
            windows.insert({query.value(0).toLongLong(), {*provider, query.value(2).toString(), query.value(3).toString(),
                                                          query.value(4).toString(), query.value(5).toString()}});
    }
    return std::nullopt;
}

QDateTime utcTime(const QVariant &seconds)
{
    return seconds.isNull() ? QDateTime() : QDateTime::fromSecsSinceEpoch(seconds.toLongLong(), Qt::UTC);
}

QDateTime utcMilliseconds(const QVariant &milliseconds)
{
    return QDateTime::fromMSecsSinceEpoch(milliseconds.toLongLong(), Qt::UTC);
}

std::optional<QSqlError> errorOf(const QSqlQuery &query)
{
    return query.lastError().isValid() ? std::optional(query.lastError()) : std::nullopt;
}

// One query per window, each in time order by the table's key, merged: no sort and no list.
std::optional<QSqlError> mergeRows(HistoryConnection &connection, const QDateTime &since,
                                   const std::function<bool(const HistoryRow &)> &take)
{
    QSqlDatabase &database = connection.database();
    Windows windows;
    if (const std::optional<QSqlError> error = readWindows(connection, windows))
        return error;
    struct Cursor {
        const Window *window;
        QSqlQuery query;
    };
    std::vector<std::unique_ptr<Cursor>> cursors;
    using Next = std::pair<qint64, size_t>; // fetched at, cursor
    std::priority_queue<Next, std::vector<Next>, std::greater<>> due;
    for (const auto &[key, window] : windows) {
        auto cursor = std::make_unique<Cursor>(Cursor{&window, QSqlQuery(database)});
        QSqlQuery &query = cursor->query;
        query.setForwardOnly(true);
        query.prepare(u"SELECT fetched_at, used_percent, reset_at, window_seconds FROM samples "
                      "WHERE window = ? AND fetched_at >= ? ORDER BY fetched_at"_s);
        query.addBindValue(key);
        query.addBindValue(since.toMSecsSinceEpoch());
        if (!query.exec())
            return query.lastError();
        if (query.next())
            due.push({query.value(0).toLongLong(), cursors.size()});
        else if (const std::optional<QSqlError> error = errorOf(query))
            return error;
        cursors.push_back(std::move(cursor));
    }
    while (!due.empty()) {
        const size_t at = due.top().second;
        due.pop();
        QSqlQuery &query = cursors[at]->query;
        const Window &window = *cursors[at]->window;
        if (!take({utcMilliseconds(query.value(0)), window.provider, window.id, window.name, query.value(1).toDouble(),
                   utcTime(query.value(2)), query.value(3).toDouble(), window.account, window.label}))
            return std::nullopt;
        if (query.next())
            due.push({query.value(0).toLongLong(), at});
        else if (const std::optional<QSqlError> error = errorOf(query))
            return error;
    }
    return std::nullopt;
}

// For each window and column: the first and last time by the key, the lowest and highest share
// by a pass over the column's rows, and the first and last rows themselves by the key again.
const QString samplesQuery = u"WITH RECURSIVE cols (c, lo, hi) AS "
    "(SELECT 0, :start, :start + :step UNION ALL SELECT c + 1, hi, hi + :step FROM cols WHERE c + 1 < :columns), "
    "g AS MATERIALIZED (SELECT w.key AS win, c, "
    "(SELECT min(fetched_at) FROM samples WHERE window = w.key AND fetched_at >= lo AND fetched_at < hi) AS t0, "
    "(SELECT max(fetched_at) FROM samples WHERE window = w.key AND fetched_at >= lo AND fetched_at < hi) AS t1, "
    "(SELECT min(used_percent) FROM samples WHERE window = w.key AND fetched_at >= lo AND fetched_at < hi) AS low, "
    "(SELECT max(used_percent) FROM samples WHERE window = w.key AND fetched_at >= lo AND fetched_at < hi) AS high "
    "FROM windows w, cols) "
    "SELECT g.win, g.t0, f.used_percent, g.t1, l.used_percent, g.low, g.high, l.reset_at, l.window_seconds FROM g "
    "JOIN samples f ON f.window = g.win AND f.fetched_at = g.t0 "
    "JOIN samples l ON l.window = g.win AND l.fetched_at = g.t1 ORDER BY g.win, g.c"_s;

// The same from the hours' roll-up, for columns of an hour or more: each whole hour of the
// period goes to the column it starts in, whose first and last rows are its first and last hour's.
const QString hoursQuery = u"WITH g AS MATERIALIZED (SELECT h.window AS win, (h.hour * :hour - :start) / :step AS c, "
    "min(h.hour) AS h0, max(h.hour) AS h1, min(h.low) AS low, max(h.high) AS high "
    "FROM windows w CROSS JOIN sample_hours h ON h.window = w.key "
    "AND h.hour >= (:start + :hour - 1) / :hour AND h.hour < (:start + :step * :columns + :hour - 1) / :hour "
    "GROUP BY win, c) "
    "SELECT g.win, f.first_at, f.first_used, l.last_at, l.last_used, g.low, g.high, l.last_reset, l.last_seconds "
    "FROM g JOIN sample_hours f ON f.window = g.win AND f.hour = g.h0 "
    "JOIN sample_hours l ON l.window = g.win AND l.hour = g.h1 ORDER BY g.win, g.c"_s;

std::optional<QSqlError> readColumns(HistoryConnection &connection, const QDateTime &start, const QDateTime &end,
                                     int columns, HistoryReader::Lines &lines)
{
    QSqlDatabase &database = connection.database();
    Windows windows;
    if (const std::optional<QSqlError> error = readWindows(connection, windows))
        return error;
    QSqlQuery any(database);
    if (!any.exec(u"SELECT EXISTS (SELECT 1 FROM samples)"_s) || !any.next())
        return any.lastError();
    lines.anything = any.value(0).toBool();
    QSqlQuery query(database);
    query.setForwardOnly(true);
    const qint64 step = qint64(std::ceil(double(start.msecsTo(end) + 1) / std::max(columns, 1)));
    // A file of an earlier version, not opened by the program since, has its samples only.
    const bool byHours = step >= HistorySchema::hourMilliseconds && connection.version() >= HistoryConnection::hoursVersion;
    query.prepare(byHours ? hoursQuery : samplesQuery);
    query.bindValue(u":start"_s, start.toMSecsSinceEpoch());
    query.bindValue(u":step"_s, step);
    query.bindValue(u":columns"_s, columns);
    if (byHours)
        query.bindValue(u":hour"_s, HistorySchema::hourMilliseconds);
    if (!query.exec())
        return query.lastError();
    std::optional<qint64> lineKey;
    while (query.next()) {
        const auto window = windows.find(query.value(0).toLongLong());
        if (window == windows.end())
            continue; // a provider this build does not know
        if (lineKey != window->first) {
            lines.lines.append({window->second.provider, window->second.id, window->second.name, {},
                                window->second.account, window->second.label});
            lineKey = window->first;
        }
        lines.lines.last().columns.append({utcMilliseconds(query.value(1)), query.value(2).toDouble(),
                                           utcMilliseconds(query.value(3)), query.value(4).toDouble(),
                                           query.value(5).toDouble(), query.value(6).toDouble(),
                                           utcTime(query.value(7)), query.value(8).toDouble()});
    }
    return errorOf(query);
}

} // namespace

std::optional<QString> HistoryReader::forEachRow(const QString &path, const QDateTime &since,
                                                 const std::function<bool(const HistoryRow &)> &take)
{
    Opened opened = open(path);
    if (!opened.connection)
        return opened.error;
    const std::optional<QSqlError> error = mergeRows(*opened.connection, since, take);
    return error ? std::optional(opened.connection->describe(*error)) : std::nullopt;
}

HistoryReader::Lines HistoryReader::readLines(const QString &path, const QDateTime &start, const QDateTime &end,
                                              int columns)
{
    Lines lines;
    Opened opened = open(path);
    if (!opened.connection) {
        lines.error = opened.error;
        return lines;
    }
    if (const std::optional<QSqlError> error = readColumns(*opened.connection, start, end, columns, lines))
        return {opened.connection->describe(*error), false, {}};
    return lines;
}

bool HistoryReader::namesAccounts(const QString &path)
{
    const Opened opened = open(path);
    if (!opened.connection)
        return false;
    QSqlQuery query(opened.connection->database());
    const QString label = accountColumns(*opened.connection).second;
    return query.exec(u"SELECT EXISTS (SELECT 1 FROM windows w WHERE "_s + label + u" != '')"_s) && query.next()
        && query.value(0).toBool();
}

std::optional<int> HistoryReader::daysFromText(const QString &text)
{
    bool isNumber = false;
    const int days = text.toInt(&isNumber);
    return isNumber && days >= 1 ? std::optional(days) : std::nullopt;
}
