#pragma once

#include "Account.h"

#include <QSqlError>
#include <QString>

#include <functional>
#include <optional>
#include <variant>

class HistoryConnection;

// The history file's tables, version by version.
namespace HistorySchema {

// The accounts the settings list now, asked only when a file of an earlier version is brought up
// to date, to give its rows their accounts' folders.
using AccountsLister = std::function<QList<Account>()>;

// Takes the file from the version it has to the one this program writes, in one transaction.
std::optional<QSqlError> migrate(HistoryConnection &connection, const AccountsLister &accounts = &Account::defaults);

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
