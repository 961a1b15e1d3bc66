#pragma once

#include "Settings.h"
#include "UsageModels.h"

#include <QImage>
#include <QList>
#include <QObject>

#include <QCoroTask>

class QSystemTrayIcon;

// The tray item's gauge at every size panels ask for. Drawn on a pool thread, where Qt fills
// each shape in the drawing thread: on the GUI thread it hands every large antialiased fill to
// the pool and waits for it, some eighty wake-ups a refresh. Qt passes on every icon it is given
// and panels redraw on each (GNOME shows a placeholder while its menu is open), so only a gauge
// that looks different is handed on.
class TrayGauge : public QObject
{
public:
    explicit TrayGauge(QSystemTrayIcon &item, QObject *parent = nullptr);

    // Here and now: a panel reads the icon as soon as the item shows.
    void drawNow(const UsageStatus &status, IconStyle style, GaugeHands hands);
    // Off the GUI thread; of overlapping drawings the latest is shown.
    QCoro::Task<void> draw(UsageStatus status, IconStyle style, GaugeHands hands);

private:
    void handOn(const QList<QImage> &images);

    QSystemTrayIcon &m_item;
    QList<QImage> m_shown;
    quint64 m_drawings = 0;
};
