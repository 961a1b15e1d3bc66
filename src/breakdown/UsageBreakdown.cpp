#include "UsageBreakdown.h"

#include "IndexWriter.h"
#include "LogIndexer.h"

#include "Diagnostics.h"
#include "NextEmission.h"

#include <QPointer>
#include <QThread>
#include <QtConcurrent>

#include <QCoroFuture>

#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The lowest share of the processor that still gets one: a thread of Linux's idle class may wait
// for seconds on a busy machine, and Quit waits for the reader's next line. Without the means to
// lower one thread, Qt's lowest priority.
void lowerCurrentThread()
{
#ifdef Q_OS_LINUX
    if (::setpriority(PRIO_PROCESS, ::gettid(), 19) == 0)
        return;
#endif
    QThread::currentThread()->setPriority(QThread::LowestPriority);
}

} // namespace

UsageBreakdown::UsageBreakdown(const QString &databasePath, const QList<LogFolder> &folders, QObject *parent)
    : QObject(parent)
    , m_databasePath(databasePath)
    , m_folders(folders)
    // Made here, so that its thread has this one's priority rather than the reader's.
    , m_writer(std::make_shared<IndexWriter>(databasePath))
    , m_thread(new QThread)
    , m_indexer(new LogIndexer(m_writer))
{
    m_indexer->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_indexer, &QObject::deleteLater);
    connect(m_indexer, &LogIndexer::progress, this, [this](int percent) {
        const bool started = std::exchange(m_progress, percent) < 0;
        Q_EMIT progressChanged(percent);
        if (started)
            Q_EMIT readingMoved();
    });
    connect(m_indexer, &LogIndexer::scanned, this, [this] {
        m_scanning = false;
        if (std::exchange(m_progress, -1) >= 0)
            Q_EMIT progressChanged(-1);
        Q_EMIT scanned();
        Q_EMIT readingMoved();
        if (std::exchange(m_again, false))
            refresh();
    });
    m_thread->setObjectName(u"log reader"_s);
    m_thread->start();
    // The reading takes what little else wants of the processor, and so comes to its next line soon.
    QMetaObject::invokeMethod(m_indexer, &lowerCurrentThread);
}

UsageBreakdown::~UsageBreakdown()
{
    m_writer->stop();
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

QString UsageBreakdown::offText()
{
    return tr("reading the assistants' logs is turned off (setting breakdown)");
}

void UsageBreakdown::start()
{
    m_started = true;
    refresh();
}

void UsageBreakdown::setEnabled(bool enabled)
{
    if (std::exchange(m_enabled, enabled) != enabled && enabled)
        refresh();
}

void UsageBreakdown::setFolders(const QList<LogFolder> &folders)
{
    if (std::exchange(m_folders, folders) != folders)
        refresh();
}

void UsageBreakdown::refresh()
{
    if (!m_started || !m_enabled)
        return;
    if (m_scanning) {
        m_again = true;
        return;
    }
    m_scanning = true;
    QMetaObject::invokeMethod(m_indexer, [indexer = m_indexer, folders = m_folders] { indexer->scan(folders); });
}

// A short reading is waited for, so that an answer right after a refresh includes it.
QCoro::Task<void> UsageBreakdown::shortReadingDone()
{
    if (m_scanning && m_progress < 0) {
        NextEmission moved(this, &UsageBreakdown::readingMoved);
        co_await moved;
    }
}

QCoro::Task<std::variant<QJsonObject, QString>> UsageBreakdown::breakdown(QList<BreakdownWindow> windows)
{
    if (!m_enabled)
        co_return offText();
    QPointer<UsageBreakdown> self(this);
    co_await shortReadingDone();
    if (!self)
        co_return tr("Tidemarker is quitting");
    if (m_progress >= 0) {
        const QJsonObject reading = BreakdownQuery::whileReading(m_progress, QDateTime::currentDateTimeUtc());
        co_return reading;
    }
    // Made outside the co_await: GCC 12 destroys a lambda temporary there twice.
    QFuture<std::variant<QJsonObject, QString>> reading = QtConcurrent::run(
        [path = m_databasePath, windows = std::move(windows), folders = m_folders] {
            return BreakdownQuery::read(path, windows, folders, QDateTime::currentDateTimeUtc());
        });
    co_return co_await reading;
}
