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
    CodexSession session;
};

// The logs' counts in the history file: per provider, account, project, model and hour, added
// up per log file so that a file read again takes its own counts out first; Claude's requests
// one by one as well, since one request is logged many times, also across files. Runs on one
// thread, in transactions kept short for the history's own writer.
class BreakdownIndex
{
public:
    explicit BreakdownIndex(HistoryConnection &connection);

    // The files of one folder as last read, by path.
    std::optional<QSqlError> loadFiles(const LogFolder &folder, QHash<QString, LogFileState> &files);
    // Starts a file's reading: a new file gets its id, a file read again loses its old counts.
    std::optional<QSqlError> begin(const LogFolder &folder, const QString &path, LogFileState &state,
                                   bool fromStart);
    std::optional<QSqlError> add(const LogEntry &entry);
    // Writes what was added and where reading stopped, in one transaction.
    std::optional<QSqlError> commit(const LogFileState &state);
    std::optional<QSqlError> prune(qint64 cutoffSeconds);
    void rollback();

private:
    struct Bucket {
        qint64 file;
        qint64 hour;
        QString project;
        QString model;
        bool operator==(const Bucket &) const = default;
    };
    friend size_t qHash(const Bucket &bucket, size_t seed) { return qHashMulti(seed, bucket.file, bucket.hour, bucket.project, bucket.model); }

    std::optional<QSqlError> addRequest(const LogEntry &entry);
    std::optional<QSqlError> flush();
    std::optional<QSqlError> transaction();

    HistoryConnection &m_connection;
    // Prepared once: reading runs them for every request.
    QSqlQuery m_knownRequest;
    QSqlQuery m_insertRequest;
    QSqlQuery m_updateRequest;
    QSqlQuery m_addToHour;
    LogFolder m_folder;
    qint64 m_file = 0;
    bool m_inTransaction = false;
    QHash<Bucket, TokenCounts> m_buckets; // added since the last commit
    QString m_lastKey; // a request's lines follow each other: most repeats need no look-up
    qint64 m_lastOutput = 0;
};
