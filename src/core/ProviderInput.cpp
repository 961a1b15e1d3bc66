#include "ProviderInput.h"

#include "StoredText.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

FileReadError cannotRead(const QString &name, const QString &reason)
{
    return {{StoredText::english(StoredText::cannotRead).arg(name, reason)}};
}

} // namespace

std::variant<QByteArray, FileReadError> readSmallFile(const QString &path, const QString &shownAs)
{
    const QString name = shownAs.isEmpty() ? path : shownAs;
    // O_NONBLOCK: opening a FIFO or a terminal would otherwise wait for the other end for ever.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        FileReadError error = cannotRead(name, qt_error_string(errno));
        error.missing = errno == ENOENT;
        return error;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return cannotRead(name, file.errorString());
    }
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return cannotRead(name, qt_error_string(errno));
    if (!S_ISREG(status.st_mode))
        return cannotRead(name, StoredText::english(StoredText::notRegularFile));

    // One byte more than allowed tells a file at the limit from a larger one.
    const QByteArray bytes = readAtMost(file, maxLocalFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return cannotRead(name, file.errorString());
    if (bytes.size() > maxLocalFileBytes) {
        FileReadError error = cannotRead(name, StoredText::english(StoredText::largerThanLimit));
        error.tooLarge = true;
        return error;
    }
    return bytes;
}

QByteArray readAtMost(QIODevice &device, qint64 maxSize)
{
    char piece[16 * 1024];
    QByteArray bytes;
    for (qint64 got; bytes.size() < maxSize
         && (got = device.read(piece, std::min<qint64>(sizeof piece, maxSize - bytes.size()))) > 0;)
        bytes.append(piece, got);
    return bytes;
}

QString homeRelative(const QString &path)
{
    const QString home = QDir::homePath() + u'/';
    return path.startsWith(home) ? u"~/"_s + path.sliced(home.size()) : path;
}

std::variant<QJsonDocument, PlainError> parseJsonDocument(const QByteArray &json,
                                                          const QString &documentName)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return PlainError{StoredText::english(StoredText::notValidJson).arg(
            documentName, parseError.errorString(), QString::number(parseError.offset))};
    }
    return document;
}

QString folderFromEnvironment(const char *variable, const QString &inHome)
{
    const QString configured = qEnvironmentVariable(variable);
    return configured.isEmpty() ? QDir::home().filePath(inHome) : QDir(configured).absolutePath();
}
