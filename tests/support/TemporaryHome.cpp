#include "TemporaryHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

TemporaryHome::TemporaryHome(std::initializer_list<const char *> unsetVariables)
{
    qputenv("HOME", QFile::encodeName(m_dir.path()));
    for (const char *name : unsetVariables)
        qunsetenv(name);
}

namespace {

bool put(const QString &path, const QByteArray &content, QIODevice::OpenMode mode)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(mode) && file.write(content) == content.size();
}

} // namespace

bool writeFile(const QString &path, const QByteArray &content)
{
    return put(path, content, QIODevice::WriteOnly);
}

bool appendFile(const QString &path, const QByteArray &content)
{
    return put(path, content, QIODevice::Append);
}

bool makeFifo(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

QString TemporaryHome::write(const QString &relative, const QByteArray &content) const
{
    const QString path = filePath(relative);
    if (!writeFile(path, content))
        qFatal("cannot write the test file %s", qPrintable(path));
    return path;
}
