#pragma once

#include "Settings.h"

#include <QWidget>

#include <utility>

class QPushButton;
class QTableWidget;
class QVBoxLayout;

// The settings dialog's "Accounts" part: each provider's listed folders with their label (which
// the user may edit), their folder and whether a sign-in is found there; Add… with a folder
// chooser, Remove, and an offer of each ~/.claude* and ~/.codex* folder that holds a sign-in and
// is not listed. Nothing is added without the user.
class AccountsEditor : public QWidget
{
    Q_OBJECT
public:
    explicit AccountsEditor(QWidget *parent = nullptr);

    void showAccounts(const Settings &settings);
    // The listed folders into the settings; the rest of them stays.
    void takeInto(Settings &settings) const;

    // Claude Code's .credentials.json, or the Codex CLI's auth.json, is in the folder.
    static bool holdsSignIn(Provider provider, const QString &folder);
    // The folders below home named .claude… or .codex… that hold a sign-in and are not listed.
    static QList<std::pair<Provider, QString>> unlistedSignIns(const Settings &settings);

    // Adds the folder to the provider's list; the first folder added to an empty list comes after
    // the folder the provider's one account was found in until then.
    void add(Provider provider, const QString &folder);

Q_SIGNALS:
    void edited();

private:
    void chooseFolder(Provider provider);
    void removeSelected();
    void takeLabel(int row, int column);
    void refill();

    Settings m_listed; // only its account folders count
    // Which listed folder each row of the table shows; -1 for the account found by default.
    QList<std::pair<Provider, qsizetype>> m_rows;
    QTableWidget *m_table;
    QPushButton *m_remove;
    QVBoxLayout *m_offers;
};
