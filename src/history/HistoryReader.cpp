#include "HistoryReader.h"

#include "HistoryConnection.h"

#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

struct Window {
    Provider provider;
    QString id;
    QString name;
    QString account;
};

// The windows table is small: read once, so that each row carries only its numbers. A file of
// the first version, not yet opened by the program since, knows only the first accounts.
std::optional<QSqlError> readWindows(QSqlDatabase &database, int version, QHash<qint64, Window> &windows)
{
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT key, provider, window_id, name, %1 FROM windows"_s.arg(version < 2 ? u"''"_s : u"account"_s)))
        return query.lastError();
    while (query.next()) {
        if (const std::optional<Provider> provider = providerFromRawValue(query.value(1).toString()))
            windows.insert(query.value(0).toLongLong(), {*provider, query.value(2).toString(), query.value(3).toString(),
                                                         query.value(4).toString()});
    }
    return std::nullopt;
}

QDateTime utcTime(const QVariant &seconds)
{
    return seconds.isNull() ? QDateTime() : QDateTime::fromSecsSinceEpoch(seconds.toLongLong(), Qt::UTC);
}

std::optional<QSqlError> readRows(QSqlDatabase &database, int version, const QDateTime &since,
                                  HistoryReader::Record &record)
{
    QHash<qint64, Window> windows;
    if (const std::optional<QSqlError> error = readWindows(database, version, windows))
        return error;
    QSqlQuery any(database);
    if (!any.exec(u"SELECT EXISTS (SELECT 1 FROM samples)"_s) || !any.next())
        return any.lastError();
    record.anything = any.value(0).toBool();
    QSqlQuery query(database);
    query.setForwardOnly(true);
    query.prepare(u"SELECT window, fetched_at, used_percent, reset_at, window_seconds FROM samples "
                  "WHERE fetched_at >= ? ORDER BY window, fetched_at"_s);
    query.addBindValue(since.toMSecsSinceEpoch());
    if (!query.exec())
        return query.lastError();
    while (query.next()) {
        const auto window = windows.constFind(query.value(0).toLongLong());
        if (window == windows.cend())
            continue; // a provider this build does not know
        record.rows.append({QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC), window->provider, window->id, window->name,
                            query.value(2).toDouble(), utcTime(query.value(3)), query.value(4).toDouble(),
                            window->account});
    }
    return query.lastError().isValid() ? std::optional(query.lastError()) : std::nullopt;
}

} // namespace

HistoryReader::Record HistoryReader::read(const QString &path, const QDateTime &since)
{
    Record record;
    if (!QFileInfo::exists(path))
        return record;
    HistoryConnection connection(path, HistoryConnection::Mode::readOnly);
    if (connection.error())
        record.error = connection.error();
    // A file just made holds no tables yet.
    else if (connection.version() == 0)
        return record;
    else if (const std::optional<QSqlError> error = readRows(connection.database(), connection.version(), since, record))
        record = {connection.describe(*error), false, {}};
    return record;
}

std::optional<int> HistoryReader::daysFromText(const QString &text)
{
    bool isNumber = false;
    const int days = text.toInt(&isNumber);
    return isNumber && days >= 1 ? std::optional(days) : std::nullopt;
}
