#pragma once

#include "DesktopNotifier.h"
#include "HistoryFocus.h"
#include "HistoryRow.h"
#include "PaceForecast.h"
#include "UsageModels.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

class HistoryRecorder;
class SettingsFile;
class UsageStore;

// What one window calls for.
struct PaceAlert {
    QString windowId; // after its account's key and a "/"
    QString windowName;
    PaceForecast::Alert kind = PaceForecast::Alert::none;
    double pressurePercent = 0;
    QString summary;
    QString body;
    bool blocked = false; // the service refuses the account: told before any pace
    HistoryFocus focus{}; // what a click on the bubble opens the History window on
};

// Tells the user, once per window period, that a window will run out well before it resets,
// and again when it is nearly used up. Only figures fetched just now count, never cached ones.
// What has been told is kept in the history, so that a restart does not tell it again. It also
// tells, once each time, that the service refuses an account (this run only). All
// that a refresh tells goes in one bubble, which replaces the one still shown, so that a
// desktop that keeps few bubbles per program keeps the latest picture.
class PaceAlerts : public QObject
{
    Q_OBJECT
public:
    // Providers work the reset moment out afresh on every call; a real reset moves it by a
    // whole window.
    static constexpr qint64 resetJitterSeconds = 300;
    // 66 pixels square, about what desktops show beside a notification.
    static constexpr qreal imageScale = 3;
    // The bubble's last line names this many of the other alerts and counts the rest.
    static constexpr qsizetype namedOthers = 3;

    // Reviews every snapshot the store publishes, for as long as the store lives, and shows
    // the alerts through the notifier while the settings want them; starts once the history has
    // recalled what was told before, and keeps there what it tells. Does nothing when
    // TIDEMARKER_NOTIFY is 0, and then returns null.
    static PaceAlerts *watch(UsageStore &store, DesktopNotifier &notifier, HistoryRecorder &history,
                             const SettingsFile &settings);

    explicit PaceAlerts(DesktopNotifier &notifier, QObject *parent = nullptr);

    // The alerts the snapshot calls for that were not given yet in their window's period;
    // from now on they count as given.
    QList<PaceAlert> takeDue(const UsageStatus &status, double nearlyUsedAt = PaceForecast::nearlyUsedShare);
    // One bubble's texts for several alerts: the most pressing new one's (blocked, then nearly
    // used up before running out, then the lowest pressure), its summary counting the others and
    // a last line naming them, those still holding from an earlier bubble after the new ones.
    static PaceAlert gathered(QList<PaceAlert> alerts, QList<PaceAlert> holding = {});
    // Shows what takeDue finds in one bubble, with the gauge as the image, together with the
    // alerts of the bubble it replaces that still hold.
    void review(const UsageStatus &status, double nearlyUsedAt = PaceForecast::nearlyUsedShare);
    // What an earlier run had told, as the history recalls it.
    void recall(const QList<RememberedAlert> &told);

Q_SIGNALS:
    // takeDue counted an alert as given.
    void given(const RememberedAlert &alert);
    // The user clicked the bubble, which leads with that window.
    void historyWanted(const HistoryFocus &focus);

private:
    struct Period {
        QDateTime resetAt;
        PaceForecast::Alert given = PaceForecast::Alert::none;
    };
    // By the window's key as PaceAlert::windowId has it.
    Period &periodOf(const QString &key, const UsageWindow &window);
    QList<PaceAlert> stillHolding(const UsageStatus &status, double nearlyUsedAt,
                                  const QList<PaceAlert> &due) const;
    // "Claude is blocked until 21:50" for each account newly refused; one no longer refused
    // may be told again.
    QList<PaceAlert> takeNewBlocks(const UsageStatus &status);

    QHash<QString, Period> m_periods; // by PaceAlert::windowId
    QStringList m_shownWindowIds; // those the bubble last sent speaks of
    HistoryFocus m_shownFocus;    // the window it leads with
    QSet<QString> m_toldBlocks; // the accounts refused since they were told so, by their alert's windowId
    QPointer<DesktopNotifier> m_notifier; // the program's one, shared with sign-in
};
