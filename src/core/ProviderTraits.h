#pragma once

#include "Account.h"
#include "UsageModels.h"

#include <QCoroTask>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// What sets one provider apart from the others; everything else treats every provider alike.
// Adding a provider is a room of its own (its client) and one entry in the registry.
struct ProviderTraits {
    // How an account signs in: with its tool's folder, or with a key the user gave Tidemarker.
    enum class Credential { folder, key };
    // What its tool logs of each request, in its folder.
    enum class Logs { none, claudeCode, codex };
    using Fetch = QCoro::Task<ProviderResult> (*)(Account account, QDateTime now);

    Provider provider = Provider::codex;
    QString rawValue{};    // its id in the snapshot, the settings and the record
    QString displayName{}; // "Codex"
    quint32 colour = 0;  // 0xRRGGBB: its gauge hands and its dot in the legend
    QList<int> chartHues{}; // its accounts' lines in the history chart, in turn
    bool hollowHands = false; // in a one-colour gauge, its hands are outlines
    Credential credential = Credential::folder;
    // Where its tool keeps the sign-in when told nothing; a key provider's default account
    // reads its key from the environment and goes by this name.
    QString (*defaultFolder)() = nullptr;
    // The variable that points its tool at another folder; a key provider's default account's
    // key is read from it. Empty without one.
    QString folderVariable{};
    // What signs in in a terminal; empty where the sign-in is a key.
    QString signInCommand{};
    // The file in its folder that holds a sign-in.
    QString credentialFile{};
    // Requests are spaced out and backed off after a refusal, per account, as its service asks,
    // and not sent more often than every so many seconds.
    bool spaced = false;
    double minimumInterval = 0;
    // Shown without any setting that says otherwise.
    bool shownByDefault = false;
    Logs logs = Logs::none;
    // The model names, by their start, of Claude Code transcript lines that count toward it.
    QStringList transcriptModels{};
    Fetch fetch = nullptr;

    // Every registered provider, in the order the menu and the snapshot list them.
    static const QList<Provider> &all();
    static const ProviderTraits &of(Provider provider);
    // Shown when the settings say nothing: Codex, then Claude.
    static QList<Provider> shownByDefaultList();
};
