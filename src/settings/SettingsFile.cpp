#include "SettingsFile.h"

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
    QPointer<SettingsFile> self(this);
    co_await reread();
    if (self)
        watchWhatExists();
}

QCoro::Task<std::optional<QString>> SettingsFile::save(Settings settings)
{
    QPointer<SettingsFile> self(this);
    const std::optional<QString> failure
        = co_await QtConcurrent::run([path = m_path, settings] { return settings.write(path); });
    if (!self || failure)
        co_return failure;
    m_problemsSaid.clear(); // the file now holds only good values
    take(settings);
    co_return std::nullopt;
}

QCoro::Task<void> SettingsFile::reread()
{
    QPointer<SettingsFile> self(this);
    const Reading reading = co_await QtConcurrent::run([path = m_path] {
        Reading reading;
        reading.settings = Settings::read(path, &reading.problems);
        return reading;
    });
    if (!self)
        co_return;
    watchWhatExists(); // a file replaced or made anew is a new file to the watcher
    if (reading.problems != m_problemsSaid) {
        for (const QString &problem : reading.problems)
            std::fprintf(stderr, "tidemarker: %s\n", qUtf8Printable(problem));
        m_problemsSaid = reading.problems;
    }
    take(reading.settings);
}

void SettingsFile::take(const Settings &settings)
{
    if (settings == m_settings)
        return;
    const Settings previous = m_settings;
    m_settings = settings;
    Q_EMIT changed(previous);
}

// The file, its folder, and while there is no folder yet, the folder it will be made in.
void SettingsFile::watchWhatExists()
{
    const QFileInfo file(m_path);
    const QString folder = file.absolutePath();
    QStringList paths{m_path, folder};
    if (!QFileInfo::exists(folder))
        paths.append(QFileInfo(folder).absolutePath());
    for (const QString &path : paths) {
        if (QFileInfo::exists(path) && !m_watcher.files().contains(path) && !m_watcher.directories().contains(path))
            m_watcher.addPath(path);
    }
}
