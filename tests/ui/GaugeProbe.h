#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>

#include <cmath>
#include <cstdlib>

// Reads a picture of the gauge in the gauge's own terms: 22 units square, origin at the lower
// left, y up, angles counter-clockwise in degrees, dial positions 0 to 100 over 280 degrees.
struct GaugeProbe {
    QImage image;       // the picture the gauge is in
    QPoint topLeft;     // where the gauge's square starts in it, in pixels
    double scale = 1;   // pixels per unit

    GaugeProbe(const QImage &picture, QPoint gaugeTopLeft, double pixelsPerUnit)
        : image(picture.convertToFormat(QImage::Format_ARGB32)), topLeft(gaugeTopLeft), scale(pixelsPerUnit)
    {
    }

    // The pixel that contains the point, unpremultiplied.
    QColor at(double x, double y) const
    {
        return image.pixelColor(topLeft.x() + int(std::floor(x * scale)),
                                topLeft.y() + int(std::floor((22 - y) * scale)));
    }

    QColor onRay(double angleDegrees, double radius) const
    {
        const double angle = angleDegrees * M_PI / 180;
        return at(11 + radius * std::cos(angle), 11 + radius * std::sin(angle));
    }

    static double angleOf(double position) { return 230 - 2.8 * position; }

    QColor atPosition(double position, double radius) const { return onRay(angleOf(position), radius); }
};

inline bool isClose(const QColor &actual, const QColor &expected, int tolerance = 10)
{
    return std::abs(actual.red() - expected.red()) <= tolerance
        && std::abs(actual.green() - expected.green()) <= tolerance
        && std::abs(actual.blue() - expected.blue()) <= tolerance
        && std::abs(actual.alpha() - expected.alpha()) <= tolerance;
}

inline const QColor codexColor(41, 209, 214);
inline const QColor claudeColor(255, 140, 87);
inline const QColor hubColor(247, 247, 247);
inline const QColor discColor(23, 23, 23, 245);
inline const QColor outlineColor(0, 0, 0);
inline const QColor redZoneColor(255, 0, 0);
