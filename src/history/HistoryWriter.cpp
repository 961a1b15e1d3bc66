#include "HistoryWriter.h"

#include "Diagnostics.h"
#include "HistoryConnection.h"
#include "HistorySchema.h"
#include "ProcessMemory.h"

#include <QDateTime>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

HistoryWriter::WindowKey keyOf(const HistoryRow &row)
{
    return {row.account, row.windowId};
}

QVariant secondsOrNull(const QDateTime &time)
{
    return time.isValid() ? QVariant(time.toSecsSinceEpoch()) : QVariant(QMetaType::fromType<qint64>());
}

QDateTime timeOrInvalid(const QVariant &seconds)
{
    return seconds.isNull() ? QDateTime() : QDateTime::fromSecsSinceEpoch(seconds.toLongLong(), Qt::UTC);
}

QString alertName(PaceForecast::Alert alert)
{
    return alert == PaceForecast::Alert::nearlyUsed ? u"nearly_used"_s
        : alert == PaceForecast::Alert::runout      ? u"runout"_s
                                                    : u"none"_s;
}

PaceForecast::Alert alertFromName(const QString &name)
{
    return name == u"nearly_used" ? PaceForecast::Alert::nearlyUsed
        : name == u"runout"       ? PaceForecast::Alert::runout
                                  : PaceForecast::Alert::none;
}

} // namespace

HistoryWriter::HistoryWriter(const QString &path, HistorySchema::AccountsLister accounts, QObject *parent)
    : QObject(parent)
    , m_path(path)
    , m_accounts(std::move(accounts))
    , m_dailyPrune(this)
    , m_retry(this)
{
    m_dailyPrune.setInterval(std::chrono::hours(24));
    connect(&m_dailyPrune, &QTimer::timeout, this, [this] {
        const std::optional<QSqlError> error = m_connection ? prune() : std::nullopt;
        // A busy file is pruned at the next turn: the limit only moves on meanwhile.
        if (error && !HistoryConnection::meansBusy(*error))
            turnOff(*error);
    });
    m_retry.setSingleShot(true);
    m_retry.setInterval(retryInterval);
    connect(&m_retry, &QTimer::timeout, this, [this] { m_connection ? flush() : open(); });
}

HistoryWriter::~HistoryWriter() = default;

void HistoryWriter::open()
{
    if (m_off)
        return;
    const std::optional<HistoryFile::Hindrance> hindrance = start();
    if (hindrance && hindrance->busy) {
        qCDebug(lcHistory) << "opening waits for the file:" << hindrance->reason;
        m_connection.reset();
        m_retry.start();
        return;
    }
    if (hindrance) {
        turnOff(hindrance->reason);
        Q_EMIT ready({});
        return;
    }
    m_dailyPrune.start();
    Q_EMIT ready(std::exchange(m_recalled, {}));
    flush();
}

std::optional<HistoryFile::Hindrance> HistoryWriter::start()
{
    if (std::optional<HistoryFile::Hindrance> hindrance = HistoryFile::prepare(m_path))
        return hindrance;
    m_connection = std::make_unique<HistoryConnection>(m_path, HistoryConnection::Mode::readWrite);
    if (m_connection->error())
        return HistoryFile::Hindrance{m_connection->isBusy(), *m_connection->error()};
    // NORMAL is safe in WAL mode: a crash may lose the last commit, never the file.
    std::optional<QSqlError> error =
        m_connection->execute({u"PRAGMA journal_mode = WAL"_s, u"PRAGMA synchronous = NORMAL"_s});
    // The newest rows first: the prune measures its limit from them.
    for (auto step : {&HistoryWriter::migrate, &HistoryWriter::loadLastRows, &HistoryWriter::prune,
                      &HistoryWriter::recall}) {
        if (!error)
            error = (this->*step)();
    }
    if (!error) {
        // The check and the migrations read the whole schema on connections of their own, since closed.
        ProcessMemory::releaseFreed();
        return std::nullopt;
    }
    return HistoryFile::Hindrance{HistoryConnection::meansBusy(*error), m_connection->describe(*error)};
}

std::optional<QSqlError> HistoryWriter::migrate()
{
    return HistorySchema::migrate(*m_connection, m_accounts);
}

