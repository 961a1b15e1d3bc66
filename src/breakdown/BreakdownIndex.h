#pragma once

#include "LogLineParser.h"
#include "LogFolder.h"

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

// The logs' counts in the history file: per provider, account, project, model and minute, added
// up per log file so that a file read again takes its own counts out first; requests one by one
// as well, since one request is logged many times, also across files. Runs on one
// thread; the batches it is handed keep its transactions short.
class BreakdownIndex
{
public:
    explicit BreakdownIndex(HistoryConnection &connection);

    // The files of one folder as last read, by path.
    std::optional<QSqlError> loadFiles(const LogFolder &folder, QHash<QString, LogFileState> &files);
    // Writes the batch in one transaction, or nothing of it: the batch as it was is then to be
    // tried again.
    std::optional<QSqlError> write(IndexBatch &batch);
    std::optional<QSqlError> prune(qint64 cutoffSeconds);

private:
    struct Bucket {
        qint64 file;
        qint64 minute;
        QString project;
        QString model;
        bool operator==(const Bucket &) const = default;
    };
    friend size_t qHash(const Bucket &bucket, size_t seed) { return qHashMulti(seed, bucket.file, bucket.minute, bucket.project, bucket.model); }

    std::optional<QSqlError> writeBatch(IndexBatch &batch);
    std::optional<QSqlError> begin(IndexBatch &batch);
    std::optional<QSqlError> add(const LogEntry &entry);
    std::optional<QSqlError> addRequest(const LogEntry &entry);
    std::optional<QSqlError> flush();
    std::optional<QSqlError> noteStop(const LogFileState &state);

    HistoryConnection &m_connection;
    // Prepared once: reading runs them for every request.
    QSqlQuery m_knownRequest;
    QSqlQuery m_insertRequest;
    QSqlQuery m_updateRequest;
    QSqlQuery m_addToMinute;
    LogFolder m_folder;
    qint64 m_file = 0;
    QHash<Bucket, TokenCounts> m_buckets; // added in this transaction
    QString m_lastKey; // a request's lines follow each other: most repeats need no look-up
    qint64 m_lastOutput = 0;
};
