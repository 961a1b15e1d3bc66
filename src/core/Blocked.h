#pragma once

#include <QDateTime>
#include <QJsonValue>
#include <QString>

#include <optional>

// The service refuses the account's requests (or one limit's), whatever its figures say.
struct Blocked {
    QString reason;  // "session limit", "weekly limit", "Opus limit"
    QDateTime until; // invalid: not known

    // Until it has passed; one without a known end holds until the service says otherwise.
    bool holdsAt(const QDateTime &now) const;
    // " until 21:50" (in local time, as the resets are named), or nothing when not known.
    QString untilText(const QDateTime &now) const;

    // {"reason": …, "until": RFC 3339 in UTC or null}.
    QJsonValue toJson() const;
    // None for anything but such an object with a reason; a bad time reads as not known.
    static std::optional<Blocked> fromJson(const QJsonValue &value);

    bool operator==(const Blocked &) const = default;
};

// The snapshot's member: the object, or null when not blocked.
QJsonValue blockedJson(const std::optional<Blocked> &blocked);
