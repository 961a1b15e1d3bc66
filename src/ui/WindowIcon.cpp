#include "WindowIcon.h"

#include "GaugeIconRenderer.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

#include <utility>

using namespace Qt::StringLiterals;

void WindowIcon::installOnce()
{
    static bool installed = false;
    if (std::exchange(installed, true))
        return;
    QIcon gauge;
    for (qreal scale : {1, 2, 4})
        gauge.addPixmap(QPixmap::fromImage(GaugeIconRenderer::image(UsageStatus{}, scale)));
    QApplication::setWindowIcon(QIcon::fromTheme(u"tidemarker"_s, gauge));
}
