#pragma once

#include "ContinuousClock.h"
#include "HistoryFile.h"
#include "HistoryRow.h"
#include "HistorySchema.h"
#include "PendingWrites.h"

#include <QHash>
#include <QObject>
#include <QSqlError>
#include <QTimer>

#include <chrono>

#include <memory>
#include <optional>

class HistoryConnection;

// Keeps the record on a thread of its own, through a connection of its own: opens or makes the
// file, writes the rows it is handed, deletes what is older than the retention, and keeps the
// alerts' memory. A file held by another connection is waited for, the rows and alerts kept
// meanwhile; any other fault turns the history off for the rest of the run, said in one line on
// standard error. A damaged file is moved aside first and a new one started.
class HistoryWriter : public QObject
{
    Q_OBJECT
public:
    // While a window is seen, it gets a row at least this often, by the wall clock or by time
    // really passed, so that a gap means that Tidemarker was not running.
    static constexpr qint64 heartbeatSeconds = 15 * 60;
    // A reset worked out afresh on every call drifts by seconds; a real reset moves by a window.
    static constexpr qint64 resetDriftSeconds = 300;
    static constexpr int retentionDays = 90;
    // After the busy timeout ran out, the next try at the file comes this much later.
    static constexpr std::chrono::milliseconds retryInterval{1000};
    using WindowKey = std::pair<QString, QString>; // the account's key, the window's id

    // The accounts are asked only to bring a file of an earlier version up to date.
    explicit HistoryWriter(const QString &path, HistorySchema::AccountsLister accounts = &Account::defaults,
                           QObject *parent = nullptr);
    ~HistoryWriter() override;

    // These run on the writer's thread.
    void open();
    // The labels of every account shown, by key, whether fetched just now or not.
    void write(const QList<HistoryRow> &rows, const QHash<QString, QString> &labels = {});
    void remember(const RememberedAlert &alert);
    // One last try for what waits on a busy file, as the program ends; what is left is said.
    void finish();

Q_SIGNALS:
    // Once, after open(): what the alerts had given, nothing when the history is off.
    void ready(const QList<RememberedAlert> &recalled);
    // New rows, or new labels, are in the file.
    void written();

private:
    struct LastRow {
        qint64 fetchedAt = 0; // milliseconds since 1970
        double usedPercent = 0;
        std::optional<qint64> resetAt;
        std::optional<ContinuousClock::time_point> writtenAt; // none for a row of an earlier run
    };
    struct Prune {
        qint64 cutoff; // milliseconds since 1970
        ContinuousClock::time_point at;
    };

    std::optional<HistoryFile::Hindrance> start();
    void flush();
    std::optional<QSqlError> migrate();
    std::optional<QSqlError> prune();
    std::optional<QSqlError> loadLastRows();
    void forgetUnreported(const QList<HistoryRow> &rows);
    std::optional<QSqlError> writeRow(const HistoryRow &row);
    std::optional<QSqlError> noteWindow(const HistoryRow &row);
    std::optional<QSqlError> noteLabel(const QString &account, const QString &label);
    bool needsRow(const HistoryRow &row) const;
    std::optional<QSqlError> writeAlert(const RememberedAlert &alert);
    std::optional<QSqlError> recall();
    void turnOff(const QString &reason);
    void turnOff(const QSqlError &error);

    QString m_path;
    HistorySchema::AccountsLister m_accounts;
    std::unique_ptr<HistoryConnection> m_connection; // none until opened, and once off
    bool m_off = false;
    PendingWrites m_pending;
    QList<RememberedAlert> m_recalled; // on opening, until handed on
    QHash<WindowKey, LastRow> m_lastRows;
    QHash<WindowKey, std::pair<qint64, QString>> m_windows; // its key and its name
    QHash<QString, QString> m_labels; // each account's label in the file, by its key
    QTimer m_dailyPrune;
    QTimer m_retry;
    std::optional<Prune> m_lastPrune;
};
