#pragma once

#include "Provider.h"

#include <QList>
#include <QString>

#include <optional>

// A folder as the settings list it, with the label given to it there (empty: none given).
struct AccountFolder {
    QString folder; // absolute
    QString label;

    bool operator==(const AccountFolder &) const = default;
};

// What an account is, whatever its label or place in the list: its provider and its folder,
// cleaned and absolute. What the store, the record and the log index know it by.
struct AccountId {
    Provider provider = Provider::codex;
    QString folder;

    bool operator==(const AccountId &) const = default;
    bool operator<(const AccountId &other) const;
};

// One sign-in of a provider: the folder its command-line tool keeps it in, and its name.
struct Account {
    static constexpr qsizetype maximumPerProvider = 8;

    Provider provider = Provider::codex;
    // Empty: wherever the provider's tool looks by default ($CLAUDE_CONFIG_DIR or ~/.claude,
    // $CODEX_HOME or ~/.codex), looked up afresh at every fetch.
    QString folder;
    QString label; // empty while it is its provider's only account
    // The first of its provider's: $CLAUDE_CODE_OAUTH_TOKEN and the token file are its, and the
    // record's rows from before there were several accounts are its.
    bool first = true;

    // The provider's one account, found where its tool looks by default.
    static Account only(Provider provider);
    // The one account of each provider shown by default, as without any listed.
    static QList<Account> defaults();
    // The accounts the settings list for a provider, in their order: labelled with the label
    // given, else the folder's name without a leading dot, a repeat getting " 2" (" 3", …).
    // Without any listed, the provider's one account.
    static QList<Account> listed(Provider provider, const QList<AccountFolder> &folders);

    // The label a listed folder goes by before repeats are told apart.
    static QString labelFor(Provider provider, const AccountFolder &folder);
    // Where the provider's tool looks when told nothing: $CLAUDE_CONFIG_DIR or ~/.claude,
    // $CODEX_HOME or ~/.codex, and so on; for a key provider, the name of its key's variable.
    static QString defaultFolder(Provider provider);

    // "Claude", or "Claude · work" beside the provider's other accounts.
    QString displayName() const;
    // The same where spaces part the figures, as in a status bar: "Claude·work".
    QString compactName() const;
    // Its identity: the folder, or for one with none where its tool looks by default.
    AccountId id() const;
    // What the record and the log index name it by: id()'s folder.
    QString key() const { return id().folder; }
    // The listed account that a name in a record of an earlier version, made before accounts
    // were known by their folders, stands for: its provider's first for an empty name, else the
    // one with that label.
    static std::optional<Account> ofRecordName(Provider provider, const QString &recordName,
                                               const QList<Account> &accounts);

    bool operator==(const Account &) const = default;
};
