#pragma once

#include "Settings.h"

#include <QDialog>

#include <QCoroTask>

class AccountsEditor;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QSpinBox;
class SettingsFile;

// The settings over the settings file: Apply (and OK) write the file, which takes effect
// at once.
class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SettingsDialog(SettingsFile &file, QWidget *parent = nullptr);

    // Shows the settings as they are now, or raises the dialog where it is already open.
    void present();
    // What the controls say now.
    Settings chosen() const;

private:
    void showSettings(const Settings &settings);
    // The gauge's hands may be any one or two of the providers shown.
    void offerGaugeChoices(const Settings &settings);
    void noteEdit();
    QCoro::Task<void> apply(bool thenClose);

    SettingsFile &m_file;
    QComboBox *m_providers;
    QComboBox *m_icon;
    QComboBox *m_gauge;
    QComboBox *m_gaugeProviders;
    QCheckBox *m_alerts;
    QSpinBox *m_alertAtPercent;
    QSpinBox *m_refreshSeconds;
    QCheckBox *m_breakdown;
    QCheckBox *m_resetTimes;
    AccountsEditor *m_accounts;
    QLabel *m_failure;
    QDialogButtonBox *m_buttons;
};
