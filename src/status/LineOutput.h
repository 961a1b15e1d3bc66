#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include <memory>

// Standard output, a line at a time and flushed at once, for a reader that may go away: a bar
// that restarts, a pipe that closes. closed() comes when a write fails and, on a pipe, as soon
// as its reader has gone; once only.
class LineOutput : public QObject
{
    Q_OBJECT
public:
    explicit LineOutput(QObject *parent = nullptr);

    bool write(const QByteArray &line);
    bool isClosed() const { return m_closed; }

Q_SIGNALS:
    void closed();

private:
    void close();

    std::unique_ptr<QSocketNotifier> m_readerGone;
    bool m_closed = false;
};
