#include "Settings.h"

#include "FileKind.h"
#include "ProviderInput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>

#include <algorithm>
#include <variant>

using namespace Qt::StringLiterals;

namespace {

const QString providersKey = u"providers"_s;
const QString iconKey = u"icon"_s;
const QString gaugeKey = u"gauge"_s;
const QString alertsKey = u"alerts"_s;
const QString alertAtPercentKey = u"alert_at_percent"_s;
const QString refreshSecondsKey = u"refresh_seconds"_s;
const QString breakdownKey = u"breakdown"_s;
const QString resetTimesKey = u"reset_times"_s;
const QString gaugeProvidersKey = u"gauge_providers"_s;

// Far more than every key takes.
constexpr qint64 settingsSizeLimit = 64 * 1024;

QString accountsKey(Provider provider)
{
    return rawValue(provider) + u"_accounts"_s;
}

constexpr IconStyle iconStyles[] = {IconStyle::colour, IconStyle::light, IconStyle::dark};

// QSettings hands a value with commas in it over as a list.
QString textOf(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<QStringList>() ? value.toStringList().join(u',')
                                                                 : value.toString();
}

QStringList providerNames(const QList<Provider> &providers)
{
    QStringList names;
    for (Provider provider : providers)
        names.append(rawValue(provider));
    return names;
}

std::optional<QList<Provider>> parseProviders(const QString &text)
{
    QList<Provider> named;
    for (const QString &name : text.split(u',')) {
        const std::optional<Provider> provider = providerFromRawValue(name.trimmed());
        if (!provider)
            return std::nullopt;
        named.append(*provider);
    }
    QList<Provider> providers; // in the order the menu lists them
    for (Provider provider : ProviderTraits::all()) {
        if (named.contains(provider))
            providers.append(provider);
    }
    return providers;
}

std::optional<QList<Provider>> parseGaugeProviders(const QString &text)
{
    const std::optional<QList<Provider>> providers = parseProviders(text);
    if (!providers || providers->isEmpty() || providers->size() > Settings::maximumGaugeProviders)
        return std::nullopt;
    return providers;
}

QString providerChoiceText()
{
    QStringList names = providerNames(ProviderTraits::all());
    const QString last = names.takeLast();
    return QCoreApplication::translate("Settings", "one or more of %1 and %2, separated by commas").arg(names.join(u", "_s), last);
}

std::optional<IconStyle> parseIconStyle(const QString &text)
{
    for (IconStyle style : iconStyles) {
        if (text.trimmed() == rawValue(style))
            return style;
    }
    return std::nullopt;
}

std::optional<GaugeHands> parseGaugeHands(const QString &text)
{
    for (GaugeHands hands : {GaugeHands::tightest, GaugeHands::main}) {
        if (text.trimmed() == rawValue(hands))
            return hands;
    }
    return std::nullopt;
}

std::optional<bool> parseBool(const QString &text)
{
    const QString word = text.trimmed().toLower();
    if (word == u"true" || word == u"false")
        return word == u"true";
    return std::nullopt;
}

auto wholeNumberFrom(int minimum, int maximum)
{
    return [minimum, maximum](const QString &text) -> std::optional<int> {
        bool isNumber = false;
        const int number = text.trimmed().toInt(&isNumber);
        return isNumber && number >= minimum && number <= maximum ? std::optional(number) : std::nullopt;
    };
}

QString boolText(bool value)
{
    return value ? u"true"_s : u"false"_s;
}

// The keys whose line holds a ";" outside quotes: the file's format reads the rest of the line
// as a comment, which would cut a list there without a word.
QSet<QString> keysCutByComments(const QByteArray &content)
{
    QSet<QString> cut;
    for (const QByteArray &line : content.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0 || line.trimmed().startsWith(';'))
            continue;
        bool quoted = false;
        for (const char c : line.sliced(equals + 1)) {
            if (c == '"')
                quoted = !quoted;
            else if (c == ';' && !quoted) {
                cut.insert(QString::fromUtf8(line.first(equals).trimmed()));
                break;
            }
        }
    }
    return cut;
}

// Reads key after key from one file; a value that does not parse leaves the default in place.
class KeyReader
{
public:
    KeyReader(const QString &path, const QByteArray &content, QStringList *problems)
        : m_file(path, QSettings::IniFormat)
        , m_path(path)
        , m_problems(problems)
        , m_cutByComments(keysCutByComments(content))
    {
    }

    bool isReadable() const { return m_file.status() == QSettings::NoError; }

    template <typename T, typename Parse>
    void read(const QString &key, Parse parse, const QString &expected, T &value, const QString &defaultText)
    {
        if (!m_file.contains(key))
            return;
        if (m_cutByComments.contains(key)) {
            m_problems->append(QCoreApplication::translate("Settings", "%1: %2 holds a \";\", which begins a comment in this file; "
                                                             "separate with commas, or put the value in double "
                                                             "quotes; using %3")
                                   .arg(m_path, key, defaultText));
            return;
        }
        const QString text = textOf(m_file.value(key));
        if (const std::optional<T> parsed = parse(text)) {
            value = *parsed;
            return;
        }
        m_problems->append(QCoreApplication::translate("Settings", "%1: %2 \"%3\" is not %4; using %5")
                               .arg(m_path, key, text, expected, defaultText));
    }

private:
    const QSettings m_file;
    QString m_path;
    QStringList *m_problems;
    QSet<QString> m_cutByComments;
};

