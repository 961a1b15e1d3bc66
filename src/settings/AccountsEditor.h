#pragma once

#include "Settings.h"

#include <QWidget>

#include <utility>

class QPushButton;
class QTableWidget;
class QVBoxLayout;

// The settings dialog's "Accounts" part: each provider's listed folders with their label (which
// the user may edit), their folder and whether a sign-in is found there; Add… with a folder
// chooser, "Add provider…" for the providers beyond Codex and Claude, Remove, and an offer of each ~/.claude* and ~/.codex* folder that holds a sign-in and
// is not listed. Nothing is added without the user.
class AccountsEditor : public QWidget
{
    Q_OBJECT
public:
    explicit AccountsEditor(QWidget *parent = nullptr);

    void showAccounts(const Settings &settings);
    // The listed folders into the settings; the rest of them stays.
    void takeInto(Settings &settings) const;

    // The provider's tool left its sign-in in the folder (Claude Code's .credentials.json, the
    // Codex CLI's auth.json, ...).
    static bool holdsSignIn(Provider provider, const QString &folder);
    // The folders below home named .claude… or .codex… that hold a sign-in and are not listed.
    static QList<std::pair<Provider, QString>> unlistedSignIns(const Settings &settings);

    // Adds the folder to the provider's list; the first folder added to an empty list comes after
    // the folder the provider's one account was found in until then.
    void add(Provider provider, const QString &folder);
    // Shows a provider beyond Codex and Claude with the account (an empty folder: the one its
    // tool finds by default); it goes again with its last account.
    void addProvider(Provider provider, const AccountFolder &account);

Q_SIGNALS:
    void edited();

private:
    void chooseFolder(Provider provider);
    void chooseProvider();
    static QString signInText(Provider provider, const QString &folder);
    void removeSelected();
    void takeLabel(int row, int column);
    void refill();
    // Not shown by default: on while it has an account here.
    static bool isAdded(Provider provider);
    static bool isRemovable(const std::pair<Provider, qsizetype> &row);

    Settings m_listed; // only its account folders and the added providers count
    // Which listed folder each row of the table shows; -1 for the account found by default.
    QList<std::pair<Provider, qsizetype>> m_rows;
    QTableWidget *m_table;
    QPushButton *m_remove;
    QVBoxLayout *m_offers;
};
