#pragma once

#include "Settings.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <QCoroTask>

#include <optional>

// The settings as the file says them, kept up to date while the program runs: the one place
// the rest of the program reads them from. Editors save by replacing the file, so its folder is
// watched as well as the file itself.
class SettingsFile : public QObject
{
    Q_OBJECT
public:
    // $XDG_CONFIG_HOME/tidemarker/tidemarker.conf, by default ~/.config/tidemarker/tidemarker.conf.
    static QString defaultPath();

    // An empty path stands for no file at all: the defaults, for good.
    explicit SettingsFile(const QString &path, QObject *parent = nullptr);

    QString path() const { return m_path; }
    const Settings &settings() const { return m_settings; }

    // Reads the file (off the GUI thread), then follows its changes.
    QCoro::Task<void> load();
    // Writes the file and takes the settings at once; the reason when the file cannot be written.
    QCoro::Task<std::optional<QString>> save(Settings settings);

Q_SIGNALS:
    void changed(const Settings &previous);

private:
    QCoro::Task<void> reread();
    void take(const Settings &settings);
    void watchWhatExists();

    QString m_path;
    Settings m_settings;
    QStringList m_problemsSaid; // said once, until the file says something else
    QFileSystemWatcher m_watcher;
    QTimer m_settle; // an editor's save comes as a burst of changes
};
