#include "KimiUsageParser.h"

#include "ClaudeUsageParser.h"
#include "OutsideText.h"
#include "ProviderInput.h"
#include "StoredText.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr double fiveHourWindow = 300 * 60;
constexpr double weeklyWindow = 7 * 86400;
constexpr auto resetDateMembers = {"resetTime"_L1, "reset_at"_L1, "resetAt"_L1, "reset_time"_L1};
constexpr auto resetInMembers = {"reset_in"_L1, "resetIn"_L1, "ttl"_L1};
constexpr auto nameMembers = {"name"_L1, "title"_L1, "scope"_L1};

QString documentName()
{
    return StoredText::english(StoredText::usageResponse);
}

QString memberError(const QString &where, StoredText::Form reason)
{
    return StoredText::english(StoredText::memberIs).arg(documentName(), where, StoredText::english(reason));
}

struct Allowance {
    double usedPercent = 0;
    QDateTime resetAt;
};

// Without a reset time, the whole window is taken to be still ahead.
QDateTime resetAt(const QJsonObject &quota, double lengthSeconds, const QDateTime &now)
{
    for (const QLatin1StringView member : resetDateMembers) {
        if (const auto date = ClaudeUsageParser::date(quota.value(member)))
            return *date;
    }
    const double nowSeconds = double(now.toMSecsSinceEpoch()) / 1000;
    for (const QLatin1StringView member : resetInMembers) {
        if (const auto seconds = ClaudeUsageParser::numeric(quota.value(member)))
            return dateFromEpochSeconds(nowSeconds + *seconds);
    }
    return dateFromEpochSeconds(nowSeconds + lengthSeconds);
}

// Reads allowances, remembering the first member that did not fit.
class AllowanceReader
{
public:
    // None when the allowance is zero or a member did not fit.
    std::optional<Allowance> read(const QJsonObject &quota, const QString &path, double lengthSeconds,
                                  const QDateTime &now)
    {
        const auto limit = count(quota, path, "limit"_L1, true);
        const auto used = count(quota, path, "used"_L1, false);
        std::optional<double> remaining;
        if (!used)
            remaining = count(quota, path, "remaining"_L1, true);
        if (!m_error.isEmpty() || !(*limit > 0))
            return std::nullopt;
        const double usedCount = used ? *used : *limit - *remaining;
        return Allowance{usedCount / *limit * 100, resetAt(quota, lengthSeconds, now)};
    }

    void fail(const QString &where, StoredText::Form reason)
    {
        if (m_error.isEmpty())
            m_error = memberError(where, reason);
    }

    const QString &error() const { return m_error; }

private:
    std::optional<double> count(const QJsonObject &quota, const QString &path, QLatin1StringView member,
                                bool required)
    {
        const QJsonValue value = quota.value(member);
        const auto number = ClaudeUsageParser::numeric(value);
        if (number && std::isfinite(*number))
            return number;
        const QString where = path + u'.' + member;
        if (!value.isUndefined() && !value.isNull())
            fail(where, StoredText::isNotANumber);
        else if (required)
            fail(where, value.isNull() ? StoredText::isNull : StoredText::isMissing);
        return std::nullopt;
    }

    QString m_error;
};

bool isAbsent(const QJsonValue &value)
{
    return value.isUndefined() || value.isNull();
}

// A limit's counts sit in its detail, or in the entry itself.
QString countsPath(const QJsonObject &entry, qsizetype index)
{
    const QString path = u"limits["_s + QString::number(index) + u']';
    return entry.value("detail"_L1).isObject() ? path + u".detail"_s : path;
}

QJsonObject countsOf(const QJsonObject &entry)
{
    const QJsonValue detail = entry.value("detail"_L1);
    return detail.isObject() ? detail.toObject() : entry;
}

// The limit's own name with its length after it, else its length alone.
QString extraName(const QJsonObject &entry, double lengthSeconds)
{
    const QString length = lengthName(lengthSeconds, Wording::english);
    for (const QJsonObject &object : {entry, countsOf(entry)}) {
        for (const QLatin1StringView member : nameMembers) {
            const QString given = OutsideText::name(object.value(member).toString(), u' ' + length.toLower());
            if (!given.isEmpty())
                return given;
        }
    }
    return length;
}

std::optional<UsageWindow> extraWindow(const QJsonObject &entry, qsizetype index, double lengthSeconds,
                                       const QDateTime &now)
{
    AllowanceReader lenient;
    const auto allowance = lenient.read(countsOf(entry), countsPath(entry, index), lengthSeconds, now);
    if (!allowance)
        return std::nullopt;
    const QString name = extraName(entry, lengthSeconds);
    return UsageWindow::makeExtra(Provider::kimi, rawValue(Provider::kimi) + u'_' + idPart(name), name,
                                  allowance->usedPercent, allowance->resetAt, lengthSeconds, now);
}

} // namespace

namespace KimiUsageParser {

std::optional<double> windowSeconds(const QJsonValue &window)
{
    const auto duration = ClaudeUsageParser::numeric(window["duration"_L1]);
    if (!duration || !(*duration > 0))
        return std::nullopt;
    const QString unit = window["timeUnit"_L1].toString().toUpper();
    if (unit.contains("MINUTE"_L1))
        return *duration * 60;
    if (unit.contains("HOUR"_L1))
        return *duration * 3600;
    if (unit.contains("DAY"_L1))
        return *duration * 86400;
    return *duration;
}

std::variant<KimiUsage, PlainError> parse(const QByteArray &body, const QDateTime &now)
{
    const auto parsed = parseJsonDocument(body, documentName());
    if (const auto *error = std::get_if<PlainError>(&parsed))
        return *error;
    if (!std::get<QJsonDocument>(parsed).isObject())
        return PlainError{StoredText::english(StoredText::notJsonObject).arg(documentName())};
    const QJsonObject answer = std::get<QJsonDocument>(parsed).object();

    AllowanceReader reader;
    KimiUsage usage;
    const QJsonValue limits = answer.value("limits"_L1);
    if (!isAbsent(limits) && !limits.isArray())
        reader.fail(u"limits"_s, StoredText::isNotAnArray);
    bool fastSeen = false;
    const QJsonArray entries = limits.toArray();
    for (qsizetype index = 0; index < entries.size(); ++index) {
        const QJsonObject entry = entries[index].toObject();
        const auto length = windowSeconds(entry.value("window"_L1));
        if (!length)
            continue;
        if (*length != fiveHourWindow || fastSeen) {
            if (const auto window = extraWindow(entry, index, *length, now))
                usage.extraWindows.append(*window);
            continue;
        }
        fastSeen = true;
        if (const auto allowance = reader.read(countsOf(entry), countsPath(entry, index), *length, now))
            usage.windows.append(UsageWindow::make(Provider::kimi, WindowSpeed::fast, allowance->usedPercent,
                                                   allowance->resetAt, *length, now));
    }

    const QJsonValue weekly = answer.value("usage"_L1);
    if (weekly.isObject()) {
        if (const auto allowance = reader.read(weekly.toObject(), u"usage"_s, weeklyWindow, now))
            usage.windows.append(UsageWindow::make(Provider::kimi, WindowSpeed::slow, allowance->usedPercent,
                                                   allowance->resetAt, weeklyWindow, now));
    } else if (!isAbsent(weekly)) {
        reader.fail(u"usage"_s, StoredText::isNotAnObject);
    }
    if (!reader.error().isEmpty())
        return PlainError{reader.error()};
    makeIdsUnique(usage.extraWindows);
    return usage;
}

} // namespace KimiUsageParser
