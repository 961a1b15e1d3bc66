#include "ProviderInput.h"

#include <QFile>
#include <QThreadPool>

#include <algorithm>
#include <optional>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Closes the descriptor it was given when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    int fd() const { return m_fd; }

private:
    int m_fd;
};

PlainError cannotRead(const QString &path, const QString &reason)
{
    return PlainError{u"cannot read %1: %2"_s.arg(path, reason)};
}

// Up to limit bytes, or nullopt with errno set.
std::optional<QByteArray> readUpTo(int fd, qint64 limit)
{
    QByteArray bytes;
    char piece[16 * 1024];
    while (bytes.size() < limit) {
        const ssize_t count = ::read(fd, piece, std::min<qint64>(sizeof piece, limit - bytes.size()));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            break;
        bytes.append(piece, count);
    }
    return bytes;
}

} // namespace

std::variant<QByteArray, PlainError> readSmallFile(const QString &path)
{
    // O_NONBLOCK: opening a FIFO or a terminal would otherwise wait for the other end for ever.
    const Descriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.fd() < 0)
        return cannotRead(path, qt_error_string(errno));
    struct stat status;
    if (::fstat(file.fd(), &status) != 0)
        return cannotRead(path, qt_error_string(errno));
    if (!S_ISREG(status.st_mode))
        return cannotRead(path, u"not a regular file"_s);

    // One byte more than allowed tells a file at the limit from a larger one.
    const auto bytes = readUpTo(file.fd(), maxLocalFileBytes + 1);
    if (!bytes)
        return cannotRead(path, qt_error_string(errno));
    if (bytes->size() > maxLocalFileBytes)
        return cannotRead(path, u"larger than 1 MiB"_s);
    return *bytes;
}

QThreadPool &providerInputPool()
{
    static QThreadPool *const pool = [] {
        auto *threads = new QThreadPool;
        threads->setMaxThreadCount(2);
        threads->setExpiryTimeout(-1);
        return threads;
    }();
    return *pool;
}

std::variant<QJsonDocument, PlainError> parseJsonDocument(const QByteArray &json,
                                                          const QString &documentName)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return PlainError{u"%1 is not valid JSON: %2 at offset %3"_s.arg(
            documentName, parseError.errorString()).arg(parseError.offset)};
    }
    return document;
}
