#include "FileKind.h"

#include <QCoreApplication>
#include <QFile>

#include <sys/stat.h>


std::optional<QString> FileKind::notAFile(const QString &path)
{
    struct stat found {};
    if (stat(QFile::encodeName(path).constData(), &found) != 0 || S_ISREG(found.st_mode))
        return std::nullopt;
    const char *const text = S_ISFIFO(found.st_mode)                    ? QT_TRANSLATE_NOOP("FileKind", "%1 is a FIFO, not a file")
        : S_ISSOCK(found.st_mode)                                       ? QT_TRANSLATE_NOOP("FileKind", "%1 is a socket, not a file")
        : S_ISDIR(found.st_mode)                                        ? QT_TRANSLATE_NOOP("FileKind", "%1 is a folder, not a file")
        : S_ISCHR(found.st_mode) || S_ISBLK(found.st_mode)              ? QT_TRANSLATE_NOOP("FileKind", "%1 is a device, not a file")
                                                                        : QT_TRANSLATE_NOOP("FileKind", "%1 is a special file, not a file");
    return QCoreApplication::translate("FileKind", text).arg(path);
}
