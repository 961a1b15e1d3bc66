#pragma once

#include <QSqlError>
#include <QString>

#include <optional>
#include <variant>

class HistoryConnection;

// The history file's tables, version by version.
namespace HistorySchema {

// Takes the file from the version it has to the one this program writes, in one transaction.
std::optional<QSqlError> migrate(HistoryConnection &connection);

// The tables' columns ("table.column") that the file's version has and the file lacks: a file
// that says a version it does not have can only be started afresh.
std::variant<QStringList, QSqlError> missingColumns(HistoryConnection &connection);

// The statement that adds the samples matching the condition (of columns of samples, with its
// own bound values) to the hours' roll-up, merged with the hours already there.
QString rollUp(const QString &samplesWhere);
// The statement that adds one sample to its hour: window, hour, time, share, time, share, reset,
// window's length, share, share.
QString addToHour();

// Hours since 1970 as the roll-up keys them.
inline constexpr qint64 hourMilliseconds = 3'600'000;

} // namespace HistorySchema
