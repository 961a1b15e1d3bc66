#include "HistoryExport.h"

#include "HistoryReader.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Rows gather here and go out in pieces of this size.
constexpr qsizetype outputChunk = 256 * 1024;

QJsonValue timeOrNull(const QDateTime &time)
{
    return time.isValid() ? QJsonValue(time.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue();
}

QByteArray jsonRow(const HistoryRow &row)
{
    return QJsonDocument(QJsonObject{{u"fetchedAt"_s, timeOrNull(row.fetchedAt)},
                                     {u"provider"_s, rawValue(row.provider)},
                                     {u"id"_s, row.windowId},
                                     {u"name"_s, row.name},
                                     {u"usedPercent"_s, row.usedPercent},
                                     {u"resetAt"_s, timeOrNull(row.resetAt)},
                                     {u"limitWindowSeconds"_s, row.limitWindowSeconds}})
        .toJson(QJsonDocument::Compact);
}

// Quoted only where a field needs it, doubling its quotes.
QString csvField(const QString &field)
{
    if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n'))
        return field;
    return u'"' + QString(field).replace(u"\""_s, u"\"\""_s) + u'"';
}

// As written, never with an exponent: 2592000, 20.5.
QString plainNumber(double value)
{
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QByteArray csvRow(const HistoryRow &row)
{
    const QStringList fields{timeOrNull(row.fetchedAt).toString(), rawValue(row.provider), csvField(row.windowId),
                             csvField(row.name), plainNumber(row.usedPercent), timeOrNull(row.resetAt).toString(),
                             plainNumber(row.limitWindowSeconds)};
    return (fields.join(u',') + u'\n').toUtf8();
}

bool print(const QByteArray &text)
{
    return std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size());
}

} // namespace

std::optional<HistoryExport::Format> HistoryExport::formatFromName(const QString &name)
{
    if (name == u"csv")
        return Format::csv;
    if (name == u"json")
        return Format::json;
    return std::nullopt;
}

QByteArray HistoryExport::opening(Format format)
{
    return format == Format::csv ? "fetched_at,provider,id,name,used_percent,reset_at,limit_window_seconds\n" : "[";
}

QByteArray HistoryExport::rowText(Format format, const HistoryRow &row, bool first)
{
    if (format == Format::csv)
        return csvRow(row);
    return first ? jsonRow(row) : ',' + jsonRow(row);
}

QByteArray HistoryExport::closing(Format format)
{
    return format == Format::csv ? QByteArray() : "]\n";
}

int HistoryExport::run(const Request &request, const QString &path)
{
    const QDateTime since = request.days
        ? QDateTime::currentDateTimeUtc().addDays(-*request.days)
        : QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    QByteArray pending = opening(request.format);
    bool first = true;
    bool written = true;
    const std::optional<QString> error = HistoryReader::forEachRow(path, since, [&](const HistoryRow &row) {
        pending += rowText(request.format, row, std::exchange(first, false));
        if (pending.size() >= outputChunk) {
            written = print(pending);
            pending.clear();
        }
        return written;
    });
    if (error) {
        std::fprintf(stderr, "tidemarker-status: cannot read the history: %s\n", qUtf8Printable(*error));
        return 1;
    }
    return written && print(pending + closing(request.format)) && std::fflush(stdout) == 0 ? 0 : 1;
}
