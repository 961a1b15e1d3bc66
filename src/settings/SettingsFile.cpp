#include "SettingsFile.h"

#include "Diagnostics.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QtConcurrentRun>

#include <QCoroFuture>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int settleMilliseconds = 100;

struct Reading {
    Settings settings;
    QStringList problems;
};

} // namespace

QString SettingsFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + u"/tidemarker/tidemarker.conf"_s;
}

SettingsFile::SettingsFile(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, &SettingsFile::reread);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
}

QCoro::Task<void> SettingsFile::load()
{
    if (m_path.isEmpty())
        co_return;
    co_await reread();
}

QCoro::Task<std::optional<QString>> SettingsFile::save(Settings settings)
{
    QPointer<SettingsFile> self(this);
    // Made apart from the co_await: GCC 12 destroys the temporaries of a co_await expression twice.
    QFuture<std::optional<QString>> writing
        = QtConcurrent::run([path = m_path, settings] { return settings.write(path); });
    const std::optional<QString> failure = co_await writing;
    if (!self || failure)
        co_return failure;
    m_problemsSaid.clear(); // the file now holds only good values
    take(settings);
    co_return std::nullopt;
}

QCoro::Task<void> SettingsFile::reread()
{
    watchWhatExists(); // before the read, so that no change after it goes unseen
    QPointer<SettingsFile> self(this);
    QFuture<Reading> reading = QtConcurrent::run([path = m_path] {
        Reading reading;
        reading.settings = Settings::read(path, &reading.problems);
        return reading;
    });
    co_await reading;
    if (!self)
        co_return;
    const Reading &read = reading.result();
    if (read.problems != m_problemsSaid) {
        for (const QString &problem : read.problems)
            std::fprintf(stderr, "tidemarker: %s\n", qUtf8Printable(problem));
        m_problemsSaid = read.problems;
    }
    qCDebug(lcSettings) << "read" << m_path << "with" << read.problems.size() << "problems";
    take(read.settings);
}

void SettingsFile::take(const Settings &settings)
{
    if (settings == m_settings)
        return;
    const Settings previous = m_settings;
    m_settings = settings;
    Q_EMIT changed(previous);
}

// The file and its folder; while there is no folder yet, the nearest folder above it that is
// there. A file replaced or made anew is a new file to the watcher.
void SettingsFile::watchWhatExists()
{
    QStringList paths{m_path};
    QString folder = QFileInfo(m_path).absolutePath();
    paths.append(folder);
    while (!QFileInfo::exists(folder) && folder != QDir::rootPath()) {
        folder = QFileInfo(folder).absolutePath();
        paths.append(folder);
    }
    for (const QString &path : paths) {
        if (QFileInfo::exists(path) && !m_watcher.files().contains(path) && !m_watcher.directories().contains(path))
            m_watcher.addPath(path);
    }
}
