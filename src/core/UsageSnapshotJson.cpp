#include "UsageSnapshotJson.h"

#include "AnswerBounds.h"
#include "DurationText.h"
#include "OutsideText.h"
#include "ProviderTraits.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <cmath>
#include <iterator>

using namespace Qt::StringLiterals;

namespace UsageSnapshotJson {

namespace {

// Far more than Tidemarker ever publishes for an account, for as many accounts as it asks; a
// larger snapshot comes from something else.
qsizetype maxSnapshotBytes()
{
    return 64 * 1024 * Account::maximumPerProvider * ProviderTraits::all().size();
}

const QStringList knownSources = {u"live"_s, u"cached"_s, u"throttled"_s, u"expired"_s, u"error"_s};

// Error texts may say where a credential file lives; scripts get its name only. Addresses stay.
QString withoutFolders(const QString &text)
{
    static const QRegularExpression pathLike(u"[^\\s()\"']*/([^\\s()\"'/]*)"_s);
    QString result;
    qsizetype copied = 0;
    for (const QRegularExpressionMatch &match : pathLike.globalMatch(text)) {
        if (match.captured().contains(u"://"))
            continue;
        result += text.sliced(copied, match.capturedStart() - copied) + match.captured(1);
        copied = match.capturedEnd();
    }
    return result + text.sliced(copied);
}

QJsonValue errorJson(const std::optional<QString> &error)
{
    return error ? QJsonValue(withoutFolders(*error)) : QJsonValue(QJsonValue::Null);
}

QJsonValue dateJson(const QDateTime &date)
{
    return date.isValid() ? QJsonValue(date.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue(QJsonValue::Null);
}

QJsonObject windowJson(const UsageWindow &window)
{
    QJsonObject object = window.toJson();
    object.insert(u"id"_s, window.id());
    object.insert(u"label"_s, window.displayLabel(Wording::english));
    // A main window named otherwise than by its length, as a calendar month's "Monthly".
    if (!window.name.isEmpty())
        object.insert(u"name"_s, window.name);
    object.insert(u"pressureDisplay"_s, window.pressureDisplay(Wording::english));
    object.insert(u"pressureLabel"_s, window.pressureLabel(Wording::english));
    return object;
}

// A limit the service refuses says so; the others keep their shape.
QJsonObject extraWindowJson(const UsageWindow &window)
{
    QJsonObject object = windowJson(window);
    object.insert(u"name"_s, window.name);
    if (window.blocked)
        object.insert(u"blocked"_s, window.blocked->toJson());
    return object;
}

QJsonArray windowsJson(const QList<UsageWindow> &windows, QJsonObject (*toJson)(const UsageWindow &))
{
    QJsonArray array;
    for (const UsageWindow &window : windows)
        array.append(toJson(window));
    return array;
}

QJsonValue extraUsageJson(const std::optional<ExtraUsage> &usage)
{
    if (!usage)
        return QJsonValue::Null;
    return QJsonObject{{u"used"_s, usage->used},
                       {u"limit"_s, usage->limit ? QJsonValue(*usage->limit) : QJsonValue(QJsonValue::Null)},
                       {u"currency"_s, usage->currency}};
}

QJsonValue creditsJson(const std::optional<Credits> &credits)
{
    if (!credits)
        return QJsonValue::Null;
    return QJsonObject{{u"balance"_s, credits->balance ? QJsonValue(*credits->balance) : QJsonValue(QJsonValue::Null)},
                       {u"unlimited"_s, credits->unlimited}};
}

QJsonValue resetCreditsJson(const std::optional<ResetCredits> &credits)
{
    if (!credits)
        return QJsonValue::Null;
    return QJsonObject{{u"available"_s, credits->available}, {u"nextExpiry"_s, dateJson(credits->nextExpiry)}};
}

// Cached figures say how old they are, as of the snapshot.
QJsonValue noteJson(const ProviderResult &result, const QDateTime &generatedAt)
{
    if (result.source != u"cached")
        return QJsonValue::Null;
    return QString(u"figures from the last request, "_s + asOfText(double(result.fetchedAt.msecsTo(generatedAt)) / 1000, Wording::english));
}

// By its label, as the results name it; no folder, as no other member has one.
QJsonValue accountJson(const Account &account)
{
    return account.label.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(account.label);
}

QJsonValue worstAccountJson(const UsageStatus &status)
{
    const auto worst = status.worst();
    if (!worst)
        return QJsonValue::Null;
    return QJsonObject{{u"provider"_s, rawValue(worst->provider)}, {u"account"_s, accountJson(*status.worstAccount())}};
}

QJsonObject resultJson(const ProviderResult &result, const QDateTime &generatedAt)
{
    return {{u"provider"_s, rawValue(result.provider)},
            {u"account"_s, accountJson(result.account)},
            {u"ok"_s, result.ok},
            {u"source"_s, result.source},
            {u"error"_s, errorJson(result.error)},
            {u"note"_s, noteJson(result, generatedAt)},
            {u"needsAuth"_s, result.needsAuth},
            {u"blocked"_s, blockedJson(result.blocked)},
            {u"windows"_s, windowsJson(result.windows, windowJson)},
            {u"extraWindows"_s, windowsJson(result.extraWindows, extraWindowJson)},
            {u"extraUsage"_s, extraUsageJson(result.extraUsage)},
            {u"spend"_s, extraUsageJson(result.spend)},
            {u"credits"_s, creditsJson(result.credits)},
            {u"resetCredits"_s, resetCreditsJson(result.resetCredits)},
            {u"fetchedAt"_s, dateJson(result.fetchedAt)},
            {u"lastFetchFailed"_s, result.lastFetchFailed}};
}

// At most one window of each speed, each of the provider it is listed under.
bool addWindow(ProviderResult &result, const std::optional<UsageWindow> &window)
{
    if (!window || window->provider != result.provider)
        return false;
    for (const UsageWindow &listed : std::as_const(result.windows)) {
        if (listed.speed == window->speed)
            return false;
    }
    result.windows.append(*window);
    return true;
}

std::optional<UsageWindow> mainWindowFromJson(const QJsonObject &object)
{
    auto window = UsageWindow::fromJson(object);
    if (window)
        window->name = OutsideText::plainLine(object.value(u"name"_s).toString());
    return window;
}

// An extra window needs its id and name; an older snapshot without any is read as having none.
std::optional<UsageWindow> extraWindowFromJson(const QJsonObject &object, Provider provider)
{
    auto window = UsageWindow::fromJson(object);
    const QString id = OutsideText::plainLine(object.value(u"id"_s).toString());
    const QString name = OutsideText::plainLine(object.value(u"name"_s).toString());
    if (!window || window->provider != provider || id.isEmpty() || name.isEmpty())
        return std::nullopt;
    window->extraId = id;
    window->name = name;
    window->blocked = Blocked::fromJson(object.value(u"blocked"_s));
    return window;
}

std::optional<ExtraUsage> extraUsageFromJson(const QJsonValue &value)
{
    const QJsonValue used = value[u"used"_s];
    const QJsonValue limit = value[u"limit"_s];
    const QJsonValue currency = value[u"currency"_s];
    const auto amount = [](const QJsonValue &value) { return value.isDouble() && std::isfinite(value.toDouble()); };
    if (!amount(used) || !(amount(limit) || limit.isNull()) || !currency.isString())
        return std::nullopt;
    ExtraUsage usage{used.toDouble(), std::nullopt, OutsideText::plainLine(currency.toString())};
    if (limit.isDouble())
        usage.limit = limit.toDouble();
    return usage;
}

std::optional<Credits> creditsFromJson(const QJsonValue &value)
{
    const QJsonValue balance = value[u"balance"_s];
    const QJsonValue unlimited = value[u"unlimited"_s];
    if (!unlimited.isBool() || !(balance.isDouble() || balance.isNull()))
        return std::nullopt;
    Credits credits{std::nullopt, unlimited.toBool()};
    if (balance.isDouble())
        credits.balance = balance.toDouble();
    return credits;
}

std::optional<ResetCredits> resetCreditsFromJson(const QJsonValue &value)
{
    const QJsonValue available = value[u"available"_s];
    const QJsonValue nextExpiry = value[u"nextExpiry"_s];
    const QDateTime expiry = QDateTime::fromString(nextExpiry.toString(), Qt::ISODateWithMs);
    if (!(available.toDouble() >= 1) || !(expiry.isValid() || nextExpiry.isNull()))
        return std::nullopt;
    return ResetCredits{int(std::min<double>(available.toDouble(), AnswerBounds::maxResetCredits)), expiry.toUTC()};
}

std::optional<ProviderResult> resultFromJson(const QJsonObject &object)
{
    const auto provider = providerFromRawValue(object.value(u"provider"_s).toString());
    const QString source = object.value(u"source"_s).toString();
    const QJsonValue fetchedAt = object.value(u"fetchedAt"_s);
    const QDateTime fetchedDate = QDateTime::fromString(fetchedAt.toString(), Qt::ISODateWithMs);
    if (!provider || !knownSources.contains(source) || (fetchedAt.isString() && !fetchedDate.isValid()))
        return std::nullopt;
    ProviderResult result{*provider, object.value(u"ok"_s).toBool(), source, std::nullopt, {},
                          object.value(u"needsAuth"_s).toBool()};
    result.account = {*provider, {}, OutsideText::plainLine(object.value(u"account"_s).toString())};
    if (const QJsonValue error = object.value(u"error"_s); error.isString())
        result.error = OutsideText::plainLine(error.toString());
    for (const QJsonValue &value : object.value(u"windows"_s).toArray()) {
        if (!addWindow(result, mainWindowFromJson(value.toObject())))
            return std::nullopt;
    }
    for (const QJsonValue &value : object.value(u"extraWindows"_s).toArray()) {
        const auto window = extraWindowFromJson(value.toObject(), result.provider);
        if (!window)
            return std::nullopt;
        result.extraWindows.append(*window);
    }
    result.extraUsage = extraUsageFromJson(object.value(u"extraUsage"_s));
    result.spend = extraUsageFromJson(object.value(u"spend"_s));
    result.credits = creditsFromJson(object.value(u"credits"_s));
    result.resetCredits = resetCreditsFromJson(object.value(u"resetCredits"_s));
    result.fetchedAt = fetchedDate.toUTC();
    result.lastFetchFailed = object.value(u"lastFetchFailed"_s).toBool();
    result.blocked = Blocked::fromJson(object.value(u"blocked"_s));
    return result;
}

} // namespace

QJsonObject toJson(const UsageStatus &status)
{
    QJsonArray providers;
    for (const ProviderResult &result : status.results)
        providers.append(resultJson(result, status.generatedAt));
    const auto worst = status.worst();
    return {{u"generatedAt"_s, status.generatedAt.toUTC().toString(Qt::ISODateWithMs)},
            {u"providers"_s, providers},
            {u"worst"_s, worst ? QJsonValue(worst->id()) : QJsonValue(QJsonValue::Null)},
            {u"worstAccount"_s, worstAccountJson(status)},
            {u"summary"_s, status.summary(Wording::english)}};
}

QByteArray toText(const UsageStatus &status)
{
    return QJsonDocument(toJson(status)).toJson(QJsonDocument::Compact);
}

std::optional<UsageStatus> fromText(const QByteArray &text)
{
    if (text.size() > maxSnapshotBytes())
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(text).object();
    const QDateTime generatedAt
        = QDateTime::fromString(object.value(u"generatedAt"_s).toString(), Qt::ISODateWithMs);
    if (!generatedAt.isValid())
        return std::nullopt;
    UsageStatus status{generatedAt.toUTC(), {}};
    for (const QJsonValue &value : object.value(u"providers"_s).toArray()) {
        const auto result = resultFromJson(value.toObject());
        if (!result || status.result(result->account))
            return std::nullopt;
        status.results.append(*result);
    }
    return status;
}

} // namespace UsageSnapshotJson
