#pragma once

#include "DesktopNotifier.h"
#include "ExactMenuTextStyle.h"
#include "MenuSync.h"
#include "UsageModels.h"

#include <QIcon>
#include <QImage>
#include <QList>
#include <QMap>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <QCoroTask>

#include <chrono>
#include <memory>

class UsageStore;

// The application's face in the panel: the gauge with the worst window as tooltip, and a menu
// of both providers' windows with their pace, sign-in when needed, "History…", "Refresh" and
// "Quit".
// Refreshes at start, then again a fixed time after each refresh and redraw have finished.
// Each redraw hands on only what changed, so that panels and an open menu are left in peace.
class StatusItemController : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultRefreshPeriod = std::chrono::seconds(60);

    // With the store that asks the real providers.
    explicit StatusItemController(QObject *parent = nullptr);
    // Takes ownership of the store.
    explicit StatusItemController(UsageStore *store,
                                  std::chrono::milliseconds refreshPeriod = defaultRefreshPeriod,
                                  QObject *parent = nullptr);

    void updateIcon();
    void updateMenu();
    void addProviderSection(Provider provider, QList<MenuLine> &lines);
    void startRefreshLoop();

    // Null until showStatusItem().
    const QSystemTrayIcon *statusItem() const { return m_statusItem.get(); }
    UsageStore &store() { return *m_store; }
    // The program's desktop notifications: sign-in help and pace alerts alike.
    DesktopNotifier &notifier() { return m_notifier; }
    QMenu *menu() { return &m_menu; }

    static QImage providerSwatch(Provider provider);
    static QImage paceDot(double pressurePercent);

    // The same refresh as "Refresh", for callers that wait until menu and icon are redrawn.
    QCoro::Task<void> refreshAndRedraw();

Q_SIGNALS:
    // "History…" was chosen.
    void historyRequested();

public Q_SLOTS:
    // Puts the icon in the tray; Qt settles the kind of tray here, so only once one is there.
    void showStatusItem();
    void refresh();
    void quit();
    void signIn(Provider provider);

private:
    void openMenu(QSystemTrayIcon::ActivationReason reason);
    void fixMenuSizeOnWayland();
    QCoro::Task<void> startUp();
    QCoro::Task<void> refreshLoop();
    const QIcon &swatchIcon(Provider provider);
    const QIcon &paceDotIcon(double pressurePercent);

    ExactMenuTextStyle m_menuStyle; // outlives the menu drawn with it
    QMenu m_menu; // outlives the tray icon that points at it
    MenuSync m_menuSync{&m_menu};
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    QList<QImage> m_iconImages; // as last handed to the status item
    UsageStore *m_store;
    std::chrono::milliseconds m_refreshPeriod;
    // Made once and shared by every redraw: a line keeps its image unless it changes colour,
    // and a panel that reads the menu over D-Bus keeps something of every distinct icon.
    QMap<Provider, QIcon> m_swatchIcons;
    QMap<QRgb, QIcon> m_paceDotIcons;
    DesktopNotifier m_notifier;
};
