#pragma once

#include "HistoryRow.h"

#include <QByteArray>
#include <QString>

#include <optional>

// tidemarker-status --history: the record as CSV (a header, then a row a line) or as a JSON
// array, oldest first, read straight from the file and written as it is read.
namespace HistoryExport {

enum class Format { csv, json };

struct Request {
    Format format = Format::csv;
    std::optional<int> days; // none: everything kept
};

std::optional<Format> formatFromName(const QString &name);

// The pieces of the text: what comes before the rows, each row (first says whether it is the
// first one), and what comes after them. With accounts, each row says its account: empty (null)
// for each provider's first.
QByteArray opening(Format format, bool withAccounts = false);
QByteArray rowText(Format format, const HistoryRow &row, bool first, bool withAccounts = false);
QByteArray closing(Format format);

// Prints the record; 0 when printed (an empty one when there is no file yet), 1 with a line on
// standard error when the file cannot be read or the output written.
int run(const Request &request, const QString &path);

} // namespace HistoryExport
