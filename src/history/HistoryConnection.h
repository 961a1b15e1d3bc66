#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <chrono>
#include <optional>

struct sqlite3;

// One connection to the history file, for the thread that makes it; closed and forgotten with
// the object. Qt SQL connections may not cross threads, so each user makes its own.
class HistoryConnection
{
public:
    enum class Mode { readOnly, readWrite };

    // The version of the tables this build writes; a file of a higher one is never touched.
    static constexpr int schemaVersion = 9;
    // The first version whose windows and alerts belong to accounts.
    static constexpr int accountsVersion = 3;
    // The first version that sums the samples up per hour.
    static constexpr int hoursVersion = 4;
    // The first version that knows accounts by their folders, with their labels beside.
    static constexpr int folderKeysVersion = 7;

    // $XDG_STATE_HOME/tidemarker/history.sqlite3, by default below ~/.local/state.
    static QString defaultPath();

    // How long a statement waits for another writer by default before it reports the file busy.
    static constexpr std::chrono::milliseconds defaultBusyTimeout{2000};

    HistoryConnection(const QString &path, Mode mode, std::chrono::milliseconds busyTimeout = defaultBusyTimeout);
    ~HistoryConnection();
    HistoryConnection(const HistoryConnection &) = delete;
    HistoryConnection &operator=(const HistoryConnection &) = delete;

    // Why the file cannot be used, or nothing: opened, and of a version this build reads.
    const std::optional<QString> &error() const { return m_error; }
    // Whether the error is that the file is damaged or no database at all.
    bool isCorrupt() const { return m_corrupt; }
    // Whether the error is only that another connection held the file: worth trying again.
    bool isBusy() const { return m_busy; }
    QSqlDatabase &database() { return m_database; }
    // PRAGMA user_version as found on opening: 0 for a new file.
    int version() const { return m_version; }

    // The SQLite handle under a Qt connection, or null where it is none.
    static sqlite3 *handleOf(QSqlDatabase &database);
    // A request logged for an account, known by the first 64 bits of a digest of the account and
    // the request's id; also as request_key(account, id) in the connection's SQL.
    static qint64 requestKey(QByteArrayView account, QByteArrayView id);

    // Runs statements that return nothing, in order, up to the first error.
    std::optional<QSqlError> execute(const QStringList &statements);

    // The text of an error with the file's name, as the user sees it.
    QString describe(const QSqlError &error) const;
    // SQLite's code for the file being no database, or a damaged one.
    static bool meansCorrupt(const QSqlError &error);
    // SQLite's code for another connection holding the file (busy, with any detail): a reason to
    // wait and try again, never a fault. "Locked" is a conflict within one connection, which
    // trying again does not mend.
    static bool meansBusy(const QSqlError &error);

private:
    void fail(const QSqlError &error);

    QString m_path;
    QString m_name;
    QSqlDatabase m_database;
    std::optional<QString> m_error;
    bool m_corrupt = false;
    bool m_busy = false;
    int m_version = 0;
};
