#pragma once

#include "Provider.h"

#include <QDialog>
#include <QString>

#include <QCoroTask>

class QComboBox;
class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QLineEdit;

// What the dialog adds to the settings: never the key, which goes to the keyring.
struct AddedProvider {
    Provider provider = Provider::zai;
    QString label; // trimmed; empty when none was given
    // z.ai: the id its key is kept under ("zai-" and 8 hex digits), or empty where no Secret
    // Service keeps keys and $ZAI_API_KEY gives it. Kimi Code and Copilot: empty, the default sign-in.
    QString folder;
};

// "Add provider…": a provider, a label and, for z.ai, the API key, written to the keyring on OK.
class AddProviderDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddProviderDialog(QWidget *parent = nullptr);

    // What the controls say; once accepted, the z.ai key is in the keyring under its folder.
    AddedProvider added() const;

private:
    bool asksForKey() const;
    void showKeyRow();
    void noteKeyEdit();
    void sayNoSecretService();
    QCoro::Task<void> checkKeyring();
    QCoro::Task<void> storeKeyAndAccept();

    QComboBox *m_provider;
    QLineEdit *m_label;
    QLineEdit *m_key;
    QLabel *m_keyringNote;
    QLabel *m_failure;
    QDialogButtonBox *m_buttons;
    QFormLayout *m_form;
    const QString m_zaiId;
    bool m_secretService = true; // until the keyring says otherwise
};
