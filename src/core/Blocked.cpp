#include "Blocked.h"

#include "LocalTimeText.h"
#include "OutsideText.h"

#include <QCoreApplication>
#include <QJsonObject>

using namespace Qt::StringLiterals;

bool Blocked::holdsAt(const QDateTime &now) const
{
    return !until.isValid() || until > now;
}

QString Blocked::untilText(const QDateTime &now) const
{
    return until.isValid() ? QCoreApplication::translate("Blocked", " until %1").arg(LocalTimeText::when(until, now))
                           : QString();
}

QJsonValue Blocked::toJson() const
{
    const QJsonValue end = until.isValid() ? QJsonValue(until.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue();
    return QJsonObject{{u"reason"_s, reason}, {u"until"_s, end}};
}

std::optional<Blocked> Blocked::fromJson(const QJsonValue &value)
{
    const QString reason = OutsideText::plainLine(value[u"reason"_s].toString());
    if (!value.isObject() || reason.isEmpty())
        return std::nullopt;
    const QDateTime until = QDateTime::fromString(value[u"until"_s].toString(), Qt::ISODateWithMs);
    return Blocked{reason, until.isValid() ? until.toUTC() : QDateTime()};
}

QJsonValue blockedJson(const std::optional<Blocked> &blocked)
{
    return blocked ? blocked->toJson() : QJsonValue(QJsonValue::Null);
}
