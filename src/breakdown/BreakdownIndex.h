#pragma once

#include "BreakdownRequests.h"
#include "IndexSql.h"
#include "LogFolder.h"
#include "LogLineParser.h"
#include "SqliteStatement.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <optional>

class HistoryConnection;

// Where reading a log file stopped, so that the next reading takes only what was appended.
struct LogFileState {
    qint64 id = 0; // 0: not in the index yet
    qint64 size = -1; // -1: a reading that did not finish, to be done again
    qint64 modifiedMs = 0;
    qint64 inode = 0;
    qint64 offset = 0;
    QByteArray head; // a digest of the first bytes read, which tells a replaced file
    LogSession session;
};

// What one transaction writes for one file: the lines' uses read since the last one, and where
// reading stopped after them.
struct IndexBatch {
    LogFolder folder;
    QString path;
    LogFileState state; // the file's id is set by its first batch when it is new
    bool first = true; // the file's first: a new file gets its id, one read from the start loses its old counts
    bool fromStart = false;
    QList<LogEntry> entries;
};

// The logs' counts in the history file: per log file (which names its provider and account),
// minute, project and model, and the same by the hour for long windows, so that a file read again
// takes its own counts out first; requests one by one as well, since one request is logged many
// times, also across files. Runs on one thread; the batches it is handed keep its transactions short.
class BreakdownIndex
{
public:
    explicit BreakdownIndex(HistoryConnection &connection);

    // The files of one folder as last read, by path.
    std::optional<QSqlError> loadFiles(const LogFolder &folder, QHash<QString, LogFileState> &files);
    // Writes the batches in one transaction, or nothing of them: the batches as they were are
    // then to be tried again.
    std::optional<QSqlError> write(const QList<IndexBatch *> &batches);
    // The counts before the cutoff's hour go, and the files not changed since the cutoff.
    std::optional<QSqlError> prune(qint64 cutoffSeconds);
    // The end of the newest hour with counts, 0 when there is none.
    std::optional<QSqlError> newestCounted(qint64 &seconds);

private:
    using Bucket = BreakdownRequests::Bucket;

    std::optional<QSqlError> writeBatch(IndexBatch &batch);
    std::optional<QSqlError> begin(IndexBatch &batch);
    std::optional<QSqlError> flush();
    std::optional<QSqlError> addTo(SqliteStatement &table, const BreakdownRequests::Buckets &buckets);
    std::optional<QSqlError> noteStop(const LogFileState &state);

    HistoryConnection &m_connection;
    BreakdownRequests m_requests;
    // Prepared once: every batch runs them, and preparing costs as much as running.
    SqliteStatement m_addToMinutes;
    SqliteStatement m_addToHours;
    QSqlQuery m_newFile;
    QSqlQuery m_forgetMinutes;
    QSqlQuery m_forgetHours;
    QSqlQuery m_noteStop;
    LogFolder m_folder;
    BreakdownRequests::Buckets m_buckets; // added in this transaction
};
