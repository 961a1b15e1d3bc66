#pragma once

#include <QSqlError>

#include <optional>

class HistoryConnection;

// The history file's tables, version by version.
namespace HistorySchema {

// Takes the file from the version it has to the one this program writes, in one transaction.
std::optional<QSqlError> migrate(HistoryConnection &connection);

} // namespace HistorySchema
