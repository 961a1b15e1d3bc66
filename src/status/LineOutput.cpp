#include "LineOutput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <utility>

LineOutput::LineOutput(QObject *parent)
    : QObject(parent)
{
    // A write to a closed pipe then fails with EPIPE instead of ending the process.
    std::signal(SIGPIPE, SIG_IGN);
    struct stat target {};
    // The write end of a pipe polls as an error once nobody reads it; a terminal would instead
    // look readable whenever a key is pressed, so only pipes are watched.
    if (fstat(STDOUT_FILENO, &target) == 0 && S_ISFIFO(target.st_mode)) {
        m_readerGone = std::make_unique<QSocketNotifier>(STDOUT_FILENO, QSocketNotifier::Read);
        connect(m_readerGone.get(), &QSocketNotifier::activated, this, &LineOutput::close);
    }
}

bool LineOutput::write(const QByteArray &line)
{
    const bool written = std::fwrite(line.constData(), 1, size_t(line.size()), stdout) == size_t(line.size())
        && std::fputc('\n', stdout) != EOF && std::fflush(stdout) == 0;
    if (!written)
        close();
    return written;
}

void LineOutput::close()
{
    if (m_readerGone)
        m_readerGone->setEnabled(false);
    if (!std::exchange(m_closed, true))
        Q_EMIT closed();
}
