#pragma once

#include <QDateTime>
#include <QString>

// A coming moment as the menu, the tooltip and the status line name it: in local time and the
// user's locale, "15:42" (or "3:42 PM") today, "Thu 09:00" within the week, "18 Dec" later.
namespace LocalTimeText {

QString when(const QDateTime &moment, const QDateTime &now);

} // namespace LocalTimeText