// No clock is trusted to delete: rows go once they are the retention older than both the clock
// and the newest row, and while Tidemarker runs that limit moves on no faster than time passes.
std::optional<QSqlError> HistoryWriter::prune()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    qint64 newest = now;
    if (!m_lastRows.isEmpty())
        newest = std::min(now, std::ranges::max(m_lastRows, {}, &LastRow::fetchedAt).fetchedAt);
    qint64 cutoff = newest - qint64(retentionDays) * 86'400'000;
    const ContinuousClock::time_point at = ContinuousClock::now();
    if (m_lastPrune)
        cutoff = std::min(cutoff, m_lastPrune->cutoff
                              + std::chrono::duration_cast<std::chrono::milliseconds>(at - m_lastPrune->at).count());
    m_lastPrune = Prune{cutoff, at};
    QSqlQuery query(m_connection->database());
    // Window by window, the rows lie in time order: no pass over the whole table. The hour the
    // cutoff falls in is summed up again from the samples it keeps.
    const qint64 cutoffHour = cutoff / HistorySchema::hourMilliseconds;
    for (const auto &[statement, times] :
         {std::pair(u"DELETE FROM samples WHERE window IN (SELECT key FROM windows) AND fetched_at < ?"_s,
                    QList<qint64>{cutoff}),
          std::pair(u"DELETE FROM sample_hours WHERE window IN (SELECT key FROM windows) AND hour <= ?"_s,
                    QList<qint64>{cutoffHour}),
          std::pair(HistorySchema::rollUp(u"window IN (SELECT key FROM windows) AND fetched_at >= ? AND fetched_at < ?"_s),
                    QList<qint64>{cutoff, (cutoffHour + 1) * HistorySchema::hourMilliseconds}),
          std::pair(u"DELETE FROM alerts WHERE reset_at < ?"_s, QList<qint64>{cutoff / 1000})}) {
        query.prepare(statement);
        for (const qint64 time : times)
            query.addBindValue(time);
        if (!query.exec())
            return query.lastError();
    }
    // Limits renamed on every refresh would otherwise leave their names behind for good.
    if (!query.exec(u"DELETE FROM windows WHERE key NOT IN (SELECT window FROM samples)"_s))
        return query.lastError();
    // The windows the writer knows are read again only when some of them went.
    if (query.numRowsAffected() == 0)
        return std::nullopt;
    if (!query.exec(u"DELETE FROM accounts WHERE account NOT IN (SELECT account FROM windows)"_s))
        return query.lastError();
    return loadLastRows();
}

std::optional<QSqlError> HistoryWriter::loadLastRows()
{
    m_windows.clear();
    m_labels.clear();
    // When this run wrote a window's last row, kept across the daily prune for the heartbeat.
    const QHash<WindowKey, LastRow> before = std::exchange(m_lastRows, {});
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT account, label FROM accounts"_s))
        return query.lastError();
    while (query.next())
        m_labels.insert(query.value(0).toString(), query.value(1).toString());
    if (!query.exec(u"SELECT w.key, w.window_id, w.name, s.fetched_at, s.used_percent, s.reset_at, w.account "
                    "FROM windows w LEFT JOIN samples s ON s.window = w.key AND s.fetched_at = "
                    "(SELECT max(fetched_at) FROM samples WHERE window = w.key)"_s))
        return query.lastError();
    while (query.next()) {
        const WindowKey id{query.value(6).toString(), query.value(1).toString()};
        m_windows.insert(id, {query.value(0).toLongLong(), query.value(2).toString()});
        if (query.value(3).isNull())
            continue;
        const qint64 fetchedAt = query.value(3).toLongLong();
        const auto known = before.constFind(id);
        m_lastRows.insert(id, {fetchedAt, query.value(4).toDouble(),
                               query.value(5).isNull() ? std::nullopt : std::optional(query.value(5).toLongLong()),
                               known != before.cend() && known->fetchedAt == fetchedAt ? known->writtenAt : std::nullopt});
    }
    return std::nullopt;
}

// Rows not needed are dropped here; the others wait in order for the file. An account the file
// has rows of shows its new label at once, whether or not it has a new row.
void HistoryWriter::write(const QList<HistoryRow> &rows, const QHash<QString, QString> &labels)
{
    if (m_off)
        return;
    for (auto label = labels.cbegin(); label != labels.cend(); ++label) {
        const auto known = m_labels.constFind(label.key());
        if (known != m_labels.cend() && *known != label.value())
            m_pending.relabel(label.key(), label.value());
    }
    forgetUnreported(rows);
    QList<HistoryRow> due;
    const ContinuousClock::time_point handedAt = ContinuousClock::now();
    for (const HistoryRow &row : rows) {
        if (!needsRow(row))
            continue;
        due.append(row);
        m_lastRows.insert(keyOf(row), {row.fetchedAt.toMSecsSinceEpoch(), row.usedPercent,
                                       row.resetAt.isValid() ? std::optional(row.resetAt.toSecsSinceEpoch())
                                                             : std::nullopt,
                                       handedAt});
    }
    m_pending.add(due);
    flush();
}

