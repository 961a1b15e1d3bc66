#include "PaceAlerts.h"

#include "DurationText.h"
#include "GaugeIconRenderer.h"
#include "HistoryRecorder.h"
#include "LocalNumberText.h"
#include "SettingsFile.h"
#include "StoredText.h"
#include "UsageStore.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

using Alert = PaceForecast::Alert;

// The one bubble all alerts share.
const QString notificationKey = u"pace-alerts"_s;

// "Claude Weekly", "Claude · work Fable weekly".
QString windowName(const ProviderResult &result, const UsageWindow &window)
{
    return result.displayName() + u' ' + window.displayLabel();
}

// An account's windows go by its key, which its label and place in the list leave alone.
QString alertKey(const QString &account, const QString &windowId)
{
    return account + u'/' + windowId;
}

QString alertKey(const ProviderResult &result, const UsageWindow &window)
{
    return alertKey(result.account.key(), window.id());
}

// The window rule keeps the share within 0 to 100.
qint64 percentLeft(const UsageWindow &window)
{
    return std::lround(window.remainingPercent);
}

QString summaryText(const QString &windowName, const UsageWindow &window, const PaceForecast &forecast, Alert alert)
{
    if (alert == Alert::nearlyUsed)
        return QCoreApplication::translate("PaceAlerts", "%1 is %2 used").arg(windowName, LocalNumberText::wholePercent(100 - percentLeft(window)));
    // "under 1 min" is already a bound, not a figure to be "about".
    const QString when = compactDuration(forecast.secondsToRunout);
    if (when == compactDuration(0))
        return QCoreApplication::translate("PaceAlerts", "%1 will run out in %2").arg(windowName, when);
    return QCoreApplication::translate("PaceAlerts", "%1 will run out in about %2").arg(windowName, when);
}

QString bodyText(const UsageWindow &window, const PaceForecast &forecast)
{
    const QString state = QCoreApplication::translate("PaceAlerts", "%1 left, resets in %2")
                              .arg(LocalNumberText::wholePercent(percentLeft(window)),
                                   compactDuration(forecast.secondsToReset));
    if (percentLeft(window) == 0 || !forecast.canJudge())
        return state;
    if (!forecast.runsOutBeforeReset())
        return state + QCoreApplication::translate("PaceAlerts", "; at this pace it lasts until the reset");
    return state
        + QCoreApplication::translate("PaceAlerts", "; at this pace it is used up %1 before the reset")
              .arg(compactDuration(forecast.secondsToReset - forecast.secondsToRunout));
}

PaceAlert alertOn(const ProviderResult &result, const UsageWindow &window, const PaceForecast &forecast, Alert alert)
{
    const QString name = windowName(result, window);
    return {alertKey(result, window), name, alert, window.pressurePercent, summaryText(name, window, forecast, alert),
            bodyText(window, forecast), false, {result.provider, result.account.key(), window.id(), name}};
}

QString blockKey(const ProviderResult &result)
{
    return alertKey(result.account.key(), rawValue(result.provider) + u"_blocked"_s);
}

PaceAlert blockedAlert(const ProviderResult &result, const QDateTime &now)
{
    const QString name = result.displayName();
    const Blocked &block = *result.blocked;
    return {blockKey(result), QCoreApplication::translate("PaceAlerts", "%1 blocked").arg(name), Alert::none, -100,
            QCoreApplication::translate("PaceAlerts", "%1 is blocked").arg(name) + block.untilText(now),
            QCoreApplication::translate("PaceAlerts", "The %1 is reached.").arg(StoredText::shown(block.reason)), true,
            {result.provider, result.account.key(), {}, name}};
}

QStringList windowIds(const QList<PaceAlert> &alerts)
{
    QStringList ids;
    for (const PaceAlert &alert : alerts)
        ids.append(alert.windowId);
    return ids;
}

QList<UsageWindow> windowsOf(const ProviderResult &result)
{
    return result.windows + result.extraWindows;
}

// "and 2 more limits need attention: Codex Weekly, Codex Quill-Preview 5h"; a long list names
// a few and counts the rest, so that the bubble stays short.
QString othersLine(const QList<PaceAlert> &others)
{
    QStringList names;
    for (const PaceAlert &alert : others.first(std::min(others.size(), PaceAlerts::namedOthers)))
        names.append(alert.windowName);
    const qsizetype unnamed = others.size() - names.size();
    const QString count = others.size() == 1
        ? QCoreApplication::translate("PaceAlerts", "and 1 more limit needs attention: %1")
        : QCoreApplication::translate("PaceAlerts", "and %n more limits need attention: %1", nullptr, int(others.size()));
    const QString rest = unnamed == 1 ? QCoreApplication::translate("PaceAlerts", " and 1 other")
                                      : QCoreApplication::translate("PaceAlerts", " and %n others", nullptr, int(unnamed));
    return count.arg(names.join(QCoreApplication::translate("PaceAlerts", ", "))) + (unnamed > 0 ? rest : QString());
}

// ", 4 more limits near": a banner of one line still says there are more.
QString moreNear(qsizetype others)
{
    if (others == 0)
        return {};
    return others == 1 ? QCoreApplication::translate("PaceAlerts", ", 1 more limit near")
                       : QCoreApplication::translate("PaceAlerts", ", %n more limits near", nullptr, int(others));
}

void sortByUrgency(QList<PaceAlert> &alerts)
{
    std::stable_sort(alerts.begin(), alerts.end(), [](const PaceAlert &a, const PaceAlert &b) {
        if (a.blocked != b.blocked)
            return a.blocked;
        return a.kind != b.kind ? a.kind > b.kind : a.pressurePercent < b.pressurePercent;
    });
}

} // namespace

