#include "SettingsDialog.h"

#include "AccountsEditor.h"
#include "SettingsFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace {

// The choices of the providers box, in its order.
const QList<QList<Provider>> providerChoices{{Provider::codex, Provider::claude}, {Provider::codex}, {Provider::claude}};

QComboBox *comboBox(const QString &accessibleName, const QStringList &items)
{
    auto *box = new QComboBox;
    box->setAccessibleName(accessibleName);
    box->addItems(items);
    return box;
}

QSpinBox *spinBox(const QString &accessibleName, int minimum, int maximum, const QString &suffix)
{
    auto *box = new QSpinBox;
    box->setAccessibleName(accessibleName);
    box->setRange(minimum, maximum);
    box->setSuffix(suffix);
    return box;
}

} // namespace

SettingsDialog::SettingsDialog(SettingsFile &file, QWidget *parent)
    : QDialog(parent)
    , m_file(file)
    , m_providers(comboBox(u"Providers"_s, {u"Codex and Claude"_s, u"Codex only"_s, u"Claude only"_s}))
    , m_icon(comboBox(u"Tray icon"_s, {u"Colour"_s, u"Light, for a dark panel"_s, u"Dark, for a light panel"_s}))
    , m_gauge(comboBox(u"Gauge shows"_s, {u"the tightest limits"_s, u"the 5-hour and weekly windows"_s}))
    , m_alerts(new QCheckBox(u"Show pace a&lerts"_s))
    , m_alertAtPercent(spinBox(u"Alert when a window is used up to, in percent"_s, Settings::minimumAlertPercent,
                               Settings::maximumAlertPercent, u" %"_s))
    , m_refreshSeconds(spinBox(u"Refresh every, in seconds"_s, Settings::minimumRefreshSeconds,
                               Settings::maximumRefreshSeconds, u" s"_s))
    , m_breakdown(new QCheckBox(u"Read the assistants' logs to show where the usage &went"_s))
    , m_resetTimes(new QCheckBox(u"Show when each window re&sets"_s))
    , m_accounts(new AccountsEditor)
    , m_failure(new QLabel)
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Apply | QDialogButtonBox::Cancel))
{
    setWindowTitle(u"Settings"_s); // Qt adds " — Tidemarker"
    m_alerts->setAccessibleName(u"Show pace alerts"_s);
    m_breakdown->setAccessibleName(u"Read the assistants' logs to show where the usage went"_s);
    m_resetTimes->setAccessibleName(u"Show when each window resets"_s);
    m_refreshSeconds->setSingleStep(60);
    m_failure->setWordWrap(true);
    m_failure->setTextFormat(Qt::PlainText); // the reason names a path, which may hold anything
    m_failure->hide();
    m_buttons->button(QDialogButtonBox::Apply)->setText(u"&Apply"_s); // OK and Cancel have Enter and Escape

    auto *form = new QFormLayout(this);
    form->addRow(u"&Providers:"_s, m_providers);
    form->addRow(u"Tray &icon:"_s, m_icon);
    form->addRow(u"&Gauge shows:"_s, m_gauge);
    form->addRow(m_alerts);
    form->addRow(u"Alert when &used:"_s, m_alertAtPercent);
    form->addRow(u"&Refresh every:"_s, m_refreshSeconds);
    form->addRow(m_resetTimes);
    form->addRow(m_breakdown);
    auto *accounts = new QGroupBox(u"Accou&nts"_s); // its mnemonic goes to the table
    (new QVBoxLayout(accounts))->addWidget(m_accounts);
    form->addRow(accounts);
    form->addRow(m_failure);
    form->addRow(m_buttons);
    // A fixed size makes tiling compositors float the dialog rather than stretch it.
    form->setSizeConstraint(QLayout::SetFixedSize);

    showSettings(file.settings());
    connect(m_providers, &QComboBox::currentIndexChanged, this, &SettingsDialog::noteEdit);
    connect(m_icon, &QComboBox::currentIndexChanged, this, &SettingsDialog::noteEdit);
    connect(m_gauge, &QComboBox::currentIndexChanged, this, &SettingsDialog::noteEdit);
    connect(m_alerts, &QCheckBox::toggled, this, &SettingsDialog::noteEdit);
    connect(m_alertAtPercent, &QSpinBox::valueChanged, this, &SettingsDialog::noteEdit);
    connect(m_refreshSeconds, &QSpinBox::valueChanged, this, &SettingsDialog::noteEdit);
    connect(m_accounts, &AccountsEditor::edited, this, &SettingsDialog::noteEdit);
    connect(m_breakdown, &QCheckBox::toggled, this, &SettingsDialog::noteEdit);
    connect(m_resetTimes, &QCheckBox::toggled, this, &SettingsDialog::noteEdit);
    connect(m_buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { apply(false); });
    connect(m_buttons, &QDialogButtonBox::accepted, this, [this] { apply(true); });
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void SettingsDialog::present()
{
    if (!isVisible()) {
        showSettings(m_file.settings());
        m_providers->setFocus();
        adjustSize();
        if (const QScreen *shown = screen())
            move(shown->availableGeometry().center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

Settings SettingsDialog::chosen() const
{
    Settings settings;
    settings.providers = providerChoices.value(m_providers->currentIndex(), settings.providers);
    settings.icon = IconStyle(m_icon->currentIndex());
    settings.gauge = GaugeHands(m_gauge->currentIndex());
    settings.alerts = m_alerts->isChecked();
    settings.alertAtPercent = m_alertAtPercent->value();
    settings.refreshSeconds = m_refreshSeconds->value();
    m_accounts->takeInto(settings);
    settings.breakdown = m_breakdown->isChecked();
    settings.resetTimes = m_resetTimes->isChecked();
    return settings;
}

void SettingsDialog::showSettings(const Settings &settings)
{
    m_providers->setCurrentIndex(int(providerChoices.indexOf(settings.providers)));
    m_icon->setCurrentIndex(int(settings.icon));
    m_gauge->setCurrentIndex(int(settings.gauge));
    m_alerts->setChecked(settings.alerts);
    m_alertAtPercent->setValue(settings.alertAtPercent);
    m_alertAtPercent->setEnabled(settings.alerts);
    m_refreshSeconds->setValue(settings.refreshSeconds);
    m_accounts->showAccounts(settings);
    m_breakdown->setChecked(settings.breakdown);
    m_resetTimes->setChecked(settings.resetTimes);
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(false);
}

void SettingsDialog::noteEdit()
{
    m_alertAtPercent->setEnabled(m_alerts->isChecked());
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(chosen() != m_file.settings());
}

QCoro::Task<void> SettingsDialog::apply(bool thenClose)
{
    QPointer<SettingsDialog> self(this);
    const Settings settings = chosen(); // no temporary in the co_await: GCC 12 destroys those twice
    const std::optional<QString> failure = co_await m_file.save(settings);
    if (!self)
        co_return;
    m_failure->setText(failure ? u"The settings could not be saved: "_s + *failure : QString());
    m_failure->setVisible(failure.has_value());
    if (failure)
        co_return;
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(false);
    if (thenClose)
        accept();
}
