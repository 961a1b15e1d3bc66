#include "IndexWriter.h"

#include "BreakdownIndex.h"
#include "Diagnostics.h"
#include "HistoryConnection.h"
#include "ProcessMemory.h"

#include <QElapsedTimer>

using namespace Qt::StringLiterals;

namespace {

// Short, so that a stop is noticed between two waits; the work is tried again meanwhile.
constexpr std::chrono::milliseconds busyTimeout{100};

} // namespace

IndexWriter::IndexWriter(const QString &databasePath)
    : m_path(databasePath)
    , m_thread(&IndexWriter::serve, this)
{
}

IndexWriter::~IndexWriter()
{
    stop();
}

bool IndexWriter::isStopped() const
{
    const std::lock_guard lock(m_mutex);
    return m_stopped;
}

void IndexWriter::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
    std::call_once(m_joined, [this] { m_thread.join(); });
}

IndexWriter::Outcome IndexWriter::run(const Work &work)
{
    std::unique_lock lock(m_mutex);
    if (m_stopped)
        return {Outcome::Kind::stopped};
    m_work = &work;
    m_outcome.reset();
    m_changed.notify_all();
    // The work handed over is done or dropped before this returns: it refers to the caller's data.
    m_changed.wait(lock, [this] { return m_outcome.has_value(); });
    m_work = nullptr;
    return *std::exchange(m_outcome, std::nullopt);
}

void IndexWriter::rest()
{
    {
        const std::lock_guard lock(m_mutex);
        m_restWanted = true;
    }
    m_changed.notify_all();
}

void IndexWriter::serve()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopped || m_restWanted || (m_work && !m_outcome); });
        if (m_stopped)
            break;
        if (m_work && !m_outcome) {
            const Work &work = *m_work;
            lock.unlock();
            Outcome outcome = perform(work);
            lock.lock();
            m_outcome = std::move(outcome);
            m_changed.notify_all();
        } else if (std::exchange(m_restWanted, false)) {
            lock.unlock();
            close();
            ProcessMemory::releaseFreed();
            lock.lock();
        }
    }
    if (m_work && !m_outcome) {
        m_outcome = Outcome{Outcome::Kind::stopped};
        m_changed.notify_all();
    }
    lock.unlock();
    close();
}

// Qt's connections are closed on the thread that used them.
void IndexWriter::close()
{
    m_index.reset();
    m_connection.reset();
}

std::optional<IndexWriter::Outcome> IndexWriter::open()
{
    if (m_index)
        return std::nullopt;
    m_connection = std::make_unique<HistoryConnection>(m_path, HistoryConnection::Mode::readWrite, busyTimeout);
    if (m_connection->isBusy()) {
        m_connection.reset();
        return Outcome{}; // tried again with the work
    }
    // A history that could not be opened or brought up to date has said why already.
    if (m_connection->error() || m_connection->version() < HistoryConnection::schemaVersion)
        return Outcome{Outcome::Kind::off};
    // As the history's writer does: in WAL mode a crash may lose the last commit, never the file.
    // Requests are looked up and added all over their index: it stays in a larger cache, and its
    // pages, written again by every transaction, are copied to the file less often; once copied,
    // the write-ahead log shrinks back rather than keep a first reading's size on disk.
    const QStringList settings{u"PRAGMA synchronous = NORMAL"_s, u"PRAGMA cache_size = -8192"_s,
                               u"PRAGMA wal_autocheckpoint = 4000"_s, u"PRAGMA journal_size_limit = 4194304"_s};
    if (const auto error = m_connection->execute(settings))
        return Outcome{Outcome::Kind::off, m_connection->describe(*error)};
    m_index = std::make_unique<BreakdownIndex>(*m_connection);
    return std::nullopt;
}

IndexWriter::Outcome IndexWriter::perform(const Work &work)
{
    for (;;) {
        if (isStopped())
            return {Outcome::Kind::stopped};
        if (std::optional<Outcome> failed = open()) {
            if (failed->kind == Outcome::Kind::off)
                return *failed;
            continue;
        }
        QElapsedTimer clock;
        clock.start();
        const std::optional<QSqlError> error = work(*m_index);
        if (!error)
            return {Outcome::Kind::done, {}, std::chrono::microseconds(clock.nsecsElapsed() / 1000)};
        if (!HistoryConnection::meansBusy(*error))
            return {Outcome::Kind::off, m_connection->describe(*error)};
        qCDebug(lcBreakdown) << "the index waits for the file:" << m_connection->describe(*error);
    }
}
