#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <initializer_list>

// Writes a whole file, making its folders; false when that fails.
bool writeFile(const QString &path, const QByteArray &content);
// Adds to the end of a file, making it and its folders when missing; false when that fails.
bool appendFile(const QString &path, const QByteArray &content);
// A FIFO in place of whatever was at path, making its folders; false when that fails.
bool makeFifo(const QString &path);

// A fresh, empty home folder for one test, with HOME pointing at it and the given
// environment variables unset.
class TemporaryHome
{
public:
    explicit TemporaryHome(std::initializer_list<const char *> unsetVariables);

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }

    // Writes a file below the home folder, making its folders; returns its absolute path.
    QString write(const QString &relative, const QByteArray &content) const;

private:
    QTemporaryDir m_dir;
};
