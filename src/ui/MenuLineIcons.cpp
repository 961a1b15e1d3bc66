#include "MenuLineIcons.h"

#include "GaugeIconRenderer.h"

#include <QPainter>
#include <QPixmap>

namespace {

constexpr QSize dotSize(10, 10);

QImage filledShape(QSize size, const QColor &color, void (*draw)(QPainter &))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    draw(painter);
    return image;
}

} // namespace

// The system blue, red and green of the macOS menu bar, darkened on light menus and, but for
// the green, lightened on dark ones until they read as well as text.
QColor MenuLineIcons::paceColour(double pressurePercent, bool darkMenu)
{
    const QString word = pressureLabel(pressurePercent, Wording::english);
    if (word == u"High")
        return darkMenu ? QColor(100, 175, 255) : QColor(0, 88, 208);
    if (word == u"Low")
        return darkMenu ? QColor(255, 138, 128) : QColor(196, 30, 22);
    return darkMenu ? QColor(52, 199, 89) : QColor(22, 122, 46);
}

QImage MenuLineIcons::providerSwatch(Provider provider)
{
    return filledShape(QSize(11, 11), GaugeIconRenderer::providerColor(provider), [](QPainter &painter) {
        painter.drawRoundedRect(QRectF(1, 1, 9, 9), 2.5, 2.5);
    });
}

QImage MenuLineIcons::paceDot(double pressurePercent, bool darkMenu)
{
    return filledShape(dotSize, paceColour(pressurePercent, darkMenu), [](QPainter &painter) {
        painter.drawEllipse(QRectF(1, 1, 8, 8));
    });
}

const QIcon &MenuLineIcons::swatchIcon(Provider provider)
{
    auto icon = m_swatches.find(provider);
    if (icon == m_swatches.end())
        icon = m_swatches.insert(provider, QIcon(QPixmap::fromImage(providerSwatch(provider))));
    return *icon;
}

const QIcon &MenuLineIcons::paceDotIcon(double pressurePercent, bool darkMenu)
{
    const QRgb colour = paceColour(pressurePercent, darkMenu).rgb();
    auto icon = m_paceDots.find(colour);
    if (icon == m_paceDots.end())
        icon = m_paceDots.insert(colour, QIcon(QPixmap::fromImage(paceDot(pressurePercent, darkMenu))));
    return *icon;
}

const QIcon &MenuLineIcons::blankIcon()
{
    if (m_blank.isNull()) {
        QPixmap empty(dotSize);
        empty.fill(Qt::transparent);
        m_blank = QIcon(empty);
    }
    return m_blank;
}
