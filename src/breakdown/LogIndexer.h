#pragma once

#include "BreakdownIndex.h"
#include "LogFolder.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QSet>

#include <memory>
#include <optional>

class HistoryConnection;
class QFile;

// Reads what is new in the assistants' logs into the index in the history file. Lives on a
// thread of its own; a fault in a file skips that file and says so once on standard error.
class LogIndexer : public QObject
{
    Q_OBJECT
public:
    static constexpr int retentionDays = 90;
    // A reading this large shows its progress.
    static constexpr qint64 progressFromBytes = qint64(16) << 20;

    explicit LogIndexer(const QString &databasePath, QObject *parent = nullptr);
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

    bool open();
    QList<Candidate> changedFiles(const QList<LogFolder> &folders);
    void addIfChanged(const LogFolder &folder, const QString &path, const QHash<QString, LogFileState> &stored,
                      QList<Candidate> &changed);
    std::optional<QString> read(Candidate &candidate);
    std::optional<QString> readLines(Candidate &candidate, QFile &file);
    void noteProgress(qint64 bytes);
    void sayOnce(const QString &path, const QString &what);
    void sayOff(const QString &reason);

    QString m_path;
    std::unique_ptr<HistoryConnection> m_connection;
    std::unique_ptr<BreakdownIndex> m_index;
    bool m_off = false;
    QDate m_pruned;
    QSet<QString> m_said; // a file's fault is said once a run
    QHash<QString, QDate> m_skippedLinesSaid; // a file's skipped lines, once a day
    qint64 m_totalBytes = 0;
    qint64 m_doneBytes = 0;
    int m_percent = -1;
};
