#include "TrayGauge.h"

#include "GaugeIconRenderer.h"

#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoroFuture>

namespace {

// The sizes panels ask for, 64 for panels at twice the density.
constexpr int iconSizes[] = {16, 22, 32, 44, 64};

QList<QImage> images(const UsageStatus &status, IconStyle style, GaugeHands hands)
{
    QList<QImage> drawn;
    for (int pixels : iconSizes)
        drawn.append(GaugeIconRenderer::image(status, pixels / GaugeIconRenderer::size, style, hands));
    return drawn;
}

} // namespace

TrayGauge::TrayGauge(QSystemTrayIcon &item, QObject *parent)
    : QObject(parent)
    , m_item(item)
{
}

void TrayGauge::drawNow(const UsageStatus &status, IconStyle style, GaugeHands hands)
{
    ++m_drawings;
    handOn(images(status, style, hands));
}

QCoro::Task<void> TrayGauge::draw(UsageStatus status, IconStyle style, GaugeHands hands)
{
    QPointer<TrayGauge> self(this);
    const quint64 drawing = ++m_drawings;
    QFuture<QList<QImage>> drawn = QtConcurrent::run(&images, std::move(status), style, hands);
    const QList<QImage> result = co_await drawn;
    if (self && drawing == m_drawings)
        handOn(result);
}

void TrayGauge::handOn(const QList<QImage> &images)
{
    if (images == m_shown)
        return;
    QIcon icon;
    for (const QImage &image : images)
        icon.addPixmap(QPixmap::fromImage(image));
    m_item.setIcon(icon);
    m_shown = images;
}