PaceAlerts *PaceAlerts::watch(UsageStore &store, DesktopNotifier &notifier, HistoryRecorder &history,
                              const SettingsFile &settings)
{
    if (qEnvironmentVariable("TIDEMARKER_NOTIFY") == u"0")
        return nullptr;
    auto *alerts = new PaceAlerts(notifier, &store);
    connect(alerts, &PaceAlerts::given, &history, &HistoryRecorder::remember);
    const auto review = [alerts, &store, &settings] {
        if (settings.settings().alerts)
            alerts->review(store.status(), settings.settings().alertAtPercent / 100.0);
    };
    connect(&store, &UsageStore::refreshed, alerts, [review, &history] {
        if (history.isReady())
            review();
    });
    // A refresh that came first is reviewed once the memory is back; one still running, when it ends.
    const auto start = [alerts, review, &store, &history] {
        alerts->recall(history.recalledAlerts());
        if (!store.isRefreshing() && !store.status().results.isEmpty())
            review();
    };
    if (history.isReady())
        start();
    else
        connect(&history, &HistoryRecorder::ready, alerts, start);
    return alerts;
}

PaceAlerts::PaceAlerts(DesktopNotifier &notifier, QObject *parent)
    : QObject(parent)
    , m_notifier(&notifier)
{
    connect(&notifier, &DesktopNotifier::defaultActionInvoked, this, [this](const QString &key) {
        if (key == notificationKey)
            Q_EMIT historyWanted(m_shownFocus);
    });
}

QList<PaceAlert> PaceAlerts::takeDue(const UsageStatus &status, double nearlyUsedAt)
{
    QList<PaceAlert> due;
    for (const ProviderResult &result : status.results) {
        if (result.source != u"live")
            continue;
        for (const UsageWindow &window : windowsOf(result)) {
            const PaceForecast forecast = PaceForecast::of(window, status.generatedAt);
            const Alert alert = forecast.alert(nearlyUsedAt);
            Period &period = periodOf(alertKey(result, window), window);
            if (alert <= period.given)
                continue;
            period.given = alert;
            Q_EMIT given({window.id(), period.resetAt, alert, result.account.key()});
            due.append(alertOn(result, window, forecast, alert));
        }
    }
    return due;
}

PaceAlert PaceAlerts::gathered(QList<PaceAlert> alerts, QList<PaceAlert> holding)
{
    sortByUrgency(alerts);
    sortByUrgency(holding);
    PaceAlert first = alerts.takeFirst();
    const QList<PaceAlert> others = alerts + holding;
    first.summary += moreNear(others.size());
    if (!others.isEmpty())
        first.body += u'\n' + othersLine(others);
    return first;
}

void PaceAlerts::review(const UsageStatus &status, double nearlyUsedAt)
{
    QList<PaceAlert> due = takeNewBlocks(status) + takeDue(status, nearlyUsedAt);
    if (due.isEmpty() || !m_notifier)
        return;
    // The bubble it replaces is summed up by what is new in it.
    const QList<PaceAlert> holding = m_notifier->isShown(notificationKey) ? stillHolding(status, nearlyUsedAt, due)
                                                                          : QList<PaceAlert>();
    m_shownWindowIds = windowIds(due + holding);
    const PaceAlert bubble = gathered(due, holding);
    m_shownFocus = bubble.focus;
    m_notifier->notify(notificationKey, bubble.summary, bubble.body,
                       GaugeIconRenderer::image(status, imageScale), tr("Show history"));
}

// Judged on whatever figures the snapshot has, cached ones too: they were told already.
QList<PaceAlert> PaceAlerts::stillHolding(const UsageStatus &status, double nearlyUsedAt,
                                          const QList<PaceAlert> &due) const
{
    const QStringList toldNow = windowIds(due);
    QList<PaceAlert> holding;
    for (const ProviderResult &result : status.results) {
        if (result.blocked && m_shownWindowIds.contains(blockKey(result)) && !toldNow.contains(blockKey(result)))
            holding.append(blockedAlert(result, status.generatedAt));
        for (const UsageWindow &window : windowsOf(result)) {
            const QString key = alertKey(result, window);
            if (!m_shownWindowIds.contains(key) || toldNow.contains(key))
                continue;
            const PaceForecast forecast = PaceForecast::of(window, status.generatedAt);
            if (const Alert alert = forecast.alert(nearlyUsedAt); alert != Alert::none)
                holding.append(alertOn(result, window, forecast, alert));
        }
    }
    return holding;
}

QList<PaceAlert> PaceAlerts::takeNewBlocks(const UsageStatus &status)
{
    QList<PaceAlert> due;
    for (const ProviderResult &result : status.results) {
        const QString key = blockKey(result);
        if (!result.blocked) {
            m_toldBlocks.remove(key);
        } else if (!m_toldBlocks.contains(key)) {
            m_toldBlocks.insert(key);
            due.append(blockedAlert(result, status.generatedAt));
        }
    }
    return due;
}

void PaceAlerts::recall(const QList<RememberedAlert> &told)
{
    for (const RememberedAlert &alert : told)
        m_periods.insert(alertKey(alert.account, alert.windowId), {alert.resetAt, alert.given});
}

PaceAlerts::Period &PaceAlerts::periodOf(const QString &key, const UsageWindow &window)
{
    Period &period = m_periods[key];
    if (!period.resetAt.isValid() || !window.resetAt.isValid()
        || std::abs(period.resetAt.secsTo(window.resetAt)) > resetJitterSeconds)
        period = {window.resetAt, Alert::none};
    return period;
}
