#include "HistoryExport.h"

#include "HistoryReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <chrono>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Rows gather here and go out in pieces of this size.
constexpr qsizetype outputChunk = 256 * 1024;

// ISO 8601 in UTC with milliseconds, as Qt::ISODateWithMs writes it, at a fraction of its cost
// per row; empty for no time.
QByteArray isoTime(const QDateTime &time)
{
    using namespace std::chrono;
    if (!time.isValid())
        return {};
    const sys_time<milliseconds> at{milliseconds(time.toMSecsSinceEpoch())};
    const sys_days day = floor<days>(at);
    const year_month_day date(day);
    const hh_mm_ss clock(at - day);
    char text[40];
    const int length = std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                                     unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                                     int(clock.minutes().count()), int(clock.seconds().count()),
                                     int(clock.subseconds().count()));
    return QByteArray(text, length);
}

QJsonValue timeOrNull(const QDateTime &time)
{
    return time.isValid() ? QJsonValue(QString::fromLatin1(isoTime(time))) : QJsonValue();
}

// With accounts: the label the account was last seen with (null for none) and its folder (null
// for rows of an older record that no account listed since matched).
QByteArray jsonRow(const HistoryRow &row, bool withAccount)
{
    QJsonObject object{{u"fetchedAt"_s, timeOrNull(row.fetchedAt)},
                       {u"provider"_s, rawValue(row.provider)},
                       {u"id"_s, row.windowId},
                       {u"name"_s, row.name},
                       {u"usedPercent"_s, row.usedPercent},
                       {u"resetAt"_s, timeOrNull(row.resetAt)},
                       {u"limitWindowSeconds"_s, row.limitWindowSeconds}};
    if (withAccount) {
        object.insert(u"account"_s, row.label.isEmpty() ? QJsonValue() : QJsonValue(row.label));
        object.insert(u"folder"_s, QDir::isAbsolutePath(row.account) ? QJsonValue(row.account) : QJsonValue());
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Quoted only where a field needs it, doubling its quotes.
QByteArray csvField(const QString &field)
{
    if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n'))
        return field.toUtf8();
    return '"' + field.toUtf8().replace('"', "\"\"") + '"';
}

// As written, never with an exponent: 2592000, 20.5.
QByteArray plainNumber(double value)
{
    return QByteArray::number(value, 'f', QLocale::FloatingPointShortest);
}

QByteArray csvRow(const HistoryRow &row, bool withAccount)
{
    const QByteArray account = withAccount ? csvField(row.label) + ',' : QByteArray();
    return isoTime(row.fetchedAt) + ',' + rawValue(row.provider).toLatin1() + ',' + account + csvField(row.windowId)
        + ',' + csvField(row.name) + ',' + plainNumber(row.usedPercent) + ',' + isoTime(row.resetAt) + ','
        + plainNumber(row.limitWindowSeconds) + '\n';
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

QByteArray HistoryExport::opening(Format format, bool withAccounts)
{
    if (format == Format::json)
        return "[";
    return withAccounts ? "fetched_at,provider,account,id,name,used_percent,reset_at,limit_window_seconds\n"
                        : "fetched_at,provider,id,name,used_percent,reset_at,limit_window_seconds\n";
}

QByteArray HistoryExport::rowText(Format format, const HistoryRow &row, bool first, bool withAccounts)
{
    if (format == Format::csv)
        return csvRow(row, withAccounts);
    return first ? jsonRow(row, withAccounts) : ',' + jsonRow(row, withAccounts);
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
    // Only a record of several accounts names them.
    const bool withAccounts = HistoryReader::namesAccounts(path);
    QByteArray pending = opening(request.format, withAccounts);
    bool first = true;
    bool written = true;
    const std::optional<QString> error = HistoryReader::forEachRow(path, since, [&](const HistoryRow &row) {
        pending += rowText(request.format, row, std::exchange(first, false), withAccounts);
        if (pending.size() >= outputChunk) {
            written = print(pending);
            pending.clear();
        }
        return written;
    });
    if (error) {
        const QString message = QCoreApplication::translate("HistoryExport", "cannot read the history: %1");
        std::fprintf(stderr, "tidemarker-status: %s\n", qUtf8Printable(message.arg(*error)));
        return 1;
    }
    return written && print(pending + closing(request.format)) && std::fflush(stdout) == 0 ? 0 : 1;
}
