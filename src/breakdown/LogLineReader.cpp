#include "LogLineReader.h"

#include <QFile>

#include <zstd.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 chunkSize = 1 << 20;

// Cuts a stream of chunks into lines; one grown past the longest is dropped up to its newline.
class LineSplitter
{
public:
    LineSplitter(qint64 startOffset, const LogLineReader::LineHandler &onLine)
        : m_pendingStart(startOffset)
        , m_onLine(onLine)
    {
    }

    // Whether the handler wants more.
    bool feed(QByteArrayView chunk)
    {
        m_pending.append(chunk);
        qsizetype from = 0;
        for (qsizetype newline; (newline = m_pending.indexOf('\n', from)) >= 0; from = newline + 1) {
            const QByteArrayView line(m_pending.constData() + from, newline - from);
            if (m_skipping || line.size() > LogLineReader::longestLine) {
                ++m_overlong;
            } else if (!m_onLine(line, m_pendingStart + newline + 1)) {
                m_stopped = true;
                return false;
            }
            m_skipping = false;
        }
        m_pending.remove(0, from);
        m_pendingStart += from;
        if (m_pending.size() > LogLineReader::longestLine) {
            m_skipping = true;
            m_pendingStart += m_pending.size();
            m_pending.clear();
        }
        return true;
    }

    qint64 pendingStart() const { return m_pendingStart; }
    qsizetype overlong() const { return m_overlong; }
    bool stopped() const { return m_stopped; }

private:
    QByteArray m_pending; // the start of a line whose newline has not come yet
    qint64 m_pendingStart;
    bool m_skipping = false;
    bool m_stopped = false;
    qsizetype m_overlong = 0;
    const LogLineReader::LineHandler &m_onLine;
};

} // namespace

QString LogLineReader::cannotBeRead(int errorNumber)
{
    return u"cannot be read ("_s + QString::fromLocal8Bit(std::strerror(errorNumber)) + u"), skipped"_s;
}

std::optional<QString> LogLineReader::open(QFile &file)
{
    const int descriptor = ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return cannotBeRead(errno);
    // What is there now counts: it may have been replaced since the folder was listed.
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return u"is no regular file (a FIFO or a device), skipped"_s;
    }
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return u"cannot be read ("_s + file.errorString() + u"), skipped"_s;
    }
    return std::nullopt;
}

LogLineReader::Result LogLineReader::readPlain(QFile &file, qint64 offset, const LineHandler &onLine)
{
    Result result;
    if (!file.seek(offset)) {
        result.error = file.errorString();
        return result;
    }
    LineSplitter splitter(offset, onLine);
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    for (qint64 got; (got = file.read(chunk.data(), chunkSize)) > 0;) {
        if (!splitter.feed(QByteArrayView(chunk.constData(), got)))
            break;
    }
    result.stopped = splitter.stopped();
    if (file.error() != QFileDevice::NoError)
        result.error = file.errorString();
    result.offset = splitter.pendingStart();
    result.overlongLines = splitter.overlong();
    return result;
}

LogLineReader::Result LogLineReader::readCompressed(QFile &file, const LineHandler &onLine)
{
    Result result;
    std::unique_ptr<ZSTD_DStream, decltype(&ZSTD_freeDStream)> stream(ZSTD_createDStream(), ZSTD_freeDStream);
    LineSplitter splitter(0, onLine);
    QByteArray input(qsizetype(ZSTD_DStreamInSize()), Qt::Uninitialized);
    QByteArray output(qsizetype(ZSTD_DStreamOutSize()), Qt::Uninitialized);
    qint64 inflated = 0;
    size_t needed = 1; // 0 once a frame has ended
    for (qint64 got; (got = file.read(input.data(), input.size())) > 0;) {
        ZSTD_inBuffer in{input.constData(), size_t(got), 0};
        while (in.pos < in.size) {
            ZSTD_outBuffer out{output.data(), size_t(output.size()), 0};
            needed = ZSTD_decompressStream(stream.get(), &out, &in);
            if (ZSTD_isError(needed)) {
                result.error = u"not readable as zstd: "_s + QString::fromLatin1(ZSTD_getErrorName(needed));
                return result;
            }
            inflated += qint64(out.pos);
            if (inflated > largestInflated) {
                result.error = u"inflates past 256 MiB: abandoned"_s;
                return result;
            }
            if (!splitter.feed(QByteArrayView(output.constData(), qsizetype(out.pos)))) {
                result.stopped = true;
                return result;
            }
        }
    }
    if (file.error() != QFileDevice::NoError)
        result.error = file.errorString();
    else if (needed != 0)
        result.error = u"ends in the middle of its zstd data"_s;
    result.offset = file.pos();
    result.overlongLines = splitter.overlong();
    return result;
}
