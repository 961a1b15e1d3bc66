#pragma once

#include "HistoryRow.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// Reads the record read-only, from any thread: each call opens and closes a connection of its
// own, and works whether or not Tidemarker is writing at the time.
namespace HistoryReader {

struct Record {
    std::optional<QString> error; // the file is there but cannot be read
    bool anything = false;        // a row at all, also before the period asked for
    QList<HistoryRow> rows;       // window after window, each in time order
};

// The rows fetched at or after since; no file is an empty record.
Record read(const QString &path, const QDateTime &since);

// The period of --days: a whole number, 1 or more; nothing for other text.
std::optional<int> daysFromText(const QString &text);
inline constexpr char daysRule[] = "--days takes a whole number of days, 1 or more";

} // namespace HistoryReader
