#pragma once

#include "Account.h"
#include "LogFolder.h"
#include "UsageModels.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>
#include <variant>

// A provider's window, for which the logs' use is added up.
struct BreakdownWindow {
    Provider provider = Provider::claude;
    Account account; // its index rows are its key()'s; the JSON names its label
    QString id;
    QString label;
    QDateTime start;
    QDateTime end;
    std::optional<double> usedPercent; // as the snapshot gives it; none: not known

    // The 5-hour and weekly windows of each provider the snapshot holds whose use some log shows,
    // in its order.
    static QList<BreakdownWindow> ofStatus(const UsageStatus &status);
    bool operator==(const BreakdownWindow &) const = default;
};

// Where each window's use went, from the index in the history file: by project, largest first,
// each split by model.
namespace BreakdownQuery {

// The index counts per minute: a request counts towards a window when its minute lies in the
// window's [start, end), its start taken to the minute. It also adds them up per hour, which
// the whole hours inside a window are read from.
inline constexpr qint64 minuteSeconds = 60;
inline constexpr qint64 hourSeconds = 3600;
// The start of the minute, or hour, that a time after 1970 lies in.
constexpr qint64 minuteOf(qint64 seconds) { return seconds / minuteSeconds * minuteSeconds; }
constexpr qint64 hourOf(qint64 seconds) { return seconds / hourSeconds * hourSeconds; }

// What one window's answer holds at most, whatever the logs hold, so that an answer for every
// window of every account stays a few MiB, far below the 128 MiB a bus message may have: the
// largest projects, then "others" adding up the rest; in each the largest models, then
// otherModels; folders cut with "…", names as the snapshot's are.
inline constexpr qsizetype maxProjects = 50;
inline constexpr qsizetype maxModels = 8;
inline constexpr qsizetype maxFolderLength = 256;
inline const QString otherModels = QStringLiteral("other models");

// The Breakdown JSON, or why the history file could not be read; the folders are those read.
// Runs on any thread.
std::variant<QJsonObject, QString> read(const QString &databasePath, const QList<BreakdownWindow> &windows,
                                        const QList<LogFolder> &folders, const QDateTime &now);
// The Breakdown JSON while a long reading of the logs runs: how far it has come, and no figures,
// which would be those of the files read so far.
QJsonObject whileReading(int percent, const QDateTime &now);
// A project's name: its folder's last part, cleaned and cut as the snapshot's names are.
QString projectName(const QString &project);

} // namespace BreakdownQuery
