#pragma once

#include "HistoryChart.h"

#include <QByteArray>
#include <QStringList>

#include <optional>
#include <variant>

// tidemarker --render-history PATH [--days N]: the chart of the record as a PNG, drawn off-screen.
namespace HistoryRender {

inline constexpr QSize imageSize{960, 600};

struct Request {
    QByteArray outputPath; // as the command line gives it
    int days = HistoryChart::defaultDays;
};

// From arguments of one character per byte: the request, or what is wrong with it; nothing
// without the switch.
std::optional<std::variant<Request, QString>> requestFromArguments(const QStringList &arguments);

// Reads the record and writes the chart; the exit status, 0 when written.
int run(const Request &request, const QString &databasePath);

} // namespace HistoryRender
