#include "ProviderDetailLines.h"

#include "MoneyText.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

using namespace Qt::StringLiterals;

namespace ProviderDetailLines {

namespace {

const QString indent = u"    "_s;

// Whole units with the user's grouping, and cents only where there are some.
QString creditsText(const Credits &credits)
{
    if (credits.unlimited || !credits.balance)
        return u"unlimited"_s;
    const double balance = *credits.balance;
    const double cents = std::abs(balance) < 1e15 ? std::round(balance * 100) / 100 : balance;
    return QLocale().toString(cents, 'f', QLocale::FloatingPointShortest) + u" left"_s;
}

QString moreLimitsText(int count)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return u"and %1 more limit%2"_s.arg(english.toString(count), count == 1 ? QString() : u"s"_s);
}

} // namespace

std::optional<Line> blocked(const ProviderResult &result, const QDateTime &now)
{
    if (!result.blocked)
        return std::nullopt;
    const Blocked &block = *result.blocked;
    return Line{u"blocked"_s, indent + u"Blocked"_s + block.untilText(now) + u" ("_s + block.reason + u')'};
}

std::optional<Line> weeklyByModel(const ProviderResult &result)
{
    if (result.weeklyByModel.isEmpty())
        return std::nullopt;
    QStringList shares;
    for (const ModelShare &share : result.weeklyByModel)
        shares.append(share.name + u' ' + QString::number(std::lround(share.percent)) + u'%');
    return Line{u"weekly-by-model"_s, indent + u"Weekly by model: "_s + shares.join(u" \u00B7 "_s)};
}

QList<Line> afterExtraWindows(const ProviderResult &result)
{
    QList<Line> lines;
    if (result.moreExtraLimits > 0)
        lines.append({u"more-limits"_s, indent + moreLimitsText(result.moreExtraLimits)});
    if (result.extraUsage)
        lines.append({u"extra-usage"_s, indent + u"Usage credits: "_s + extraUsageText(*result.extraUsage)});
    if (result.spend)
        lines.append({u"spend"_s, indent + u"Spend: "_s + extraUsageText(*result.spend)});
    if (result.credits)
        lines.append({u"credits"_s, indent + u"Credits: "_s + creditsText(*result.credits)});
    return lines;
}

} // namespace ProviderDetailLines