// The file's text, or why it cannot be the settings. A FIFO in its place would hold the reading
// thread for ever; a binary file would read as no keys at all, and so as silent defaults.
std::variant<QByteArray, QString> settingsText(const QString &path)
{
    if (std::optional<QString> notAFile = FileKind::notAFile(path))
        return *notAFile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("Settings", "%1: cannot be read (%2)").arg(path, file.errorString());
    QByteArray content = readAtMost(file, settingsSizeLimit);
    if (content.contains('\0') || !file.atEnd())
        return QCoreApplication::translate("Settings", "%1 is not a settings file (binary or over 64 KiB)").arg(path);
    return content;
}

} // namespace

QString rawValue(IconStyle style)
{
    switch (style) {
    case IconStyle::light:
        return u"light"_s;
    case IconStyle::dark:
        return u"dark"_s;
    case IconStyle::colour:
        break;
    }
    return u"colour"_s;
}

QString rawValue(GaugeHands hands)
{
    return hands == GaugeHands::main ? u"main"_s : u"tightest"_s;
}

Settings Settings::read(const QString &path, QStringList *problems)
{
    Settings settings;
    const QFileInfo file(path);
    if (!file.exists())
        return settings;
    const std::variant<QByteArray, QString> content = settingsText(path);
    if (const QString *reason = std::get_if<QString>(&content)) {
        problems->append(QCoreApplication::translate("Settings", "%1; using the defaults").arg(*reason));
        return settings;
    }
    KeyReader reader(path, std::get<QByteArray>(content), problems);
    if (!reader.isReadable()) {
        problems->append(QCoreApplication::translate("Settings", "%1: cannot be read; using the defaults").arg(path));
        return settings;
    }
    const Settings defaults;
    reader.read(providersKey, parseProviders, providerChoiceText(), settings.providers, providerNames(defaults.providers).join(u','));
    reader.read(gaugeProvidersKey, parseGaugeProviders,
                QCoreApplication::translate("Settings", "one or two providers, separated by a comma"), settings.gaugeProviders,
                QCoreApplication::translate("Settings", "the first two shown"));
    reader.read(iconKey, parseIconStyle, QCoreApplication::translate("Settings", "colour, light or dark"), settings.icon, rawValue(defaults.icon));
    reader.read(gaugeKey, parseGaugeHands, QCoreApplication::translate("Settings", "tightest or main"), settings.gauge, rawValue(defaults.gauge));
    reader.read(alertsKey, parseBool, QCoreApplication::translate("Settings", "true or false"), settings.alerts, boolText(defaults.alerts));
    reader.read(alertAtPercentKey, wholeNumberFrom(minimumAlertPercent, maximumAlertPercent),
                QCoreApplication::translate("Settings", "a whole number from %1 to %2").arg(minimumAlertPercent).arg(maximumAlertPercent),
                settings.alertAtPercent, QString::number(defaults.alertAtPercent));
    reader.read(refreshSecondsKey, wholeNumberFrom(minimumRefreshSeconds, maximumRefreshSeconds),
                QCoreApplication::translate("Settings", "a whole number from %1 to %2").arg(minimumRefreshSeconds).arg(maximumRefreshSeconds),
                settings.refreshSeconds, QString::number(defaults.refreshSeconds));
    for (Provider provider : ProviderTraits::all()) {
        QList<AccountFolder> &folders = settings.accountFolders(provider);
        if (ProviderTraits::of(provider).credential == ProviderTraits::Credential::key) {
            reader.read(accountsKey(provider), keyNamesFromText,
                        QCoreApplication::translate("Settings", "a list of key names separated by commas, each of lower-case "
                                                      "letters, digits and dashes, and labelled or not (work=%1-1f2e3d4c)")
                            .arg(rawValue(provider)),
                        folders, QCoreApplication::translate("Settings", "the one account"));
        } else {
            reader.read(accountsKey(provider), accountFoldersFromText,
                        QCoreApplication::translate("Settings", "a list of folders separated by commas, each an absolute path or "
                                                      "one below ~, and labelled or not (work=~/.%1-work)")
                            .arg(rawValue(provider)),
                        folders, QCoreApplication::translate("Settings", "the one account"));
        }
        if (folders.size() > Account::maximumPerProvider) {
            problems->append(QCoreApplication::translate("Settings", "%1: %2 lists more than %3 folders; leaving out %4").arg(
                path, accountsKey(provider), QString::number(Account::maximumPerProvider),
                accountFoldersText(folders.sliced(Account::maximumPerProvider))));
            folders.resize(Account::maximumPerProvider);
        }
    }
    reader.read(breakdownKey, parseBool, QCoreApplication::translate("Settings", "true or false"), settings.breakdown, boolText(defaults.breakdown));
    reader.read(resetTimesKey, parseBool, QCoreApplication::translate("Settings", "true or false"), settings.resetTimes, boolText(defaults.resetTimes));
    return settings;
}

