#include "UsageModels.h"

#include "LocalNumberText.h"
#include "ProviderTraits.h"
#include "StoredText.h"

#include <QHash>
#include <QJsonValue>
#include <QSet>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

QString rawValue(Provider provider)
{
    return ProviderTraits::of(provider).rawValue;
}

QString displayName(Provider provider)
{
    return ProviderTraits::of(provider).displayName;
}

std::optional<Provider> providerFromRawValue(const QString &text)
{
    for (Provider provider : ProviderTraits::all()) {
        if (rawValue(provider) == text)
            return provider;
    }
    return std::nullopt;
}

QString rawValue(WindowSpeed speed)
{
    return speed == WindowSpeed::fast ? u"fast"_s : u"slow"_s;
}

// The history keeps the English name too: it is put in the user's language where it is shown.
QString lengthName(double seconds, Wording wording)
{
    if (wording == Wording::local)
        return StoredText::shown(lengthName(seconds, Wording::english));
    constexpr double day = 86400;
    if (seconds == 5 * 3600)
        return StoredText::english(StoredText::fiveHours);
    if (seconds == 7 * day)
        return StoredText::english(StoredText::weekly);
    // Monthly windows follow the calendar month on some plans.
    if (seconds >= 28 * day && seconds <= 31 * day)
        return StoredText::english(StoredText::thirtyDays);
    if (seconds >= day)
        return StoredText::english(StoredText::days).arg(QString::number(std::floor(seconds / day), 'f', 0));
    return StoredText::english(StoredText::hours).arg(QString::number(std::max(1.0, std::floor(seconds / 3600)), 'f', 0));
}

std::optional<WindowSpeed> windowSpeedFromRawValue(const QString &text)
{
    for (WindowSpeed speed : {WindowSpeed::fast, WindowSpeed::slow}) {
        if (rawValue(speed) == text)
            return speed;
    }
    return std::nullopt;
}

QDateTime dateFromEpochSeconds(double seconds)
{
    constexpr double limit = 1e16; // milliseconds, some 300,000 years either way
    const double msecs = std::isnan(seconds) ? 0 : std::clamp(seconds * 1000, -limit, limit);
    return QDateTime::fromMSecsSinceEpoch(qint64(std::round(msecs)), Qt::UTC);
}

QDateTime dateFromEpochTime(double secondsOrMilliseconds)
{
    constexpr double millisecondsThreshold = 1e12;
    return dateFromEpochSeconds(secondsOrMilliseconds > millisecondsThreshold ? secondsOrMilliseconds / 1000
                                                                              : secondsOrMilliseconds);
}

// The comparisons are written so that a value that is not a number falls to the floor.
UsageWindow UsageWindow::make(Provider provider, WindowSpeed speed, double usedPercent,
                              const QDateTime &resetAt, double limitWindowSeconds,
                              const QDateTime &now)
{
    double used = usedPercent >= 0 ? usedPercent : 0;
    used = std::min(used, 100.0);
    const double length = limitWindowSeconds >= 60 ? limitWindowSeconds : 60;
    const double left = double(now.msecsTo(resetAt)) / 1000.0;

    double timeFraction = 0;
    if (left >= 0) {
        timeFraction = left / length;
        timeFraction = timeFraction < 0 ? 0 : std::min(timeFraction, 1.0);
    }
    double remainingFraction = 1 - used / 100;
    remainingFraction = remainingFraction < 0 ? 0 : std::min(remainingFraction, 1.0);

    UsageWindow window;
    window.provider = provider;
    window.speed = speed;
    window.usedPercent = used;
    window.remainingPercent = remainingFraction * 100;
    window.expectedRemainingPercent = timeFraction * 100;
    window.pressurePercent = (remainingFraction - timeFraction) * 100;
    window.resetAt = resetAt;
    window.limitWindowSeconds = length;
    return window;
}

UsageWindow UsageWindow::makeExtra(Provider provider, const QString &extraId, const QString &name,
                                   double usedPercent, const QDateTime &resetAt,
                                   double limitWindowSeconds, const QDateTime &now)
{
    const WindowSpeed speed = limitWindowSeconds < 86400 ? WindowSpeed::fast : WindowSpeed::slow;
    UsageWindow window = make(provider, speed, usedPercent, resetAt, limitWindowSeconds, now);
    window.extraId = extraId;
    window.name = name;
    return window;
}

QString UsageWindow::id() const
{
    return extraId.isEmpty() ? rawValue(provider) + u'_' + rawValue(speed) : extraId;
}

