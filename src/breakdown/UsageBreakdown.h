#pragma once

#include "BreakdownQuery.h"
#include "LogFolder.h"

#include <QJsonObject>
#include <QObject>
#include <QThread>

#include <QCoroTask>

#include <chrono>
#include <memory>
#include <variant>

class IndexWriter;
class LogIndexer;

// Where the usage went, as the tray program keeps it: reads the assistants' logs into the
// history file, parsed on a thread of the lowest priority and written by a thread of normal
// priority, after every refresh only what was appended, and answers for the current windows
// from there.
class UsageBreakdown : public QObject
{
    Q_OBJECT
public:
    explicit UsageBreakdown(const QString &databasePath, const QList<LogFolder> &folders = LogFolder::found(),
                            QObject *parent = nullptr);
    // Stops the reading at its next line; what was written stays.
    ~UsageBreakdown() override;

    // Reading waits for the history file to be ready, and for this.
    void start();
    // Off, nothing is read and nothing answered.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    // The accounts' folders changed: read them from the next reading on.
    void setFolders(const QList<LogFolder> &folders);
    // Reads what is new; while a reading runs, once more after it.
    void refresh();
    // How far a large reading has come, 0 to 100; -1 when none runs.
    int progress() const { return m_progress; }

    // Returns once a short reading under way has ended, or has turned out long (one that shows
    // its progress is not waited for).
    QCoro::Task<void> shortReadingDone();
    // The Breakdown JSON for these windows, or why there is none; while a long reading runs, how
    // far it has come instead of the figures.
    QCoro::Task<std::variant<QJsonObject, QString>> breakdown(QList<BreakdownWindow> windows);

    static QString offText();

Q_SIGNALS:
    void progressChanged(int percent);
    // A reading has shown its progress, or has finished.
    void readingMoved();
    // A reading has finished: the answers may have changed.
    void scanned();

private:
    QString m_databasePath;
    QList<LogFolder> m_folders;
    std::shared_ptr<IndexWriter> m_writer;
    QThread *m_thread;
    LogIndexer *m_indexer; // lives on m_thread
    bool m_started = false;
    bool m_enabled = true;
    bool m_scanning = false;
    bool m_again = false;
    int m_progress = -1;
};
