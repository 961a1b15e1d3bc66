#include "BreakdownText.h"

#include "LocalNumberText.h"
#include "OutsideText.h"
#include "StoredText.h"
#include "UsageModels.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString percent(double share)
{
    return LocalNumberText::wholePercent(std::lround(share));
}

QString figures(const QJsonObject &window)
{
    const QJsonArray projects = window.value(u"projects"_s).toArray();
    QStringList parts;
    double others = 0;
    for (qsizetype i = 0; i < projects.size(); ++i) {
        const QJsonObject project = projects.at(i).toObject();
        if (i < BreakdownText::namedProjects)
            parts.append(OutsideText::name(project.value(u"name"_s).toString()) + u' '
                         + percent(project.value(u"share"_s).toDouble()));
        else
            others += project.value(u"share"_s).toDouble();
    }
    if (projects.size() > BreakdownText::namedProjects)
        parts.append(QCoreApplication::translate("BreakdownText", "others %1").arg(percent(others)));
    return parts.isEmpty() ? QCoreApplication::translate("BreakdownText", "no logged use") : parts.join(u" · "_s);
}

} // namespace

QStringList BreakdownText::lines(const QJsonObject &breakdown)
{
    if (const QJsonValue reading = breakdown.value(u"reading"_s); reading.isDouble())
        return {readingText(reading.toInt())};
    QStringList lines;
    for (const QJsonValue &providerValue : breakdown.value(u"providers"_s).toArray()) {
        const QJsonObject provider = providerValue.toObject();
        const QString unknown = keepsNoLogsText(provider);
        for (const QJsonValue &windowValue : provider.value(u"windows"_s).toArray()) {
            const QJsonObject window = windowValue.toObject();
            lines.append(providerName(provider) + u' ' + StoredText::shown(OutsideText::name(window.value(u"label"_s).toString())) + u": "_s
                         + (unknown.isEmpty() ? figures(window) : unknown));
        }
    }
    return lines;
}

QString BreakdownText::readingText(int percent)
{
    return QCoreApplication::translate("BreakdownText", "reading the assistants' logs: %1 %").arg(LocalNumberText::whole(percent));
}

QString BreakdownText::keepsNoLogsText(const QJsonObject &provider)
{
    if (!provider.value(u"keepsNoLogs"_s).toBool())
        return {};
    // Only Claude Code can be set so.
    return QCoreApplication::translate("BreakdownText", "Claude Code is set to keep no transcripts, so where the usage went is unknown");
}

QString BreakdownText::providerName(const QJsonObject &provider)
{
    const QString raw = provider.value(u"provider"_s).toString();
    const std::optional<Provider> known = providerFromRawValue(raw);
    QString name = known ? displayName(*known) : OutsideText::name(raw);
    if (const QString account = OutsideText::name(provider.value(u"account"_s).toString()); !account.isEmpty())
        name += u" \u00B7 "_s + account;
    return name;
}