QString idPart(const QString &name)
{
    QString part;
    for (const QChar c : name.toLower()) {
        if (c.isLetterOrNumber())
            part += c;
        else if (!part.isEmpty() && !part.endsWith(u'-'))
            part += u'-';
    }
    if (part.endsWith(u'-'))
        part.chop(1);
    return part.isEmpty() ? u"unnamed"_s : part;
}

void makeIdsUnique(QList<UsageWindow> &windows)
{
    QSet<QString> taken;
    QHash<QString, int> nextNumber; // thousands of one name stay one pass
    for (UsageWindow &window : windows) {
        const QString id = window.id();
        int &n = nextNumber[id];
        n = std::max(n, 2);
        while (taken.contains(window.id()))
            window.extraId = id + u'_' + QString::number(n++);
        taken.insert(window.id());
    }
}

QString UsageWindow::displayLabel(Wording wording) const
{
    const QString english = name.isEmpty() ? lengthName(limitWindowSeconds, Wording::english) : name;
    return wording == Wording::local ? StoredText::shown(english) : english;
}

QString UsageWindow::pressureDisplay(Wording wording) const
{
    const auto withSign = [wording](const QString &number) {
        return wording == Wording::local ? LocalNumberText::percent(number) : number + u'%';
    };
    // Only a window decoded from JSON can carry these; show them without pretending a number.
    if (std::isnan(pressurePercent))
        return withSign(u"?"_s);
    if (std::isinf(pressurePercent))
        return withSign(pressurePercent > 0 ? u"+\u221E"_s : u"-\u221E"_s);

    const double whole = std::round(pressurePercent); // halves away from zero
    if (whole == 0)
        return withSign(u"0"_s); // also for -0, so zero never carries a sign
    const QString digits = QString::number(whole, 'f', 0);
    return withSign(whole >= 1 ? u"+"_s + digits : digits);
}

QString pressureLabel(double pressurePercent, Wording wording)
{
    if (pressurePercent > 5)
        return worded(wording, "UsageModels", QT_TRANSLATE_NOOP("UsageModels", "High"));
    if (pressurePercent < -5)
        return worded(wording, "UsageModels", QT_TRANSLATE_NOOP("UsageModels", "Low"));
    return worded(wording, "UsageModels", QT_TRANSLATE_NOOP("UsageModels", "Good"));
}

QString UsageWindow::pressureLabel(Wording wording) const
{
    return ::pressureLabel(pressurePercent, wording);
}

QJsonObject UsageWindow::toJson() const
{
    QJsonObject object;
    object.insert(u"provider"_s, rawValue(provider));
    object.insert(u"speed"_s, rawValue(speed));
    object.insert(u"usedPercent"_s, usedPercent);
    object.insert(u"remainingPercent"_s, remainingPercent);
    object.insert(u"expectedRemainingPercent"_s, expectedRemainingPercent);
    object.insert(u"pressurePercent"_s, pressurePercent);
    object.insert(u"resetAt"_s, resetAt.toUTC().toString(Qt::ISODateWithMs));
    object.insert(u"limitWindowSeconds"_s, limitWindowSeconds);
    return object;
}

std::optional<UsageWindow> UsageWindow::fromJson(const QJsonObject &object)
{
    const auto provider = providerFromRawValue(object.value(u"provider"_s).toString());
    const auto speed = windowSpeedFromRawValue(object.value(u"speed"_s).toString());
    const QJsonValue resetText = object.value(u"resetAt"_s);
    const QDateTime resetAt = QDateTime::fromString(resetText.toString(), Qt::ISODateWithMs);
    if (!provider || !speed || !resetText.isString() || !resetAt.isValid())
        return std::nullopt;

    const char *numberNames[] = {"usedPercent", "remainingPercent", "expectedRemainingPercent",
                                 "pressurePercent", "limitWindowSeconds"};
    double numbers[std::size(numberNames)];
    for (size_t i = 0; i < std::size(numberNames); ++i) {
        const QJsonValue value = object.value(QLatin1StringView(numberNames[i]));
        if (!value.isDouble())
            return std::nullopt;
        numbers[i] = value.toDouble();
    }

    // Bounded to what a window can hold, whatever the sender claims (JSON holds no NaN).
    UsageWindow window;
    window.provider = *provider;
    window.speed = *speed;
    window.usedPercent = std::clamp(numbers[0], 0.0, 100.0);
    window.remainingPercent = std::clamp(numbers[1], 0.0, 100.0);
    window.expectedRemainingPercent = std::clamp(numbers[2], 0.0, 100.0);
    window.pressurePercent = std::clamp(numbers[3], -100.0, 100.0);
    window.resetAt = resetAt.toUTC();
    window.limitWindowSeconds = std::clamp(numbers[4], 60.0, longestWindowSeconds);
    return window;
}

