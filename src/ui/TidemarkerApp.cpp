#include "TidemarkerApp.h"

#include "StatusItemController.h"
#include "UsageBusService.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

int TidemarkerApp::run(int &argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"tidemarker"_s);
    QApplication::setApplicationDisplayName(u"Tidemarker"_s);
    QGuiApplication::setDesktopFileName(u"tidemarker"_s);
    // Closing the menu must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    // One Tidemarker per session: a second one would poll the endpoints twice.
    const UsageBusService::NameClaim claim = UsageBusService::claimName();
    if (claim == UsageBusService::NameClaim::taken)
        return 0;

    std::unique_ptr<StatusItemController> controller;
    std::unique_ptr<UsageBusService> service; // goes before the controller it reads
    QTimer::singleShot(0, &application, [&controller, &service, claim] {
        // Qt picks the tray once per process: an XEmbed tray on X11 that appears later is
        // still found, a panel that comes later to the session bus is not.
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            std::fputs("tidemarker: no system tray found; the icon will show when an X11 tray "
                       "appears, otherwise restart tidemarker once the panel runs\n", stderr);
        controller = std::make_unique<StatusItemController>();
        if (claim == UsageBusService::NameClaim::claimed)
            service = std::make_unique<UsageBusService>(*controller);
    });
    return application.exec();
}
