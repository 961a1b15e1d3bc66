#include "FileKind.h"

#include <QFile>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

std::optional<QString> FileKind::notAFile(const QString &path)
{
    struct stat found {};
    if (stat(QFile::encodeName(path).constData(), &found) != 0 || S_ISREG(found.st_mode))
        return std::nullopt;
    const QString kind = S_ISFIFO(found.st_mode)                            ? u"a FIFO"_s
        : S_ISSOCK(found.st_mode)                                           ? u"a socket"_s
        : S_ISDIR(found.st_mode)                                            ? u"a folder"_s
        : S_ISCHR(found.st_mode) || S_ISBLK(found.st_mode)                  ? u"a device"_s
                                                                            : u"a special file"_s;
    return path + u" is "_s + kind + u", not a file"_s;
}
