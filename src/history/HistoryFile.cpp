#include "HistoryFile.h"

#include "FileKind.h"
#include "HistoryConnection.h"
#include "HistorySchema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

using Hindrance = HistoryFile::Hindrance;

// The folder (0700) and an empty file (0600) that SQLite takes for an empty database.
std::optional<QString> makeFile(const QString &path)
{
    if (std::optional<QString> notAFile = FileKind::notAFile(path))
        return notAFile;
    const QFileInfo file(path);
    if (file.exists())
        return std::nullopt;
    const QString folder = file.absolutePath();
    if (!QDir().mkpath(QFileInfo(folder).absolutePath())
        || (!QFileInfo::exists(folder)
            && !QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)))
        return QCoreApplication::translate("HistoryFile", "cannot make the folder %1").arg(folder);
    QFile created(path);
    if (!created.open(QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
        return path + u": "_s + created.errorString();
    return std::nullopt;
}

Hindrance hindranceOf(const HistoryConnection &connection, const QSqlError &error)
{
    return {HistoryConnection::meansBusy(error), connection.describe(error)};
}

// Why the file is to be started afresh ("was damaged", …), a hindrance, or nothing: usable.
std::variant<std::monostate, QString, Hindrance> inspect(const QString &path)
{
    HistoryConnection probe(path, HistoryConnection::Mode::readOnly);
    if (probe.isCorrupt())
        return QCoreApplication::translate("HistoryFile", "was damaged");
    if (probe.error())
        return Hindrance{probe.isBusy(), *probe.error()};
    QSqlQuery check(probe.database());
    if (!check.exec(u"PRAGMA quick_check"_s) || !check.next()) {
        if (HistoryConnection::meansCorrupt(check.lastError()))
            return QCoreApplication::translate("HistoryFile", "was damaged");
        return hindranceOf(probe, check.lastError());
    }
    if (check.value(0).toString() != u"ok")
        return QCoreApplication::translate("HistoryFile", "was damaged");
    const auto missing = HistorySchema::missingColumns(probe);
    if (const QSqlError *error = std::get_if<QSqlError>(&missing))
        return hindranceOf(probe, *error);
    if (const QStringList &columns = std::get<QStringList>(missing); !columns.isEmpty())
        return QCoreApplication::translate("HistoryFile", "lacks %1 of its version %2").arg(columns.join(u", "_s)).arg(probe.version());
    return std::monostate();
}

std::optional<QString> moveAside(const QString &path, const QString &why)
{
    const QString aside = path + u".corrupt-"_s + QDateTime::currentDateTime().toString(u"yyyy-MM-dd-HHmmss"_s);
    if (!QFile::rename(path, aside))
        return QCoreApplication::translate("HistoryFile", "%1 %2 and cannot be moved aside").arg(path, why);
    QFile::rename(path + u"-wal"_s, aside + u"-wal"_s);
    QFile::remove(path + u"-shm"_s);
    const QString movedAside = QCoreApplication::translate("HistoryFile", "%1 %2: moved aside as %3, and a new one started")
                                   .arg(path, why, QFileInfo(aside).fileName());
    std::fprintf(stderr, "tidemarker: %s\n", qUtf8Printable(movedAside));
    return makeFile(path);
}

} // namespace

std::optional<Hindrance> HistoryFile::prepare(const QString &path)
{
    if (const std::optional<QString> reason = makeFile(path))
        return Hindrance{false, *reason};
    const auto found = inspect(path);
    if (const Hindrance *hindrance = std::get_if<Hindrance>(&found))
        return *hindrance;
    if (const QString *why = std::get_if<QString>(&found)) {
        if (const std::optional<QString> reason = moveAside(path, *why))
            return Hindrance{false, *reason};
    }
    return std::nullopt;
}
