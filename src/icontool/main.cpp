// Draws the application icon with the tray's own gauge renderer, for the hicolor icon theme:
// tidemarker_icontool <folder> <size>... writes <folder>/<size>x<size>/apps/tidemarker.png.
#include "GaugeIconRenderer.h"
#include "RenderHarness.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Both providers with both hands, one to either side of pace, so that the icon shows the whole dial.
UsageStatus iconStatus()
{
    return RenderHarness::sample(28, 55, 74, 18);
}

bool writeIcon(const QDir &themeFolder, const UsageStatus &status, int size)
{
    const QString appsFolder = u"%1x%1/apps"_s.arg(size);
    const QImage icon = GaugeIconRenderer::image(status, size / GaugeIconRenderer::size);
    return icon.width() == size && themeFolder.mkpath(appsFolder)
        && icon.save(themeFolder.filePath(appsFolder + u"/tidemarker.png"_s), "PNG");
}

int fail(const QString &message)
{
    std::fputs(qUtf8Printable(u"tidemarker_icontool: "_s + message + u'\n'), stderr);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() < 3)
        return fail(u"usage: tidemarker_icontool <folder> <size>..."_s);

    const QDir themeFolder(arguments.at(1));
    const UsageStatus status = iconStatus();
    for (const QString &argument : arguments.mid(2)) {
        bool isNumber = false;
        const int size = argument.toInt(&isNumber);
        if (!isNumber || size <= 0 || !writeIcon(themeFolder, status, size))
            return fail(u"cannot write the icon of "_s + argument + u" pixels in "_s + themeFolder.path());
    }
    return 0;
}
