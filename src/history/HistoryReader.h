#pragma once

#include "HistoryRow.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Reads the record read-only, from any thread: each call opens and closes a connection of its
// own, and works whether or not Tidemarker is writing at the time. Nothing is read whole: the
// export takes rows as they come, the chart what SQLite sums up per pixel column.
namespace HistoryReader {

// Hands each row fetched at or after since to take, oldest first (rows of one moment in the
// order of their windows), until take says false; the reason when the file cannot be read.
// No file is an empty record.
std::optional<QString> forEachRow(const QString &path, const QDateTime &since,
                                  const std::function<bool(const HistoryRow &)> &take);

// What one pixel column of the chart needs of one window.
struct Column {
    QDateTime firstAt;
    double first = 0;
    QDateTime lastAt;
    double last = 0;
    double low = 0;
    double high = 0;
    QDateTime resetAt; // of the last row: invalid when the service gave none
    double limitWindowSeconds = 0;
};

// A window's columns, in time order; columns without rows are left out.
struct Line {
    Provider provider = Provider::codex;
    QString windowId;
    QString name;
    QList<Column> columns;
    QString account{}; // as HistoryRow::account
    QString label{};   // as HistoryRow::label
};

struct Lines {
    std::optional<QString> error; // the file is there but cannot be read
    bool anything = false;        // a row at all, also before the period asked for
    QList<Line> lines;            // in the order the windows were first seen
};

// The period from start to end cut into the given number of equal columns.
Lines readLines(const QString &path, const QDateTime &start, const QDateTime &end, int columns);

// Whether the record holds rows of an account with a label, which only one of several has;
// false also when it cannot be read.
bool namesAccounts(const QString &path);

// The period of --days: a whole number, 1 or more; nothing for other text.
std::optional<int> daysFromText(const QString &text);
inline constexpr char daysRule[] = QT_TRANSLATE_NOOP("HistoryReader", "--days takes a whole number of days, 1 or more");

} // namespace HistoryReader
