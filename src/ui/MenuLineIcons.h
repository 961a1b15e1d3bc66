#pragma once

#include "UsageModels.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QMap>

// The images beside the menu's lines: the provider's swatch by a section's title, the pace's dot
// by a window, and an empty slot of the same room by every other line, so that all their texts
// start alike. Each is made once and shared by every redraw: a line keeps its image unless it
// changes colour, and a panel that reads the menu over D-Bus keeps something of every distinct
// icon.
class MenuLineIcons
{
public:
    // Each pace's colour stands out from the menu by 4.5:1 or more: a darker shade on light
    // menus, a lighter one on dark menus.
    static QColor paceColour(double pressurePercent, bool darkMenu);
    static QImage providerSwatch(Provider provider);
    static QImage paceDot(double pressurePercent, bool darkMenu);

    const QIcon &swatchIcon(Provider provider);
    const QIcon &paceDotIcon(double pressurePercent, bool darkMenu);
    const QIcon &blankIcon();

private:
    QMap<Provider, QIcon> m_swatches;
    QMap<QRgb, QIcon> m_paceDots;
    QIcon m_blank;
};
