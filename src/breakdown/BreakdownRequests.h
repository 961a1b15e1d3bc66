#pragma once

#include "LogLineParser.h"
#include "SqliteStatement.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <optional>

// Each request once, however many times and in however many files it is logged. Each file keeps
// the counts of its line of the request with the most output, and the file with the most holds
// them in its counts by the minute: when a file is read again, whatever it held goes to the file
// that logs the request next best, and nothing another file counted is lost.
class BreakdownRequests
{
public:
    // Where counts are added up: a file's, by minute, project and model.
    struct Bucket {
        qint64 file;
        qint64 minute;
        QString project;
        QString model;
        bool operator==(const Bucket &) const = default;
        friend size_t qHash(const Bucket &bucket, size_t seed)
        {
            return qHashMulti(seed, bucket.file, bucket.minute, bucket.project, bucket.model);
        }
    };
    using Buckets = QHash<Bucket, TokenCounts>;

    explicit BreakdownRequests(QSqlDatabase &database);

    // Reads what the index knows of the entries' requests, for count(): the account's own.
    std::optional<QSqlError> load(const QString &account, const QList<LogEntry> &entries);
    // Counts a request's line of the file: what changes in the counts is added to buckets.
    void count(qint64 file, const LogEntry &entry, Buckets &buckets);
    // Writes what count() changed.
    std::optional<QSqlError> store();
    // Before a file is read again from its start: the requests it held go to the files that log
    // them next best, added to buckets, and its own rows go.
    std::optional<QSqlError> forget(qint64 file, Buckets &buckets);
    void clear() { m_requests.clear(); }

private:
    struct Row {
        qint64 file = 0;
        Bucket bucket;
        TokenCounts counts;
        bool holds = false; // its counts are in its file's counts by the minute
        bool changed = false;
    };
    struct Request {
        qint64 key = 0; // as the index knows it
        QList<Row> rows;
    };

    SqliteStatement m_lookup;
    SqliteStatement m_store;
    QSqlQuery m_othersOfHeld;
    QSqlQuery m_takeOver;
    QSqlQuery m_forgetFile;
    QHash<QString, Request> m_requests; // by the id logged, those of the transaction's entries
};
