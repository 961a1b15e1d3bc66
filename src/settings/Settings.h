#pragma once

#include "PaceForecast.h"
#include "ProviderTraits.h"
#include "UsageModels.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// How the gauge is drawn: in its colours, or in one colour for panels whose icons are all white
// (light) or all near-black (dark).
enum class IconStyle { colour, light, dark };

// What the gauge's hands show: per provider the tightest fast and slow limit of all its
// accounts, extra ones included, or only its first account's two windows.
enum class GaugeHands { tightest, main };

// What the user can tell Tidemarker. The defaults are its behaviour without a settings file.
struct Settings {
    static constexpr int minimumAlertPercent = 50;
    static constexpr int maximumAlertPercent = 100;
    static constexpr int minimumRefreshSeconds = 60;
    static constexpr int maximumRefreshSeconds = 3600;

    static constexpr qsizetype maximumGaugeProviders = 2;

    QList<Provider> providers = ProviderTraits::shownByDefaultList(); // in the registry's order
    IconStyle icon = IconStyle::colour;
    bool alerts = true;
    int alertAtPercent = int(PaceForecast::nearlyUsedShare * 100);
    int refreshSeconds = minimumRefreshSeconds;
    GaugeHands gauge = GaugeHands::tightest;
    bool breakdown = true; // reads the assistants' logs for where the usage went
    bool resetTimes = true; // ends each window's line with when it resets
    // The one or two providers whose hands the gauge draws, in the registry's order; none: the
    // first two shown.
    QList<Provider> gaugeProviders{};
    // The folders listed for each provider, at most Account::maximumPerProvider; none: its one
    // account, found where its tool looks by default. A key provider lists its keys' names.
    // By the provider's place in the registry.
    QList<QList<AccountFolder>> accountLists = QList<QList<AccountFolder>>(ProviderTraits::all().size());

    // The accounts of Codex, Claude and every other provider shown, in the registry's order.
    QList<Account> accounts() const;
    QList<AccountFolder> &accountFolders(Provider provider);
    const QList<AccountFolder> &accountFolders(Provider provider) const;

    bool shows(Provider provider) const { return providers.contains(provider); }
    // The providers whose hands the gauge draws: gaugeProviders while all of them are shown,
    // else the first two shown.
    QList<Provider> gaugeShows() const;
    bool operator==(const Settings &) const = default;

    // The INI file at path. A missing file or key gives the default; so does a value that cannot
    // be read, with one line for it in problems.
    static Settings read(const QString &path, QStringList *problems);
    // Writes every key, leaving any other in the file; the reason when that fails.
    std::optional<QString> write(const QString &path) const;
};

QString rawValue(IconStyle style);

// The accounts setting: "work=~/.claude-work, ~/.claude", a folder of each, labelled or not.
std::optional<QList<AccountFolder>> accountFoldersFromText(const QString &text);
// A key provider's: "work=zai-1f2e3d4c, zai-5a6b7c8d", the names its keys are kept under.
std::optional<QList<AccountFolder>> keyNamesFromText(const QString &text);
QString accountFoldersText(const QList<AccountFolder> &folders);
QString rawValue(GaugeHands hands);