// All that waits, in one transaction: a kill at any moment leaves all of it or none. A busy
// file keeps it all for the next try.
void HistoryWriter::flush()
{
    if (!m_connection || m_pending.isEmpty())
        return;
    const auto windowsBefore = m_windows;
    const auto labelsBefore = m_labels;
    std::optional<QSqlError> error = m_connection->execute({u"BEGIN IMMEDIATE"_s});
    const QList<HistoryRow> rows = m_pending.rows();
    for (qsizetype i = 0; !error && i < rows.size(); ++i)
        error = writeRow(rows[i]);
    const QHash<QString, QString> labels = m_pending.labels();
    for (auto label = labels.cbegin(); !error && label != labels.cend(); ++label)
        error = noteLabel(label.key(), label.value());
    const QList<RememberedAlert> alerts = m_pending.alerts();
    for (qsizetype i = 0; !error && i < alerts.size(); ++i)
        error = writeAlert(alerts[i]);
    if (!error)
        error = m_connection->execute({u"COMMIT"_s});
    if (error) {
        m_connection->execute({u"ROLLBACK"_s});
        m_windows = windowsBefore; // their keys were not kept
        m_labels = labelsBefore;
        if (!HistoryConnection::meansBusy(*error))
            return turnOff(*error);
        qCDebug(lcHistory) << "the writes wait for the file:" << m_connection->describe(*error);
        m_retry.start();
        return;
    }
    const bool wroteRows = m_pending.hasRows() || !labels.isEmpty();
    m_pending.clear();
    if (wroteRows)
        Q_EMIT written();
}

void HistoryWriter::finish()
{
    m_retry.stop();
    if (m_off)
        return;
    if (m_connection)
        flush();
    else
        open();
    m_retry.stop();
    if (!m_pending.isEmpty())
        std::fprintf(stderr, "tidemarker: the history file stayed busy: the last refreshes' rows are not kept\n");
}

bool HistoryWriter::needsRow(const HistoryRow &row) const
{
    const auto last = m_lastRows.constFind(keyOf(row));
    if (last == m_lastRows.cend())
        return true;
    const std::optional<qint64> reset =
        row.resetAt.isValid() ? std::optional(row.resetAt.toSecsSinceEpoch()) : std::nullopt;
    const bool resetMoved = reset.has_value() != last->resetAt.has_value()
        || (reset && std::abs(*reset - *last->resetAt) > resetDriftSeconds);
    const bool heartbeat = row.fetchedAt.toMSecsSinceEpoch() - last->fetchedAt >= heartbeatSeconds * 1000
        || (last->writtenAt && ContinuousClock::now() - *last->writtenAt >= std::chrono::seconds(heartbeatSeconds));
    return row.usedPercent != last->usedPercent || resetMoved || heartbeat;
}

std::optional<QSqlError> HistoryWriter::writeRow(const HistoryRow &row)
{
    if (const std::optional<QSqlError> error = noteLabel(row.account, row.label))
        return error;
    if (const std::optional<QSqlError> error = noteWindow(row))
        return error;
    const qint64 window = m_windows.value(keyOf(row)).first;
    const qint64 fetchedAt = row.fetchedAt.toMSecsSinceEpoch();
    QSqlQuery query(m_connection->database());
    query.prepare(u"INSERT OR REPLACE INTO samples (window, fetched_at, used_percent, reset_at, window_seconds) "
                  "VALUES (?, ?, ?, ?, ?)"_s);
    for (const QVariant &value : {QVariant(window), QVariant(fetchedAt), QVariant(row.usedPercent),
                                  secondsOrNull(row.resetAt), QVariant(row.limitWindowSeconds)})
        query.addBindValue(value);
    if (!query.exec())
        return query.lastError();
    query.prepare(HistorySchema::addToHour());
    const QVariant used(row.usedPercent);
    for (const QVariant &value : {QVariant(window), QVariant(fetchedAt / HistorySchema::hourMilliseconds),
                                  QVariant(fetchedAt), used, QVariant(fetchedAt), used, secondsOrNull(row.resetAt),
                                  QVariant(row.limitWindowSeconds), used, used})
        query.addBindValue(value);
    return query.exec() ? std::nullopt : std::optional(query.lastError());
}

