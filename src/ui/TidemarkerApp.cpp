#include "TidemarkerApp.h"

#include "BreakdownView.h"
#include "DesktopColourScheme.h"
#include "HistoryRecorder.h"
#include "HistoryWindow.h"
#include "PaceAlerts.h"
#include "ProcessMemory.h"
#include "SettingsFile.h"
#include "StatusItemController.h"
#include "TrayAvailability.h"
#include "Translations.h"
#include "UsageBreakdown.h"
#include "UsageBusService.h"
#include "UsageStore.h"
#include "WakeWatch.h"
#include "WindowIcon.h"

#include <QApplication>
#include <QGuiApplication>
#include <QThreadPool>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A tray lives on an X11 or Wayland desktop; Qt's other platforms (offscreen, vnc, linuxfb, …)
// have none to show the icon in.
bool platformHasTray()
{
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform.startsWith(u"wayland");
}

// Once the history file is ready and the settings are read (which the first refresh waits
// for), the logs are read after every refresh, unless the settings say not to.
void readLogsAfterRefreshes(UsageBreakdown &breakdown, HistoryRecorder &history, StatusItemController &controller)
{
    const auto followSettings = [&breakdown, &controller] {
        const Settings &settings = controller.settings().settings();
        breakdown.setFolders(LogFolder::of(settings.accounts()));
        breakdown.setEnabled(settings.breakdown);
    };
    const auto readLogs = [&breakdown, &history, &controller, followSettings] {
        if (history.isReady() && controller.store().status().generatedAt.isValid()) {
            followSettings(); // the first reading must already see the accounts the file lists
            breakdown.start();
        }
    };
    QObject::connect(&controller.store(), &UsageStore::refreshed, &breakdown, readLogs);
    QObject::connect(&history, &HistoryRecorder::ready, &breakdown, readLogs);
    QObject::connect(&controller.settings(), &SettingsFile::changed, &breakdown, followSettings);
}

} // namespace

int TidemarkerApp::run(int &argc, char **argv)
{
    ProcessMemory::shareOnePool();
    QApplication application(argc, argv);
    Translations::install();
    if (!platformHasTray()) {
        const QString message = QCoreApplication::translate(
            "TidemarkerApp", "Qt's \"%1\" platform has no system tray; start tidemarker in an X11 or Wayland desktop "
                             "session, or use 'tidemarker --render PATH', which needs none");
        std::fprintf(stderr, "tidemarker: %s\n", qUtf8Printable(message.arg(QGuiApplication::platformName())));
        return 1;
    }
    // Qt's StatusNotifierItem reads both its Title and its Id from the application name.
    QApplication::setApplicationName(u"Tidemarker"_s);
    QApplication::setApplicationDisplayName(u"Tidemarker"_s);
    QGuiApplication::setDesktopFileName(u"org.tidemarker.Tidemarker"_s);
    // Closing the menu must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    // Every refresh reads files on the pool: its threads wait idle between refreshes rather than
    // end after 30 s and start anew at the next.
    QThreadPool::globalInstance()->setExpiryTimeout(-1);

    // One Tidemarker per session: a second one would poll the endpoints twice.
    const UsageBusService::NameClaim claim = UsageBusService::claimName();
    if (claim == UsageBusService::NameClaim::taken)
        return 0;

    DesktopColourScheme colourScheme;
    colourScheme.start();
    // An older record's rows go to the accounts the settings file lists, read then on the writer's thread.
    HistoryRecorder history(HistoryConnection::defaultPath(), [] {
        QStringList problems; // said by the settings' own reading
        return Settings::read(SettingsFile::defaultPath(), &problems).accounts();
    });
    UsageBreakdown breakdown(history.path());
    std::unique_ptr<HistoryWindow> historyWindow; // made at the first "History…", not at start
    std::unique_ptr<StatusItemController> controller;
    std::unique_ptr<UsageBusService> service; // goes before the controller it reads
    QTimer::singleShot(0, &application, [&controller, &service, &history, &historyWindow, &breakdown, claim] {
        controller = std::make_unique<StatusItemController>();
        history.watch(controller->store());
        readLogsAfterRefreshes(breakdown, history, *controller);
        auto *wake = new WakeWatch([c = controller.get()] { return c->refreshPeriod(); }, controller.get());
        QObject::connect(wake, &WakeWatch::awoke, controller.get(), &StatusItemController::refreshAfterSleep);
        const auto openHistory = [&history, &historyWindow, &breakdown, &controller](const std::optional<HistoryFocus> &focus) {
            if (!historyWindow) {
                WindowIcon::installOnce();
                historyWindow = std::make_unique<HistoryWindow>(history.path());
                QObject::connect(&history, &HistoryRecorder::written, historyWindow.get(), &HistoryWindow::reload);
                historyWindow->addView(QCoreApplication::translate("TidemarkerApp", "Where it went"), new BreakdownView(breakdown, [&controller] {
                                           return BreakdownWindow::ofStatus(controller->store().status());
                                       }));
            }
            historyWindow->present(focus);
        };
        QObject::connect(controller.get(), &StatusItemController::historyRequested, &history, openHistory);
        if (claim == UsageBusService::NameClaim::claimed) {
            service = std::make_unique<UsageBusService>(*controller);
            service->serveBreakdown(&breakdown);
        }
        // Refreshes run from now on; the icon waits for a tray, which may come later.
        auto *tray = new TrayAvailability(QDBusConnection::sessionBus(), controller.get());
        QObject::connect(tray, &TrayAvailability::appeared, controller.get(),
                         &StatusItemController::showStatusItem);
        tray->start();
        // A click on an alert opens the history on the window it leads with.
        if (auto *alerts = PaceAlerts::watch(controller->store(), controller->notifier(), history,
                                             controller->settings()))
            QObject::connect(alerts, &PaceAlerts::historyWanted, &history,
                             [openHistory](const HistoryFocus &focus) { openHistory(focus); });
    });
    return application.exec();
}
