#include "HistoryRecorder.h"

#include "HistoryWriter.h"
#include "UsageStore.h"

HistoryRecorder::HistoryRecorder(const QString &path, HistorySchema::AccountsLister accounts, QObject *parent)
    : QObject(parent)
    , m_path(path)
    , m_writer(new HistoryWriter(path, std::move(accounts)))
{
    m_writer->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_writer, &QObject::deleteLater);
    connect(m_writer, &HistoryWriter::ready, this, [this](const QList<RememberedAlert> &recalled) {
        m_recalled = recalled;
        m_ready = true;
        Q_EMIT ready();
    });
    connect(m_writer, &HistoryWriter::written, this, &HistoryRecorder::written);
    m_thread.setObjectName(QStringLiteral("history writer"));
    m_thread.start();
    QMetaObject::invokeMethod(m_writer, &HistoryWriter::open);
}

HistoryRecorder::~HistoryRecorder()
{
    // Queued behind the writes handed over so far, so that none of them is dropped.
    QMetaObject::invokeMethod(m_writer, &HistoryWriter::finish);
    QMetaObject::invokeMethod(m_writer, [thread = &m_thread] { thread->quit(); });
    m_thread.wait();
}

void HistoryRecorder::watch(UsageStore &store)
{
    connect(&store, &UsageStore::refreshed, this, [this, &store] { record(store.status()); });
}

void HistoryRecorder::record(const UsageStatus &status)
{
    QMetaObject::invokeMethod(m_writer, [writer = m_writer, rows = HistoryRow::ofLiveResults(status),
                                         labels = HistoryRow::labelsOf(status)] { writer->write(rows, labels); });
}

void HistoryRecorder::remember(const RememberedAlert &alert)
{
    QMetaObject::invokeMethod(m_writer, [writer = m_writer, alert] { writer->remember(alert); });
}