QList<Account> Settings::accounts() const
{
    QList<Account> accounts;
    for (Provider provider : ProviderTraits::all()) {
        if (ProviderTraits::of(provider).shownByDefault || shows(provider))
            accounts += Account::listed(provider, accountFolders(provider));
    }
    return accounts;
}

QList<AccountFolder> &Settings::accountFolders(Provider provider)
{
    return accountLists[ProviderTraits::all().indexOf(provider)];
}

const QList<AccountFolder> &Settings::accountFolders(Provider provider) const
{
    return accountLists.at(ProviderTraits::all().indexOf(provider));
}

QList<Provider> Settings::gaugeShows() const
{
    const bool allShown = std::ranges::all_of(gaugeProviders, [this](Provider provider) { return shows(provider); });
    if (!gaugeProviders.isEmpty() && allShown)
        return gaugeProviders;
    return providers.first(std::min(providers.size(), maximumGaugeProviders));
}

// Labels hold neither commas nor "=", and a folder is absolute once "~" is expanded.
std::optional<QList<AccountFolder>> accountFoldersFromText(const QString &text)
{
    QList<AccountFolder> folders;
    for (const QString &entry : text.split(u',', Qt::SkipEmptyParts)) {
        const qsizetype equals = entry.indexOf(u'=');
        const QString label = equals < 0 ? QString() : entry.first(equals).trimmed();
        QString folder = entry.sliced(equals + 1).trimmed();
        if (folder == u"~" || folder.startsWith(u"~/"))
            folder = QDir::homePath() + folder.sliced(1);
        if ((equals >= 0 && label.isEmpty()) || !QDir::isAbsolutePath(folder))
            return std::nullopt;
        // One sign-in is one account, however often it is listed.
        if (std::ranges::none_of(folders, [&folder](const AccountFolder &listed) { return listed.folder == QDir::cleanPath(folder); }))
            folders.append({QDir::cleanPath(folder), label});
    }
    return folders;
}

std::optional<QList<AccountFolder>> keyNamesFromText(const QString &text)
{
    static const QRegularExpression keyName(u"^[a-z0-9]+(-[a-z0-9]+)*$"_s);
    QList<AccountFolder> names;
    for (const QString &entry : text.split(u',', Qt::SkipEmptyParts)) {
        const qsizetype equals = entry.indexOf(u'=');
        const QString label = equals < 0 ? QString() : entry.first(equals).trimmed();
        const QString name = entry.sliced(equals + 1).trimmed();
        if ((equals >= 0 && label.isEmpty()) || !keyName.match(name).hasMatch())
            return std::nullopt;
        if (std::ranges::none_of(names, [&name](const AccountFolder &listed) { return listed.folder == name; }))
            names.append({name, label});
    }
    return names;
}

QString accountFoldersText(const QList<AccountFolder> &folders)
{
    QStringList entries;
    for (const AccountFolder &folder : folders) {
        const QString path = homeRelative(folder.folder);
        entries.append(folder.label.isEmpty() ? path : folder.label + u'=' + path);
    }
    return entries.join(u", "_s);
}

std::optional<QString> Settings::write(const QString &path) const
{
    // Qt would read a FIFO in the file's place first, and wait for ever.
    if (std::optional<QString> notAFile = FileKind::notAFile(path))
        return notAFile;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QCoreApplication::translate("Settings", "cannot make the folder %1").arg(folder);
    QSettings file(path, QSettings::IniFormat);
    file.setValue(providersKey, providerNames(providers));
    file.setValue(iconKey, rawValue(icon));
    file.setValue(gaugeKey, rawValue(gauge));
    file.setValue(alertsKey, boolText(alerts));
    file.setValue(alertAtPercentKey, alertAtPercent);
    file.setValue(refreshSecondsKey, refreshSeconds);
    if (gaugeProviders.isEmpty())
        file.remove(gaugeProvidersKey);
    else
        file.setValue(gaugeProvidersKey, providerNames(gaugeProviders));
    // Without the key, each provider's one account is found as Tidemarker always found it.
    for (Provider provider : ProviderTraits::all()) {
        if (accountFolders(provider).isEmpty())
            file.remove(accountsKey(provider));
        else
            file.setValue(accountsKey(provider), accountFoldersText(accountFolders(provider)));
    }
    file.setValue(breakdownKey, boolText(breakdown));
    file.setValue(resetTimesKey, boolText(resetTimes));
    file.sync();
    if (file.status() != QSettings::NoError)
        return QCoreApplication::translate("Settings", "cannot write %1").arg(path);
    return std::nullopt;
}
