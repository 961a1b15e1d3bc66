#include "GaugeIconRenderer.h"

#include "ProviderTraits.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

const QPointF dialCenter(11, 11);
constexpr qreal scaleRadius = 8.6;
constexpr double redZoneStart = 78; // the dial position where the red zone begins

struct HandGeometry {
    qreal startRadius;
    qreal endRadius;
    qreal width;
};

// The fast window is a short marker on the rim, the slow one a long needle through the hub.
HandGeometry handGeometry(WindowSpeed speed)
{
    return speed == WindowSpeed::fast ? HandGeometry{10.3, 7.5, 2.1} : HandGeometry{-1.2, 9.4, 1.9};
}

// Position 0 at 230 degrees, 50 straight up, 100 at -50 degrees: 280 degrees clockwise.
double dialAngleDegrees(double position)
{
    return position / -100 * 280 + 230;
}

QPointF pointOnRay(QPointF center, qreal radius, double angleDegrees)
{
    const double angle = angleDegrees * M_PI / 180;
    return center + QPointF(radius * std::cos(angle), radius * std::sin(angle));
}

void fillCircle(QPainter &painter, QPointF center, qreal radius, const QColor &color)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(center, radius, radius);
}

QPen roundPen(const QColor &color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap);
}

// QPainterPath measures angles as seen in a y-down space; in this y-up space they run the other
// way, so both the start and the direction are mirrored.
QPainterPath clockwiseArc(QPointF center, qreal radius, double startDegrees, double endDegrees)
{
    const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    const double sweep = std::fmod(startDegrees - endDegrees + 360, 360);
    QPainterPath path;
    path.arcMoveTo(box, -startDegrees);
    path.arcTo(box, -startDegrees, sweep);
    return path;
}

