#include "TidemarkerApp.h"

#include "PaceAlerts.h"
#include "StatusItemController.h"

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

    std::unique_ptr<StatusItemController> controller;
    QTimer::singleShot(0, &application, [&controller] {
        // Qt picks the tray once per process: an XEmbed tray on X11 that appears later is
        // still found, a panel that comes later to the session bus is not.
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            std::fputs("tidemarker: no system tray found; the icon will show when an X11 tray "
                       "appears, otherwise restart tidemarker once the panel runs\n", stderr);
        controller = std::make_unique<StatusItemController>();
        PaceAlerts::watch(controller->store());
    });
    return application.exec();
}
