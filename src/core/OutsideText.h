#pragma once

#include <QByteArray>
#include <QString>

// Text that comes from outside the program (answers, logs, the snapshot read back), in the form
// each place that shows it needs. Every form drops control and bidi characters: a line break
// would forge a line, an escape sequence would drive the terminal, a bidi mark would turn the
// figures beside a name around. None reads "%1" or markup in the text as anything but text.
namespace OutsideText {

inline constexpr qsizetype maxNameLength = 48;

// One line of plain text: menus, notification summaries, status lines.
QString plainLine(const QString &text);
// Plain text that keeps its line breaks: notification bodies, tooltips.
QString plainText(const QString &text);
// A name as one line, trimmed and cut with "…" so that it fits 48 characters with the suffix
// after it; empty when nothing is left.
QString name(const QString &text, const QString &suffix = {});
// One line cut with "…" to at most length characters, never inside a character.
QString cut(const QString &text, qsizetype length);
// A line for a terminal, as the bytes it is written as.
QByteArray terminalLine(const QString &text);
// For what reads Pango markup: waybar's text and tooltip, notification bodies where the
// notification server announces body-markup.
QString markup(const QString &text);
// For Qt's tooltips and labels, which take text that looks like a tag for rich text.
QString qtRichText(const QString &text);

} // namespace OutsideText
