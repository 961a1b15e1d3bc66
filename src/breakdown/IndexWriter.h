#pragma once

#include <QSqlError>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

class BreakdownIndex;

// The log reader's writes to the history file, made on a thread of normal priority with a
// connection of its own. The reader parses at the lowest priority, which a busy machine may leave
// waiting for seconds: a transaction it held would keep every other writer of the file waiting
// as long. Its thread is started by its maker, since one the reader started would share its priority.
class IndexWriter
{
public:
    using Work = std::function<std::optional<QSqlError>(BreakdownIndex &index)>;
    struct Outcome {
        enum class Kind { done, stopped, off } kind = Kind::done;
        QString reason{}; // for off: why, or nothing when the history has said so already
        std::chrono::microseconds took{}; // the work's time on its last try
    };

    explicit IndexWriter(const QString &databasePath);
    // Stops.
    ~IndexWriter();
    IndexWriter(const IndexWriter &) = delete;
    IndexWriter &operator=(const IndexWriter &) = delete;

    // From any thread: runs the work on the writer's thread, in a transaction of its own when
    // it writes, trying again while another connection holds the file, and waits for it.
    Outcome run(const Work &work);
    // From any thread: ends what runs at its next wait for the file, and every run from now on
    // at once. Returns once the writer's thread has ended.
    void stop();
    bool isStopped() const;
    // Closes the history file until the next work, on the writer's thread, and gives back what it
    // held: a reading's cache is megabytes, and the program waits between readings for minutes.
    void rest();

private:
    void serve();
    Outcome perform(const Work &work);
    std::optional<Outcome> open();
    void close();

    QString m_path;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    const Work *m_work = nullptr; // handed over and not yet done
    std::optional<Outcome> m_outcome;
    bool m_stopped = false;
    bool m_restWanted = false;
    std::once_flag m_joined;
    std::unique_ptr<class HistoryConnection> m_connection; // the writer thread's own
    std::unique_ptr<BreakdownIndex> m_index;
    std::thread m_thread;
};
