#include "PaceAlerts.h"

#include "DurationText.h"
#include "GaugeIconRenderer.h"
#include "HistoryRecorder.h"
#include "SettingsFile.h"
#include "UsageStore.h"

#include <cmath>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

using Alert = PaceForecast::Alert;

// "Claude Weekly", "Claude · work Fable weekly".
QString windowName(const ProviderResult &result, const UsageWindow &window)
{
    return result.displayName() + u' ' + window.displayLabel();
}

// The window rule keeps the share within 0 to 100.
qint64 percentLeft(const UsageWindow &window)
{
    return std::lround(window.remainingPercent);
}

QString summaryText(const QString &windowName, const UsageWindow &window, const PaceForecast &forecast, Alert alert)
{
    if (alert == Alert::nearlyUsed)
        return windowName + u" is "_s + QString::number(100 - percentLeft(window))
            + u"% used"_s;
    // "under 1 min" is already a bound, not a figure to be "about".
    const QString when = compactDuration(forecast.secondsToRunout);
    return windowName + u" will run out in "_s
        + (when.startsWith(u"under") ? when : u"about "_s + when);
}

QString bodyText(const UsageWindow &window, const PaceForecast &forecast)
{
    const QString state = QString::number(percentLeft(window)) + u"% left, resets in "_s
        + compactDuration(forecast.secondsToReset);
    if (percentLeft(window) == 0 || !forecast.canJudge())
        return state;
    if (!forecast.runsOutBeforeReset())
        return state + u"; at this pace it lasts until the reset"_s;
    return state + u"; at this pace it is used up "_s
        + compactDuration(forecast.secondsToReset - forecast.secondsToRunout)
        + u" before the reset"_s;
}

} // namespace

void PaceAlerts::watch(UsageStore &store, DesktopNotifier &notifier, HistoryRecorder &history,
                       const SettingsFile &settings)
{
    if (qEnvironmentVariable("TIDEMARKER_NOTIFY") == u"0")
        return;
    auto *alerts = new PaceAlerts(notifier, &store);
    connect(alerts, &PaceAlerts::given, &history, &HistoryRecorder::remember);
    const auto review = [alerts, &store, &settings] {
        if (settings.settings().alerts)
            alerts->review(store.status(), settings.settings().alertAtPercent / 100.0);
    };
    connect(&store, &UsageStore::statusChanged, alerts, [review, &history] {
        if (history.isReady())
            review();
    });
    // A refresh that came first is reviewed once the memory is back.
    const auto start = [alerts, review, &store, &history] {
        alerts->recall(history.recalledAlerts());
        if (!store.status().results.isEmpty())
            review();
    };
    if (history.isReady())
        start();
    else
        connect(&history, &HistoryRecorder::ready, alerts, start);
}

PaceAlerts::PaceAlerts(DesktopNotifier &notifier, QObject *parent)
    : QObject(parent)
    , m_notifier(&notifier)
{
}

QList<PaceAlert> PaceAlerts::takeDue(const UsageStatus &status, double nearlyUsedAt)
{
    QList<PaceAlert> due;
    for (const ProviderResult &result : status.results) {
        if (result.source != u"live")
            continue;
        for (const UsageWindow &window : result.windows + result.extraWindows) {
            const PaceForecast forecast = PaceForecast::of(window, status.generatedAt);
            const Alert alert = forecast.alert(nearlyUsedAt);
            const QString account = result.account.recordName();
            Period &period = periodOf(account, window);
            if (alert <= period.given)
                continue;
            period.given = alert;
            Q_EMIT given({window.id(), period.resetAt, alert, account});
            due.append({alertKey(account, window.id()), summaryText(windowName(result, window), window, forecast, alert),
                        bodyText(window, forecast)});
        }
    }
    return due;
}

void PaceAlerts::review(const UsageStatus &status, double nearlyUsedAt)
{
    const QList<PaceAlert> due = takeDue(status, nearlyUsedAt);
    if (due.isEmpty() || !m_notifier)
        return;
    const QImage gauge = GaugeIconRenderer::image(status, imageScale);
    for (const PaceAlert &alert : due)
        m_notifier->notify(alert.key, alert.summary, alert.body, gauge);
}

void PaceAlerts::recall(const QList<RememberedAlert> &told)
{
    for (const RememberedAlert &alert : told)
        m_periods.insert(alertKey(alert.account, alert.windowId), {alert.resetAt, alert.given});
}

// The first account's windows go by their ids alone, as before there were accounts.
QString PaceAlerts::alertKey(const QString &account, const QString &windowId)
{
    return account.isEmpty() ? windowId : account + u'/' + windowId;
}

PaceAlerts::Period &PaceAlerts::periodOf(const QString &account, const UsageWindow &window)
{
    Period &period = m_periods[alertKey(account, window.id())];
    if (!period.resetAt.isValid() || !window.resetAt.isValid()
        || std::abs(period.resetAt.secsTo(window.resetAt)) > resetJitterSeconds)
        period = {window.resetAt, Alert::none};
    return period;
}
