#pragma once

#include "DesktopNotifier.h"
#include "HistoryRow.h"
#include "PaceForecast.h"
#include "UsageModels.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class HistoryRecorder;
class SettingsFile;
class UsageStore;

// One bubble for the desktop.
struct PaceAlert {
    QString key; // the account's window, so that a later bubble for the window replaces the earlier
    QString summary;
    QString body;
};

// Tells the user, once per window period, that a window will run out before it resets, and
// again when it is nearly used up. Only figures fetched just now count, never cached ones.
// What has been told is kept in the history, so that a restart does not tell it again.
class PaceAlerts : public QObject
{
    Q_OBJECT
public:
    // Providers work the reset moment out afresh on every call; a real reset moves it by a
    // whole window.
    static constexpr qint64 resetJitterSeconds = 300;
    // 66 pixels square, about what desktops show beside a notification.
    static constexpr qreal imageScale = 3;

    // Reviews every snapshot the store publishes, for as long as the store lives, and shows
    // the alerts through the notifier while the settings want them; starts once the history has
    // recalled what was told before, and keeps there what it tells. Does nothing when
    // TIDEMARKER_NOTIFY is 0.
    static void watch(UsageStore &store, DesktopNotifier &notifier, HistoryRecorder &history,
                      const SettingsFile &settings);

    explicit PaceAlerts(DesktopNotifier &notifier, QObject *parent = nullptr);

    // The alerts the snapshot calls for that were not given yet in their window's period;
    // from now on they count as given.
    QList<PaceAlert> takeDue(const UsageStatus &status, double nearlyUsedAt = PaceForecast::nearlyUsedShare);
    // Shows what takeDue finds, with the gauge as the image.
    void review(const UsageStatus &status, double nearlyUsedAt = PaceForecast::nearlyUsedShare);
    // What an earlier run had told, as the history recalls it.
    void recall(const QList<RememberedAlert> &told);

Q_SIGNALS:
    // takeDue counted an alert as given.
    void given(const RememberedAlert &alert);

private:
    struct Period {
        QDateTime resetAt;
        PaceForecast::Alert given = PaceForecast::Alert::none;
    };
    static QString alertKey(const QString &account, const QString &windowId);
    Period &periodOf(const QString &account, const UsageWindow &window);

    QHash<QString, Period> m_periods; // by alertKey()
    QPointer<DesktopNotifier> m_notifier; // the program's one, shared with sign-in
};