// A window its account no longer reports is looked up afresh should it come back: limits
// renamed on every refresh would otherwise pile up here.
void HistoryWriter::forgetUnreported(const QList<HistoryRow> &rows)
{
    QSet<WindowKey> reported;
    QList<WindowKey> reporters; // each account's record name and its provider's id prefix
    for (const HistoryRow &row : rows) {
        reported.insert(keyOf(row));
        const WindowKey reporter{row.account, rawValue(row.provider) + u'_'};
        if (!reporters.contains(reporter))
            reporters.append(reporter);
    }
    const auto unreported = [&](const auto &entry) {
        const WindowKey &key = entry.key();
        return !reported.contains(key) && std::ranges::any_of(reporters, [&key](const WindowKey &reporter) {
                   return key.first == reporter.first && key.second.startsWith(reporter.second);
               });
    };
    m_windows.removeIf(unreported);
    m_lastRows.removeIf(unreported);
}

// A window seen for the first time, or under a new name, gets its line in the windows table.
std::optional<QSqlError> HistoryWriter::noteWindow(const HistoryRow &row)
{
    const auto known = m_windows.constFind(keyOf(row));
    if (known != m_windows.cend() && known->second == row.name)
        return std::nullopt;
    QSqlQuery query(m_connection->database());
    // Qt binds an empty text as NULL.
    query.prepare(u"INSERT INTO windows (account, window_id, provider, name) VALUES (coalesce(?, ''), ?, ?, ?) "
                  "ON CONFLICT (account, window_id) "
                  "DO UPDATE SET provider = excluded.provider, name = excluded.name RETURNING key"_s);
    query.addBindValue(row.account);
    query.addBindValue(row.windowId);
    query.addBindValue(rawValue(row.provider));
    query.addBindValue(row.name);
    if (!query.exec() || !query.next())
        return query.lastError();
    m_windows.insert(keyOf(row), {query.value(0).toLongLong(), row.name});
    return std::nullopt;
}

// An account seen for the first time, or under a new label, is shown with it, its older rows too.
std::optional<QSqlError> HistoryWriter::noteLabel(const QString &account, const QString &label)
{
    const auto known = m_labels.constFind(account);
    if (known != m_labels.cend() && *known == label)
        return std::nullopt;
    QSqlQuery query(m_connection->database());
    // Qt binds an empty text as NULL.
    query.prepare(u"INSERT OR REPLACE INTO accounts (account, label) VALUES (coalesce(?, ''), coalesce(?, ''))"_s);
    query.addBindValue(account);
    query.addBindValue(label);
    if (!query.exec())
        return query.lastError();
    m_labels.insert(account, label);
    return std::nullopt;
}

void HistoryWriter::remember(const RememberedAlert &alert)
{
    if (m_off)
        return;
    m_pending.add(alert);
    flush();
}

std::optional<QSqlError> HistoryWriter::writeAlert(const RememberedAlert &alert)
{
    QSqlQuery query(m_connection->database());
    query.prepare(u"INSERT OR REPLACE INTO alerts (account, window_id, reset_at, alert) VALUES (coalesce(?, ''), ?, ?, ?)"_s);
    query.addBindValue(alert.account);
    query.addBindValue(alert.windowId);
    query.addBindValue(secondsOrNull(alert.resetAt));
    query.addBindValue(alertName(alert.given));
    return query.exec() ? std::nullopt : std::optional(query.lastError());
}

std::optional<QSqlError> HistoryWriter::recall()
{
    m_recalled.clear();
    QSqlQuery query(m_connection->database());
    if (!query.exec(u"SELECT window_id, reset_at, alert, account FROM alerts"_s))
        return query.lastError();
    while (query.next())
        m_recalled.append({query.value(0).toString(), timeOrInvalid(query.value(1)),
                           alertFromName(query.value(2).toString()), query.value(3).toString()});
    return std::nullopt;
}

void HistoryWriter::turnOff(const QSqlError &error)
{
    turnOff(m_connection->describe(error));
}

void HistoryWriter::turnOff(const QString &reason)
{
    std::fprintf(stderr, "tidemarker: history is off for this run: %s\n", qUtf8Printable(reason));
    m_off = true;
    m_connection.reset();
    m_pending.clear();
    m_dailyPrune.stop();
    m_retry.stop();
}
