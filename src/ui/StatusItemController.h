#pragma once

#include "DesktopNotifier.h"
#include "ExactMenuTextStyle.h"
#include "HistoryFocus.h"
#include "MenuFolding.h"
#include "MenuLineIcons.h"
#include "MenuSync.h"
#include "SettingsDialog.h"
#include "TrayGauge.h"
#include "UsageModels.h"

#include <QIcon>
#include <QImage>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <QCoroTask>

#include <chrono>
#include <memory>
#include <optional>

class SettingsFile;
class UsageStore;

// The application's face in the panel: the gauge with the worst window as tooltip, and a menu
// of the shown providers' windows with their pace, sign-in when needed, "History…",
// "Settings…", "Refresh" and "Quit". Refreshes at start, then again a set time after each
// refresh and redraw have finished. Follows the settings file. Each redraw hands on only what
// changed, so that panels and an open menu are left in peace.
class StatusItemController : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultRefreshPeriod = std::chrono::seconds(60);

    // With the store that asks the real providers, and the user's settings file.
    explicit StatusItemController(QObject *parent = nullptr);
    // Takes ownership of the store; no settings file, so the default settings but this period.
    explicit StatusItemController(UsageStore *store,
                                  std::chrono::milliseconds refreshPeriod = defaultRefreshPeriod,
                                  QObject *parent = nullptr);
    // The same with the settings of that file, the refresh period aside.
    StatusItemController(UsageStore *store, const QString &settingsPath, std::chrono::milliseconds refreshPeriod);

    // The tooltip at once, the icon once it is drawn.
    void updateIcon();
    void updateMenu();
    // The account's section: titled "Claude · work" beside the provider's other accounts.
    void addAccountSection(const Account &account, QList<MenuLine> &lines);
    MenuSection accountSection(const Account &account);
    void startRefreshLoop();

    // Null until showStatusItem().
    const QSystemTrayIcon *statusItem() const { return m_statusItem.get(); }
    UsageStore &store() { return *m_store; }
    const SettingsFile &settings() const { return *m_settings; }
    // The program's desktop notifications: sign-in help and pace alerts alike.
    DesktopNotifier &notifier() { return m_notifier; }
    QMenu *menu() { return &m_menu; }

    // The same refresh as "Refresh", for callers that wait until menu and icon are redrawn.
    QCoro::Task<void> refreshAndRedraw();
    std::chrono::milliseconds refreshPeriod() const;

Q_SIGNALS:
    // "History…" was chosen, or a line of the menu on the part of the record it shows.
    void historyRequested(const std::optional<HistoryFocus> &focus = std::nullopt);

public Q_SLOTS:
    // Puts the icon in the tray; Qt settles the kind of tray here, so only once one is there.
    void showStatusItem();
    void refresh();
    // "Refresh" in the menu, or its keys.
    void refreshFromMenu();
    void quit();
    void signIn(const Account &account);
    void openSettings();
    // Back from sleep: the loop refreshes at once, then waits a whole period again.
    void refreshAfterSleep();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    StatusItemController(UsageStore *store, const QString &settingsPath,
                         std::optional<std::chrono::milliseconds> fixedRefreshPeriod, QObject *parent);
    void applySettings(const Settings &previous);
    void openMenu(QSystemTrayIcon::ActivationReason reason);
    void fixMenuSizeOnWayland();
    qsizetype menuRoom() const;
    QCoro::Task<void> startUp();
    QCoro::Task<void> refreshLoop();
    void updateToolTip();
    MenuLine infoLine(const QString &key, const QString &text, const QIcon &icon, const HistoryFocus &focus);

    ExactMenuTextStyle m_menuStyle; // outlives the menu drawn with it
    QMenu m_menu; // outlives the tray icon that points at it
    MenuSync m_menuSync{&m_menu};
    QStringList m_menuLayout; // the sections as last shown, folded or not
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    std::unique_ptr<TrayGauge> m_gauge; // with the status item
    UsageStore *m_store;
    SettingsFile *m_settings;
    std::optional<std::chrono::milliseconds> m_fixedRefreshPeriod; // else the setting's
    QPointer<QTimer> m_sleep; // the refresh loop's wait, while it waits
    std::unique_ptr<SettingsDialog> m_settingsDialog; // made when first asked for
    MenuLineIcons m_icons;
    DesktopNotifier m_notifier;
};
