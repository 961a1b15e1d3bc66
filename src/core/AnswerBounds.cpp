#include "AnswerBounds.h"

#include <algorithm>
#include <numeric>

namespace AnswerBounds {

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
