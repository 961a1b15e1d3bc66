#include "TidemarkerApp.h"

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
        // Qt shows the icon by itself once a panel offers a tray.
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            std::fputs("tidemarker: no system tray found; the icon will appear when a panel "
                       "provides one\n", stderr);
        controller = std::make_unique<StatusItemController>();
    });
    return application.exec();
}