void drawScale(QPainter &painter, QPointF center, const QColor &dotColor, const QColor &zoneColor)
{
    // A dot every 100/15 positions, none in the red zone: 12 dots.
    for (int i = 0; i <= 15; ++i) {
        const double position = i * 100 / 15.0;
        if (position >= redZoneStart)
            continue;
        fillCircle(painter, pointOnRay(center, scaleRadius, dialAngleDegrees(position)), 0.62, dotColor);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(roundPen(zoneColor, 2.3));
    painter.drawPath(clockwiseArc(center, scaleRadius, dialAngleDegrees(redZoneStart), dialAngleDegrees(100)));
}

QLineF handLine(QPointF center, const UsageWindow &window)
{
    const double angle =
        dialAngleDegrees(GaugeIconRenderer::dialPosition(window.usedPercent, window.expectedRemainingPercent));
    const HandGeometry hand = handGeometry(window.speed);
    return QLineF(pointOnRay(center, hand.startRadius, angle), pointOnRay(center, hand.endRadius, angle));
}

void drawHand(QPainter &painter, QPointF center, const UsageWindow &window)
{
    const QLineF line = handLine(center, window);
    const qreal width = handGeometry(window.speed).width;
    painter.setPen(roundPen(Qt::black, width + 0.8));
    painter.drawLine(line);
    painter.setPen(roundPen(GaugeIconRenderer::providerColor(window.provider), width));
    painter.drawLine(line);
}

// Erases a gap around the hand, so that it stands apart from the scale and the other hands,
// then draws it solid (as Codex's) or as an outline (as Claude's).
void drawOneColourHand(QPainter &painter, QPointF center, const UsageWindow &window, const QColor &ink, bool hollow)
{
    const QLineF line = handLine(center, window);
    const qreal width = handGeometry(window.speed).width + (hollow ? 0.9 : 0);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(roundPen(Qt::black, width + 1.6));
    painter.drawLine(line);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(roundPen(ink, width));
    painter.drawLine(line);
    if (!hollow)
        return;
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(roundPen(Qt::black, width - 1.8));
    painter.drawLine(line);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// Slow needles first, so the fast markers lie over them; within a speed the window furthest
// ahead of pace (least pressure) is drawn last and ends on top.
QList<UsageWindow> inDrawingOrder(QList<UsageWindow> windows)
{
    std::stable_sort(windows.begin(), windows.end(), [](const UsageWindow &a, const UsageWindow &b) {
        if (a.speed != b.speed)
            return a.speed == WindowSpeed::slow;
        return a.pressurePercent > b.pressurePercent;
    });
    return windows;
}

// The hands of an account the service refuses stand at the empty end, whatever its figures say.
UsageStatus blockedAtEmpty(UsageStatus status)
{
    const auto empty = [](QList<UsageWindow> &windows) {
        for (UsageWindow &window : windows) {
            window.usedPercent = 100;
            window.remainingPercent = 0;
            window.pressurePercent = -100;
        }
    };
    for (ProviderResult &result : status.results) {
        if (result.blocked) {
            empty(result.windows);
            empty(result.extraWindows);
        }
    }
    return status;
}

// Each provider's own outline or fill; of two that would look alike, the second takes the other.
QList<Provider> hollowProviders(const QList<UsageWindow> &windows)
{
    QList<Provider> drawn;
    for (Provider provider : ProviderTraits::all()) {
        if (std::ranges::find(windows, provider, &UsageWindow::provider) != windows.end())
            drawn.append(provider);
    }
    QList<Provider> hollow;
    for (Provider provider : drawn) {
        if (ProviderTraits::of(provider).hollowHands)
            hollow.append(provider);
    }
    if (drawn.size() == 2 && hollow.isEmpty())
        return {drawn.last()};
    if (drawn.size() == 2 && hollow.size() == 2)
        return {drawn.first()};
    return hollow;
}

} // namespace

QImage GaugeIconRenderer::image(const UsageStatus &allAccounts, qreal scale, IconStyle style, GaugeHands hands)
{
    // The tightest limits are looked for in every account; the two windows are the first account's.
    const UsageStatus status = blockedAtEmpty(allAccounts);
    const QList<UsageWindow> shown = inDrawingOrder(hands == GaugeHands::main ? status.firstAccounts().windows()
                                                                              : status.tightestWindows());
    const int pixels = scale > 0 ? qRound(GaugeIconRenderer::size * scale) : 0;
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The whole pixel square holds the drawing, also where 22 * scale is no whole number.
    const qreal pixelsPerUnit = pixels / GaugeIconRenderer::size;
    painter.translate(0, pixels);
    painter.scale(pixelsPerUnit, -pixelsPerUnit);

    if (style == IconStyle::colour) {
        fillCircle(painter, dialCenter, 10.5, white(0.09, 0.96));
        drawScale(painter, dialCenter, white(0.9, 0.8), QColor::fromRgbF(1, 0, 0, 1));
        for (const UsageWindow &window : shown)
            drawHand(painter, dialCenter, window);
        fillCircle(painter, dialCenter, 0.9, white(0.97, 1));
    } else {
        const QColor ink = style == IconStyle::light ? white(1, 1) : white(0.12, 1);
        drawScale(painter, dialCenter, white(ink.redF(), 0.55), ink);
        const QList<Provider> hollow = hollowProviders(shown);
        for (const UsageWindow &window : shown)
            drawOneColourHand(painter, dialCenter, window, ink, hollow.contains(window.provider));
        fillCircle(painter, dialCenter, 1.3, ink);
    }
    painter.end();
    return image;
}

// The comparisons are written so that a value that is not a number takes the lower bound.
double GaugeIconRenderer::dialPosition(double usedPercent, double expectedRemainingPercent)
{
    if (!(usedPercent >= 0))
        return 0;
    if (usedPercent >= 100)
        return 100;
    double expectedUsed = 100 - expectedRemainingPercent;
    if (!(expectedUsed >= 0))
        expectedUsed = 0;
    if (expectedUsed >= 100)
        expectedUsed = 100;

    if (usedPercent <= 0)
        return 0;
    if (expectedUsed <= 0)
        return 50 + usedPercent / 100 * 50; // the window has just begun
    if (expectedUsed >= 100)
        return usedPercent / 100 * 50; // the window is over by the clock
    if (usedPercent <= expectedUsed)
        return usedPercent / expectedUsed * 50;
    return 50 + (usedPercent - expectedUsed) / (100 - expectedUsed) * 50;
}

QColor GaugeIconRenderer::providerColor(Provider provider)
{
    return QColor::fromRgb(ProviderTraits::of(provider).colour);
}

QColor GaugeIconRenderer::white(qreal level, qreal alpha)
{
    return QColor::fromRgbF(level, level, level, alpha);
}
