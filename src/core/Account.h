#pragma once

#include "Provider.h"

#include <QList>
#include <QString>

// A folder as the settings list it, with the label given to it there (empty: none given).
struct AccountFolder {
    QString folder; // absolute
    QString label;

    bool operator==(const AccountFolder &) const = default;
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
    // The accounts the settings list for a provider, in their order: labelled with the label
    // given, else the folder's name without a leading dot, a repeat getting " 2" (" 3", …).
    // Without any listed, the provider's one account.
    static QList<Account> listed(Provider provider, const QList<AccountFolder> &folders);

    // The label a listed folder goes by before repeats are told apart.
    static QString labelFor(Provider provider, const AccountFolder &folder);
    // Where the provider's tool looks when told nothing: $CLAUDE_CONFIG_DIR or ~/.claude,
    // $CODEX_HOME or ~/.codex.
    static QString defaultFolder(Provider provider);

    // "Claude", or "Claude · work" beside the provider's other accounts.
    QString displayName() const;
    // The same where spaces part the figures, as in a status bar: "Claude·work".
    QString compactName() const;
    // How the history names it: empty for the first account, else its label.
    QString recordName() const;

    bool operator==(const Account &) const = default;
    bool operator<(const Account &other) const;
};
