#pragma once

#include "Settings.h"
#include "UsageModels.h"

#include <QColor>
#include <QImage>

// Draws the gauge icon: a dial that shows pace rather than raw use, with one hand per window.
// The drawing space is 22 x 22 units, origin at the lower left, y up, angles counter-clockwise.
namespace GaugeIconRenderer {

// The side of the drawing space: the tray icon's side in pixels at scale 1.
inline constexpr qreal size = 22;

// A new transparent image of 22 * scale pixels square; scale 1 is the tray icon. In one colour
// (light or dark) the dial has no face, Claude's hands are hollow and Codex's solid (of two other
// providers that would look alike, the second's are hollow), and the red zone is a heavy arc
// beside the scale's faint dots. The status holds only the providers the gauge shows.
// The hands are the tightest fast and slow limit of each provider over all its accounts, or
// its first account's two windows only.
QImage image(const UsageStatus &status, qreal scale, IconStyle style = IconStyle::colour,
             GaugeHands hands = GaugeHands::tightest);

// Where a window's hand stands, 0 to 100: 50 is on pace, below lags behind, above runs ahead.
double dialPosition(double usedPercent, double expectedRemainingPercent);

// The provider's colour, shared by the hands and anything else that names the provider.
QColor providerColor(Provider provider);

// A grey from black (0) to white (1) with the given opacity, as the gauge and its previews use.
QColor white(qreal level, qreal alpha);

} // namespace GaugeIconRenderer
