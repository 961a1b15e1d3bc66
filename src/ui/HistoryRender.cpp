#include "HistoryRender.h"

#include "RenderHarness.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>

#include <cstdio>

using namespace Qt::StringLiterals;

std::optional<std::variant<HistoryRender::Request, QString>>
HistoryRender::requestFromArguments(const QStringList &arguments)
{
    const qsizetype at = arguments.indexOf(u"--render-history"_s);
    if (at < 0)
        return std::nullopt;
    Request request;
    if (at + 1 >= arguments.size() || arguments[at + 1].startsWith(u"--"_s))
        return QCoreApplication::translate("HistoryRender", "--render-history needs the path of the PNG file to write");
    request.outputPath = arguments[at + 1].toLatin1();
    if (const qsizetype daysAt = arguments.indexOf(u"--days"_s); daysAt >= 0) {
        const std::optional<int> days = HistoryReader::daysFromText(arguments.value(daysAt + 1));
        if (!days)
            return QCoreApplication::translate("HistoryReader", HistoryReader::daysRule);
        request.days = *days;
    }
    return request;
}

int HistoryRender::run(const Request &request, const QString &databasePath)
{
    const QDateTime end = QDateTime::currentDateTimeUtc();
    HistoryReader::Lines lines = HistoryReader::readLines(databasePath, end.addDays(-request.days), end,
                                                          HistoryChart::columnsFor(imageSize, 1));
    if (lines.error) {
        const QString message = QCoreApplication::translate("HistoryRender", "cannot read the history: %1");
        std::fprintf(stderr, "tidemarker: %s\n", qUtf8Printable(message.arg(*lines.error)));
        return 1;
    }
    HistoryChart chart;
    chart.setLines(std::move(lines), end, request.days);
    return RenderHarness::writePng(chart.image(imageSize, 1, QGuiApplication::palette()), request.outputPath);
}
