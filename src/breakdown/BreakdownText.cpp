#include "BreakdownText.h"

#include "OutsideText.h"
#include "UsageModels.h"

#include <QJsonArray>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString percent(double share)
{
    return QString::number(std::lround(share)) + u'%';
}

QString windowLine(const QString &provider, const QJsonObject &window)
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
        parts.append(u"others "_s + percent(others));
    const QString label = OutsideText::name(window.value(u"label"_s).toString());
    return provider + u' ' + label + u": "_s + (parts.isEmpty() ? u"no logged use"_s : parts.join(u" \u00b7 "_s));
}

} // namespace

QStringList BreakdownText::lines(const QJsonObject &breakdown)
{
    QStringList lines;
    for (const QJsonValue &providerValue : breakdown.value(u"providers"_s).toArray()) {
        const QJsonObject provider = providerValue.toObject();
        for (const QJsonValue &window : provider.value(u"windows"_s).toArray())
            lines.append(windowLine(providerName(provider), window.toObject()));
    }
    return lines;
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