QList<UsageWindow> UsageStatus::windows() const
{
    QList<UsageWindow> all;
    for (const ProviderResult &result : results)
        all.append(result.windows);
    return all;
}

std::optional<ProviderResult> UsageStatus::result(Provider provider) const
{
    for (const ProviderResult &result : results) {
        if (result.provider == provider)
            return result;
    }
    return std::nullopt;
}

std::optional<ProviderResult> UsageStatus::result(const Account &account) const
{
    for (const ProviderResult &result : results) {
        if (result.account == account)
            return result;
    }
    return std::nullopt;
}

UsageStatus UsageStatus::firstAccounts() const
{
    UsageStatus shown{generatedAt, results};
    shown.results.removeIf([](const ProviderResult &result) { return !result.account.first; });
    return shown;
}

UsageStatus UsageStatus::ofProviders(const QList<Provider> &providers) const
{
    UsageStatus shown{generatedAt, results};
    shown.results.removeIf([&providers](const ProviderResult &result) { return !providers.contains(result.provider); });
    return shown;
}

namespace {

std::optional<UsageWindow> lowestPressure(const QList<UsageWindow> &windows)
{
    if (windows.isEmpty())
        return std::nullopt;
    // min_element keeps the first of equals.
    return *std::min_element(windows.begin(), windows.end(), [](const UsageWindow &a, const UsageWindow &b) {
        return a.pressurePercent < b.pressurePercent;
    });
}

struct Worst {
    const ProviderResult *result;
    const UsageWindow *window;
};

// The main windows of every result, then their extra ones; strictly lower: the first wins ties.
std::optional<Worst> worstOf(const QList<ProviderResult> &results)
{
    std::optional<Worst> candidate;
    const auto consider = [&candidate](const ProviderResult &result, const QList<UsageWindow> &windows) {
        for (const UsageWindow &window : windows) {
            if (!candidate || window.pressurePercent < candidate->window->pressurePercent)
                candidate = Worst{&result, &window};
        }
    };
    for (const ProviderResult &result : results)
        consider(result, result.windows);
    for (const ProviderResult &result : results)
        consider(result, result.extraWindows);
    return candidate;
}

} // namespace

std::optional<UsageWindow> UsageStatus::worst() const
{
    const auto found = worstOf(results);
    return found ? std::optional(*found->window) : std::nullopt;
}

std::optional<Account> UsageStatus::worstAccount() const
{
    const auto found = worstOf(results);
    return found ? std::optional(found->result->account) : std::nullopt;
}

QString UsageStatus::summary(Wording wording) const
{
    const auto found = worstOf(results);
    if (!found)
        return worded(wording, "UsageModels", QT_TRANSLATE_NOOP("UsageModels", "Tidemarker: usage unavailable"));
    const UsageWindow &window = *found->window;
    return QStringList{found->result->displayName(), window.displayLabel(wording), window.pressureDisplay(wording),
                       window.pressureLabel(wording).toLower()}
        .join(u' ');
}

QString ProviderResult::displayName() const
{
    return Account{provider, {}, account.label}.displayName();
}

void ProviderResult::clearBlocksEndedBy(const QDateTime &now)
{
    const auto ended = [&now](const std::optional<Blocked> &block) { return block && !block->holdsAt(now); };
    if (ended(blocked))
        blocked.reset();
    for (UsageWindow &window : extraWindows) {
        if (ended(window.blocked))
            window.blocked.reset();
    }
}

QList<UsageWindow> UsageStatus::tightestWindows() const
{
    QList<UsageWindow> hands;
    for (Provider provider : ProviderTraits::all()) {
        QList<UsageWindow> ofProvider;
        for (const ProviderResult &result : results) {
            if (result.provider == provider)
                ofProvider += result.windows + result.extraWindows;
        }
        for (WindowSpeed speed : {WindowSpeed::fast, WindowSpeed::slow}) {
            QList<UsageWindow> ofSpeed = ofProvider;
            ofSpeed.removeIf([speed](const UsageWindow &window) { return window.speed != speed; });
            if (const auto tightest = lowestPressure(ofSpeed))
                hands.append(*tightest);
        }
    }
    return hands;
}
