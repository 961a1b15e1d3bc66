#include "OutsideText.h"

using namespace Qt::StringLiterals;

namespace OutsideText {

namespace {

// Marks that turn the text's direction around.
bool isBidiControl(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

// Unicode's own line and paragraph separators break lines as well in some terminals and labels.
bool breaksLine(QChar c)
{
    return c == u'\n' || c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph;
}

bool isUnshown(QChar c)
{
    return c.category() == QChar::Other_Control || isBidiControl(c) || breaksLine(c);
}

} // namespace

QString plainLine(const QString &text)
{
    QString line = text;
    line.removeIf(isUnshown);
    return line;
}

QString plainText(const QString &text)
{
    QString lines = text;
    lines.replace(QChar::LineSeparator, u'\n').replace(QChar::ParagraphSeparator, u'\n');
    lines.removeIf([](QChar c) { return c != u'\n' && isUnshown(c); });
    return lines;
}

QString cut(const QString &text, qsizetype length)
{
    const QString line = plainLine(text);
    if (line.size() <= length)
        return line;
    qsizetype kept = length - 1;
    if (kept > 0 && line.at(kept - 1).isHighSurrogate())
        --kept; // never half a character
    return line.left(kept) + u'\u2026';
}

QString name(const QString &text, const QString &suffix)
{
    const QString trimmed = plainLine(text).trimmed();
    if (trimmed.isEmpty())
        return trimmed;
    return cut(trimmed, maxNameLength - suffix.size()) + suffix;
}

QByteArray terminalLine(const QString &text)
{
    return plainLine(text).toUtf8();
}

QString markup(const QString &text)
{
    return plainText(text).toHtmlEscaped();
}

QString qtRichText(const QString &text)
{
    const QString lines = plainText(text);
    // Qt takes text for rich text only from a tag on: without one it shows it as it is.
    if (!lines.contains(u'<'))
        return lines;
    return u"<qt>"_s + lines.toHtmlEscaped().replace(u'\n', u"<br>"_s) + u"</qt>"_s;
}

} // namespace OutsideText
