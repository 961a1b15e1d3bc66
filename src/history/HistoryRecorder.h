#pragma once

#include "HistoryConnection.h"
#include "HistoryRow.h"
#include "HistorySchema.h"

#include <QObject>
#include <QThread>

class HistoryWriter;
class UsageStore;

// The tray program's side of the record: hands every live refresh to the writer on its own
// thread and never waits for it, and keeps what the alerts had given in the record too.
class HistoryRecorder : public QObject
{
    Q_OBJECT
public:
    // The accounts are asked, on the writer's thread, only to bring a file of an earlier version up to date.
    explicit HistoryRecorder(const QString &path = HistoryConnection::defaultPath(),
                             HistorySchema::AccountsLister accounts = &Account::defaults, QObject *parent = nullptr);
    // Waits for the writes handed over so far.
    ~HistoryRecorder() override;

    // Records the snapshot of each refresh the store completes, for as long as both live.
    void watch(UsageStore &store);
    void record(const UsageStatus &status);
    void remember(const RememberedAlert &alert);

    QString path() const { return m_path; }
    // The file has been opened (or found unusable, and the history is off).
    bool isReady() const { return m_ready; }
    QList<RememberedAlert> recalledAlerts() const { return m_recalled; }

Q_SIGNALS:
    void ready();
    // New rows, or new labels, are in the file.
    void written();

private:
    QString m_path;
    QThread m_thread;
    HistoryWriter *m_writer; // lives on m_thread
    bool m_ready = false;
    QList<RememberedAlert> m_recalled;
};
