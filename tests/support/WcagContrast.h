#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

// WCAG's relative luminance and contrast ratio, worked out apart from the program's colours.
inline double wcagLuminance(const QColor &colour)
{
    const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

inline double wcagContrast(const QColor &a, const QColor &b)
{
    const double first = wcagLuminance(a);
    const double second = wcagLuminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}
