#include "AnswerBounds.h"

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace AnswerBounds {

namespace {

// Marks that turn the text's direction around: the menu would show a name's figures reversed.
bool isBidiControl(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

} // namespace

QString nameFromAnswer(const QString &text, const QString &suffix)
{
    QString name = text;
    name.removeIf([](QChar c) { return c.category() == QChar::Other_Control || isBidiControl(c); });
    name = name.trimmed();
    if (name.isEmpty())
        return name;
    const qsizetype room = maxNameLength - suffix.size();
    if (name.size() <= room)
        return name + suffix;
    qsizetype kept = room - 1;
    if (name.at(kept - 1).isHighSurrogate())
        --kept; // never half a character
    return name.left(kept) + u'\u2026' + suffix;
}

bool isWritable(const QDateTime &date)
{
    const int year = date.toUTC().date().year();
    return date.isValid() && year >= 1 && year <= 9999;
}

void dropUnreadable(QList<UsageWindow> &windows)
{
    windows.removeIf([](const UsageWindow &window) {
        return !(window.limitWindowSeconds <= UsageWindow::longestWindowSeconds) || !isWritable(window.resetAt);
    });
}

int keepTightest(QList<UsageWindow> &extraWindows)
{
    const qsizetype count = extraWindows.size();
    if (count <= maxExtraWindows)
        return 0;
    QList<qsizetype> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&extraWindows](qsizetype a, qsizetype b) {
        return extraWindows.at(a).pressurePercent < extraWindows.at(b).pressurePercent;
    });
    order.resize(maxExtraWindows);
    std::sort(order.begin(), order.end());
    QList<UsageWindow> kept;
    for (qsizetype index : order)
        kept.append(extraWindows.at(index));
    extraWindows = kept;
    return int(count - maxExtraWindows);
}

} // namespace AnswerBounds
