#include "StatusFormat.h"

#include "DurationText.h"
#include "LocalNumberText.h"
#include "OutsideText.h"
#include "StoredText.h"
#include "UsageSnapshotJson.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QStringList>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace StatusFormat {

namespace {

// A share is 0 to 100 by construction; anything else, NaN included, is pinned into that range.
int wholePercent(double percent)
{
    if (!(percent > 0))
        return 0;
    return percent >= 100 ? 100 : int(std::lround(percent));
}

// "(cached)" after a failed fetch; figures kept only because the Claude calls are spaced out
// say how old they are.
QString cachedMark(const ProviderResult &result, const QDateTime &now)
{
    if (result.source != u"cached")
        return {};
    if (result.lastFetchFailed)
        return QCoreApplication::translate("StatusFormat", " (cached)");
    // Figures of the last minute are as good as new.
    const double age = double(result.fetchedAt.msecsTo(now)) / 1000;
    return age < 60 ? QString() : QCoreApplication::translate("StatusFormat", " (%1)").arg(asOfText(age));
}

// A status bar shows the limit that binds, which may be one of the extra windows.
std::optional<UsageWindow> worstOf(const ProviderResult &result)
{
    return UsageStatus{{}, {result}}.worst();
}

// Spaces part the figures: "Claude·work".
QString accountName(const ProviderResult &result)
{
    return Account{result.provider, {}, result.account.label}.compactName();
}

// "Claude blocked until 21:50": refused, the figures say nothing that counts.
QString blockedText(const ProviderResult &result, const QDateTime &now)
{
    return QCoreApplication::translate("StatusFormat", "%1 blocked").arg(accountName(result)) + result.blocked->untilText(now);
}

QString providerText(const ProviderResult &result, const QDateTime &now)
{
    if (result.blocked)
        return blockedText(result, now);
    const QString name = accountName(result);
    const auto worst = worstOf(result);
    if (!worst)
        return (result.needsAuth ? QCoreApplication::translate("StatusFormat", "%1 signed out") : QCoreApplication::translate("StatusFormat", "%1 unavailable")).arg(name);
    // One arg() call: a second one would read a "%2" in a name as its own.
    return QCoreApplication::translate("StatusFormat", "%1 %2 %3 %4%5")
        .arg(name, worst->displayLabel(), LocalNumberText::wholePercent(wholePercent(worst->remainingPercent)),
             worst->pressureDisplay(), cachedMark(result, now));
}

QStringList tooltipLines(const ProviderResult &result, const QDateTime &now)
{
    const QString name = accountName(result);
    QStringList lines;
    if (result.blocked)
        lines.append(blockedText(result, now));
    if (result.windows.isEmpty())
        lines.append(name + u": "_s
                     + (result.error ? StoredText::shown(*result.error) : QCoreApplication::translate("StatusFormat", "usage unavailable")));
    for (const UsageWindow &window : result.windows + result.extraWindows) {
        const double secondsLeft = double(now.msecsTo(window.resetAt)) / 1000;
        lines.append(QCoreApplication::translate("StatusFormat", "%1 %2: %3 left, %4 %5, resets in %6%7").arg(
            name, window.displayLabel(), LocalNumberText::wholePercent(wholePercent(window.remainingPercent)),
            window.pressureDisplay(), window.pressureLabel().toLower(), compactDuration(secondsLeft), cachedMark(result, now)));
    }
    return lines;
}

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

std::optional<OutputFormat> formatFromName(const QString &name)
{
    if (name == u"text")
        return OutputFormat::text;
    if (name == u"json")
        return OutputFormat::json;
    if (name == u"waybar")
        return OutputFormat::waybar;
    return std::nullopt;
}

QString textLine(const UsageStatus &status, const QDateTime &now)
{
    if (status.results.isEmpty())
        return status.summary();
    QStringList parts;
    for (const ProviderResult &result : status.results)
        parts.append(providerText(result, now));
    return parts.join(u" \u00B7 "_s);
}

QJsonObject waybarObject(const UsageStatus &status, const QDateTime &now)
{
    QStringList tooltip;
    for (const ProviderResult &result : status.results)
        tooltip.append(tooltipLines(result, now));
    const auto worst = status.worst();
    const bool blocked
        = std::ranges::any_of(status.results, [](const ProviderResult &result) { return result.blocked.has_value(); });
    // waybar reads both as Pango markup; a limit's name in them is text.
    return {{u"text"_s, OutsideText::markup(textLine(status, now))},
            {u"tooltip"_s, OutsideText::markup(tooltip.isEmpty() ? status.summary() : tooltip.join(u'\n'))},
            {u"class"_s, blocked ? u"blocked"_s : worst ? worst->pressureLabel(Wording::english).toLower() : u"unavailable"_s},
            {u"percentage"_s, worst ? wholePercent(worst->remainingPercent) : 0}};
}

std::optional<QByteArray> line(OutputFormat format, const QByteArray &published, const QDateTime &now,
                               const QString &account)
{
    auto status = UsageSnapshotJson::fromText(published);
    if (!status)
        return std::nullopt;
    if (!account.isEmpty()) {
        status->results.removeIf([&account](const ProviderResult &result) { return result.account.label != account; });
        if (status->results.isEmpty())
            return QByteArray();
    }
    switch (format) {
    case OutputFormat::text:
        return OutsideText::terminalLine(textLine(*status, now));
    case OutputFormat::json:
        return UsageSnapshotJson::toText(*status);
    case OutputFormat::waybar:
        break;
    }
    return compact(waybarObject(*status, now));
}

QByteArray unavailableLine(OutputFormat format, const QString &reason)
{
    switch (format) {
    case OutputFormat::text:
        return reason.toUtf8();
    case OutputFormat::json:
        return "null";
    case OutputFormat::waybar:
        break;
    }
    return compact({{u"text"_s, reason}, {u"tooltip"_s, reason},
                    {u"class"_s, u"unavailable"_s}, {u"percentage"_s, 0}});
}

} // namespace StatusFormat
