#pragma once

#include "UsageModels.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

// Draws sample gauges in a light and a dark setting onto one sheet and writes it as a PNG.
// Needs no network, no credentials and no display.
namespace RenderHarness {

// With "--render" anywhere in the arguments, the argument after it, whatever it says, or
// "tidemarker-preview.png" when none follows; nothing without the switch.
std::optional<QString> outputPathFromArguments(const QStringList &arguments);

// A status taken now from used percentages, one window per value given; an absent value means
// no window of that speed. Every window is half-way through, so each hand stands at its value.
UsageStatus sample(std::optional<double> codexFast, std::optional<double> codexSlow,
                   std::optional<double> claudeFast, std::optional<double> claudeSlow);
// One provider's part of such a status.
ProviderResult sampleResult(Provider provider, std::optional<double> fast, std::optional<double> slow,
                            const QDateTime &now);

// Writes the sheet, reports the outcome on standard output or standard error and returns the
// process exit status: 0 when written, 1 when not.
int run(const QString &outputPath);

// Writes the image as a PNG to a path as the command line gives it, in the system's encoding, and
// reports as run() does.
int writePng(const QImage &image, const QByteArray &outputPath);

// As run(), for a path as the command line gives it, in the system's encoding. Bytes that are no
// text there are refused: decoding them would write a file of another name.
int runWithEncodedPath(const QByteArray &outputPath);

} // namespace RenderHarness
