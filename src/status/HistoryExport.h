#pragma once

#include "HistoryRow.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// tidemarker-status --history: the record as CSV (a header, then a row a line) or as a JSON
// array, oldest first, read straight from the file.
namespace HistoryExport {

enum class Format { csv, json };

struct Request {
    Format format = Format::csv;
    std::optional<int> days; // none: everything kept
};

std::optional<Format> formatFromName(const QString &name);
QByteArray text(Format format, QList<HistoryRow> rows);

// Prints the record; 0 when printed (an empty one when there is no file yet), 1 with a line on
// standard error when the file cannot be read.
int run(const Request &request, const QString &path);

} // namespace HistoryExport
