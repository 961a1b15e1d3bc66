#include "HistoryExport.h"

#include "HistoryReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QJsonValue timeOrNull(const QDateTime &time)
{
    return time.isValid() ? QJsonValue(time.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue();
}

// Only a record of several accounts names them: null (or empty) for each provider's first.
bool namesAccounts(const QList<HistoryRow> &rows)
{
    return std::ranges::any_of(rows, [](const HistoryRow &row) { return !row.account.isEmpty(); });
}

QByteArray json(const QList<HistoryRow> &rows)
{
    const bool withAccounts = namesAccounts(rows);
    QJsonArray array;
    for (const HistoryRow &row : rows) {
        QJsonObject object{{u"fetchedAt"_s, timeOrNull(row.fetchedAt)},
                           {u"provider"_s, rawValue(row.provider)},
                           {u"id"_s, row.windowId},
                           {u"name"_s, row.name},
                           {u"usedPercent"_s, row.usedPercent},
                           {u"resetAt"_s, timeOrNull(row.resetAt)},
                           {u"limitWindowSeconds"_s, row.limitWindowSeconds}};
        if (withAccounts)
            object.insert(u"account"_s, row.account.isEmpty() ? QJsonValue() : QJsonValue(row.account));
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact) + '\n';
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

QByteArray csv(const QList<HistoryRow> &rows)
{
    const bool withAccounts = namesAccounts(rows);
    QString text = withAccounts ? u"fetched_at,provider,account,id,name,used_percent,reset_at,limit_window_seconds\n"_s
                                : u"fetched_at,provider,id,name,used_percent,reset_at,limit_window_seconds\n"_s;
    for (const HistoryRow &row : rows) {
        QStringList fields{timeOrNull(row.fetchedAt).toString(), rawValue(row.provider),
                           csvField(row.windowId), csvField(row.name),
                           plainNumber(row.usedPercent), timeOrNull(row.resetAt).toString(),
                           plainNumber(row.limitWindowSeconds)};
        if (withAccounts)
            fields.insert(2, csvField(row.account));
        text += fields.join(u',') + u'\n';
    }
    return text.toUtf8();
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

QByteArray HistoryExport::text(Format format, QList<HistoryRow> rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const HistoryRow &a, const HistoryRow &b) {
        return a.fetchedAt < b.fetchedAt;
    });
    return format == Format::csv ? csv(rows) : json(rows);
}

int HistoryExport::run(const Request &request, const QString &path)
{
    const QDateTime since = request.days
        ? QDateTime::currentDateTimeUtc().addDays(-*request.days)
        : QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    const HistoryReader::Record record = HistoryReader::read(path, since);
    if (record.error) {
        std::fprintf(stderr, "tidemarker-status: cannot read the history: %s\n", qUtf8Printable(*record.error));
        return 1;
    }
    const QByteArray printed = text(request.format, record.rows);
    return std::fwrite(printed.constData(), 1, size_t(printed.size()), stdout) == size_t(printed.size())
            && std::fflush(stdout) == 0
        ? 0
        : 1;
}
