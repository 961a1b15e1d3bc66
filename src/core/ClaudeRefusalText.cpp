#include "ClaudeRefusalText.h"

#include "OutsideText.h"
#include "StoredText.h"

#include <QRegularExpression>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace ClaudeRefusalText {

namespace {

// The window a reason names: a model's own cap by the model's name, else the session's or the
// week's; invalid when none is known or its reset came before the refusal.
QDateTime namedReset(const QString &reason, const ProviderResult &result, const QDateTime &refusedAt)
{
    std::optional<UsageWindow> named;
    for (const UsageWindow &window : result.extraWindows) {
        const QString model = window.name.section(u' ', 0, -2); // "Opus weekly" names Opus
        if (!model.isEmpty() && reason.contains(model, Qt::CaseInsensitive))
            named = window;
    }
    const auto ofSpeed = [&result](WindowSpeed speed) -> std::optional<UsageWindow> {
        for (const UsageWindow &window : result.windows) {
            if (window.speed == speed)
                return window;
        }
        return std::nullopt;
    };
    if (!named && reason.contains(u"session"_s, Qt::CaseInsensitive))
        named = ofSpeed(WindowSpeed::fast);
    if (!named && reason.contains(u"weekly"_s, Qt::CaseInsensitive))
        named = ofSpeed(WindowSpeed::slow);
    return named && named->resetAt > refusedAt ? named->resetAt : QDateTime();
}

// 12-hour with "am"/"pm", or 24-hour with its minutes: "9pm", "9:50pm", "21:50".
std::optional<QTime> clockTime(const QRegularExpressionMatch &match)
{
    const int hour = match.captured(1).toInt();
    const bool hasMinutes = match.hasCaptured(2);
    const int minute = hasMinutes ? match.captured(2).toInt() : 0;
    const QString half = match.captured(3).toLower();
    if (minute > 59)
        return std::nullopt;
    if (half.isEmpty())
        return hasMinutes && hour <= 23 ? std::optional(QTime(hour, minute)) : std::nullopt;
    if (hour < 1 || hour > 12)
        return std::nullopt;
    return QTime(hour % 12 + (half == u"pm" ? 12 : 0), minute);
}

} // namespace

QString reason(const QString &text)
{
    static const QRegularExpression named(u"\\b(?:hit|reached)\\s+(?:your|the)\\s+([^\u00B7.!?|\\n]{1,64}?\\blimit)\\b"_s,
                                          QRegularExpression::CaseInsensitiveOption);
    const QString found = OutsideText::name(named.match(text).captured(1));
    return found.isEmpty() ? StoredText::english(StoredText::usageLimit) : found;
}

QDateTime statedReset(const QString &text, const QDateTime &refusedAt)
{
    static const QRegularExpression stated(
        u"\\bresets\\s+(?:at\\s+)?(\\d{1,2})(?::(\\d\\d))?\\s*(am|pm)?(?:\\s*\\(([^()]{1,64})\\))?(?![\\w:])"_s,
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = stated.match(text);
    const std::optional<QTime> time = match.hasMatch() ? clockTime(match) : std::nullopt;
    const QString zoneName = match.captured(4).trimmed();
    const QTimeZone zone = zoneName.isEmpty() ? QTimeZone::systemTimeZone() : QTimeZone(zoneName.toUtf8());
    if (!time || !zone.isValid() || !refusedAt.isValid())
        return {};
    const QDateTime sameDay(refusedAt.toTimeZone(zone).date(), *time, zone);
    return (sameDay < refusedAt ? sameDay.addDays(1) : sameDay).toUTC();
}

Blocked blocked(const LoggedRefusal &refusal, const ProviderResult &result)
{
    Blocked block{reason(refusal.text), {}};
    const QDateTime named = namedReset(block.reason, result, refusal.at);
    block.until = named.isValid() ? named : statedReset(refusal.text, refusal.at);
    return block;
}

} // namespace ClaudeRefusalText
