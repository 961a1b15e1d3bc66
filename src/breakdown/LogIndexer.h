#pragma once

#include "BreakdownIndex.h"
#include "ContinuousClock.h"
#include "IndexWriter.h"
#include "LogFolder.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>

class QFile;

// Reads what is new in the assistants' logs into the index in the history file. Lives on a
// thread of its own and hands what it read to the index's writer in batches, each one short
// transaction; a fault in a file skips that file and says so once on standard error. Stops at
// the next line once the writer is stopped.
class LogIndexer : public QObject
{
    Q_OBJECT
public:
    static constexpr int retentionDays = 90;
    // A reading this large shows its progress.
    static constexpr qint64 progressFromBytes = qint64(16) << 20;

    // The wall clock in seconds since 1970, which a test may set elsewhere.
    explicit LogIndexer(std::shared_ptr<IndexWriter> writer,
                        std::function<qint64()> wallClock = &QDateTime::currentSecsSinceEpoch, QObject *parent = nullptr);
    ~LogIndexer() override;

    // Reads the folders: each file from where its last reading stopped.
    void scan(const QList<LogFolder> &folders);

Q_SIGNALS:
    // While a large reading runs: how much of it is done, 0 to 100.
    void progress(int percent);
    void scanned();

private:
    struct Candidate {
        LogFolder folder;
        QString path;
        LogFileState stored;
        LogFileState found;
        bool fromStart = false;
    };

    // A folder's log files as listed, each with its size, time and inode.
    struct ListedFolder {
        LogFolder folder;
        QList<std::pair<QString, LogFileState>> files; // by path
    };

    struct Cutoff {
        qint64 seconds; // lines and files older than this are not counted, nor kept
        ContinuousClock::time_point at;
    };

    std::optional<std::chrono::microseconds> write(const IndexWriter::Work &work);
    bool knowNewest();
    void moveCutoff(qint64 newestModified);
    bool handOver(IndexBatch *current);
    bool keep(IndexBatch &&batch, qint64 bytes, qsizetype requests);
    bool isBatchOpen(qint64 bytes, qsizetype requests) const;
    QList<ListedFolder> listFiles(const QList<LogFolder> &folders);
    QList<Candidate> changedFiles(const QList<ListedFolder> &listed);
    bool isReadableFolder(const QString &path, bool root);
    void addIfChanged(const LogFolder &folder, const QString &path, const LogFileState &now,
                      const QHash<QString, LogFileState> &stored, QList<Candidate> &changed);
    std::optional<QString> read(Candidate &candidate);
    std::optional<QString> readLines(Candidate &candidate, QFile &file);
    void saySkippedLines(const QString &path, qsizetype skipped, bool abandoned);
    void noteProgress(qint64 bytes);
    void sayOnce(const QString &path, const QString &what);
    void sayOff(const QString &reason);

    std::shared_ptr<IndexWriter> m_writer;
    std::function<qint64()> m_wallClock;
    bool m_off = false;
    qsizetype m_batchRequests; // requests looked up per batch, fitted to the writer's pace
    QList<IndexBatch> m_kept; // the last batches of files read, not handed over yet
    qint64 m_keptBytes = 0;
    qsizetype m_keptRequests = 0;
    std::optional<qint64> m_newest; // the newest request counted, once read from the index
    std::optional<Cutoff> m_lastCutoff;
    std::optional<ContinuousClock::time_point> m_prunedAt;
    QSet<QString> m_said; // a file's fault is said once a run
    QHash<QString, QDate> m_skippedLinesSaid; // a file's skipped lines, once a day
    qint64 m_totalBytes = 0;
    qint64 m_doneBytes = 0;
    int m_percent = -1;
};
