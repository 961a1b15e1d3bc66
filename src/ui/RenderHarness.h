#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Draws sample gauges in a light and a dark setting onto one sheet and writes it as a PNG.
// Needs no network, no credentials and no display.
namespace RenderHarness {

// With "--render" anywhere in the arguments, the argument after it, whatever it says, or
// "tidemarker-preview.png" when none follows; nothing without the switch.
std::optional<QString> outputPathFromArguments(const QStringList &arguments);

// Writes the sheet, reports the outcome on standard output or standard error and returns the
// process exit status: 0 when written, 1 when not.
int run(const QString &outputPath);

} // namespace RenderHarness
