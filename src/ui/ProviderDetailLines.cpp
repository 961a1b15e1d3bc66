#include "ProviderDetailLines.h"

#include "LocalNumberText.h"
#include "LocalTimeText.h"
#include "MoneyText.h"
#include "StoredText.h"

#include <QCoreApplication>
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
        return QCoreApplication::translate("ProviderDetailLines", "unlimited");
    const double balance = *credits.balance;
    const double cents = std::abs(balance) < 1e15 ? std::round(balance * 100) / 100 : balance;
    const QString amount = LocalNumberText::locale().toString(cents, 'f', QLocale::FloatingPointShortest);
    return QCoreApplication::translate("ProviderDetailLines", "%1 left").arg(amount);
}

QString moreLimitsText(int count)
{
    if (count == 1)
        return QCoreApplication::translate("ProviderDetailLines", "and 1 more limit");
    return QCoreApplication::translate("ProviderDetailLines", "and %1 more limits", nullptr, count)
        .arg(LocalNumberText::whole(count));
}

// "Resets banked: 2 · next expires 18 Jul"
QString resetCreditsText(const ResetCredits &credits)
{
    const QString count = QCoreApplication::translate("ProviderDetailLines", "Resets banked: %1").arg(LocalNumberText::whole(credits.available));
    if (!credits.nextExpiry.isValid())
        return count;
    return count + QCoreApplication::translate("ProviderDetailLines", " · next expires %1").arg(LocalTimeText::date(credits.nextExpiry));
}

} // namespace

std::optional<Line> blocked(const ProviderResult &result, const QDateTime &now)
{
    if (!result.blocked)
        return std::nullopt;
    const Blocked &block = *result.blocked;
    return Line{u"blocked"_s, indent + QCoreApplication::translate("ProviderDetailLines", "Blocked") + block.untilText(now) + u" ("_s
                                  + StoredText::shown(block.reason) + u')'};
}

std::optional<Line> weeklyByModel(const ProviderResult &result)
{
    if (result.weeklyByModel.isEmpty())
        return std::nullopt;
    QStringList shares;
    for (const ModelShare &share : result.weeklyByModel)
        shares.append(share.name + u' ' + LocalNumberText::wholePercent(std::lround(share.percent)));
    return Line{u"weekly-by-model"_s, indent + QCoreApplication::translate("ProviderDetailLines", "Weekly by model: %1").arg(shares.join(u" · "_s))};
}

QList<Line> afterExtraWindows(const ProviderResult &result)
{
    QList<Line> lines;
    if (result.moreExtraLimits > 0)
        lines.append({u"more-limits"_s, indent + moreLimitsText(result.moreExtraLimits)});
    if (result.extraUsage)
        lines.append({u"extra-usage"_s, indent + QCoreApplication::translate("ProviderDetailLines", "Usage credits: %1").arg(extraUsageText(*result.extraUsage))});
    if (result.spend)
        lines.append({u"spend"_s, indent + QCoreApplication::translate("ProviderDetailLines", "Spend: %1").arg(extraUsageText(*result.spend))});
    if (result.credits)
        lines.append({u"credits"_s, indent + QCoreApplication::translate("ProviderDetailLines", "Credits: %1").arg(creditsText(*result.credits))});
    if (result.resetCredits)
        lines.append({u"reset-credits"_s, indent + resetCreditsText(*result.resetCredits)});
    return lines;
}

} // namespace ProviderDetailLines
