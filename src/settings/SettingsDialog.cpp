#include "SettingsDialog.h"

#include "AccountsEditor.h"
#include "SettingsFile.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace {

// The choices of the providers box, in its order; the providers added beside them are on while
// they have an account.
const QList<QList<Provider>> providerChoices{{Provider::codex, Provider::claude}, {Provider::codex}, {Provider::claude}};

QList<Provider> codexAndClaude(QList<Provider> providers)
{
    providers.removeIf([](Provider provider) { return !ProviderTraits::of(provider).shownByDefault; });
    return providers;
}

// "Codex and Claude", or one provider's name.
QString gaugeChoiceText(const QList<Provider> &providers)
{
    if (providers.size() == 1)
        return displayName(providers.first());
    return QCoreApplication::translate("SettingsDialog", "%1 and %2").arg(displayName(providers.first()), displayName(providers.last()));
}

// The first two shown first, as the gauge draws without a choice; then every other pair, then
// each alone.
QList<QList<Provider>> gaugeChoices(const QList<Provider> &shown)
{
    QList<QList<Provider>> choices;
    for (qsizetype first = 0; first < shown.size(); ++first) {
        for (qsizetype second = first + 1; second < shown.size(); ++second)
            choices.append({shown[first], shown[second]});
    }
    for (Provider provider : shown)
        choices.append({provider});
    return choices;
}

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
    , m_providers(comboBox(tr("Providers"), {tr("Codex and Claude"), tr("Codex only"), tr("Claude only")}))
    , m_icon(comboBox(tr("Tray icon"), {tr("Colour"), tr("Light, for a dark panel"), tr("Dark, for a light panel")}))
    , m_gauge(comboBox(tr("Gauge shows"), {tr("the tightest limits"), tr("the 5-hour and weekly windows")}))
    , m_gaugeProviders(comboBox(tr("Gauge hands"), {}))
    , m_alerts(new QCheckBox(tr("Show pace a&lerts")))
    , m_alertAtPercent(spinBox(tr("Alert when a window is used up to, in percent"), Settings::minimumAlertPercent,
                               Settings::maximumAlertPercent, tr(" %")))
    , m_refreshSeconds(spinBox(tr("Refresh every, in seconds"), Settings::minimumRefreshSeconds,
                               Settings::maximumRefreshSeconds, tr(" s")))
    , m_breakdown(new QCheckBox(tr("Read the assistants' logs to show where the usage &went")))
    , m_resetTimes(new QCheckBox(tr("Show when each window re&sets")))
    , m_accounts(new AccountsEditor)
    , m_failure(new QLabel)
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Apply | QDialogButtonBox::Cancel))
{
    setWindowTitle(tr("Settings")); // Qt adds " — Tidemarker"
    m_alerts->setAccessibleName(tr("Show pace alerts"));
    m_breakdown->setAccessibleName(tr("Read the assistants' logs to show where the usage went"));
    m_resetTimes->setAccessibleName(tr("Show when each window resets"));
    m_refreshSeconds->setSingleStep(60);
    m_failure->setWordWrap(true);
    m_failure->setTextFormat(Qt::PlainText); // the reason names a path, which may hold anything
    m_failure->hide();
    m_buttons->button(QDialogButtonBox::Apply)->setText(tr("&Apply")); // OK and Cancel have Enter and Escape

    auto *form = new QFormLayout(this);
    form->addRow(tr("&Providers:"), m_providers);
    form->addRow(tr("Tray &icon:"), m_icon);
    form->addRow(tr("&Gauge shows:"), m_gauge);
    form->addRow(tr("Gauge &hands:"), m_gaugeProviders);
    form->addRow(m_alerts);
    form->addRow(tr("Alert when &used:"), m_alertAtPercent);
    form->addRow(tr("&Refresh every:"), m_refreshSeconds);
    form->addRow(m_resetTimes);
    form->addRow(m_breakdown);
    auto *accounts = new QGroupBox(tr("Accou&nts")); // its mnemonic goes to the table
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
    connect(m_gaugeProviders, &QComboBox::currentIndexChanged, this, &SettingsDialog::noteEdit);
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
    settings.providers = providerChoices.value(m_providers->currentIndex(), codexAndClaude(m_file.settings().providers));
    settings.icon = IconStyle(m_icon->currentIndex());
    settings.gauge = GaugeHands(m_gauge->currentIndex());
    m_accounts->takeInto(settings);
    settings.gaugeProviders = m_gaugeProviders->currentData().value<QList<Provider>>();
    // The first choice follows the providers shown, as without one.
    if (m_gaugeProviders->currentIndex() <= 0 || settings.gaugeShows() != settings.gaugeProviders)
        settings.gaugeProviders = {}; // no storage: Qt 6.4 compares an emptied list by memcmp on a null pointer
    settings.alerts = m_alerts->isChecked();
    settings.alertAtPercent = m_alertAtPercent->value();
    settings.refreshSeconds = m_refreshSeconds->value();
    settings.breakdown = m_breakdown->isChecked();
    settings.resetTimes = m_resetTimes->isChecked();
    return settings;
}

void SettingsDialog::showSettings(const Settings &settings)
{
    m_providers->setCurrentIndex(int(providerChoices.indexOf(codexAndClaude(settings.providers))));
    m_icon->setCurrentIndex(int(settings.icon));
    m_gauge->setCurrentIndex(int(settings.gauge));
    m_alerts->setChecked(settings.alerts);
    m_alertAtPercent->setValue(settings.alertAtPercent);
    m_alertAtPercent->setEnabled(settings.alerts);
    m_refreshSeconds->setValue(settings.refreshSeconds);
    m_accounts->showAccounts(settings);
    m_breakdown->setChecked(settings.breakdown);
    m_resetTimes->setChecked(settings.resetTimes);
    offerGaugeChoices(settings);
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(false);
}

void SettingsDialog::offerGaugeChoices(const Settings &settings)
{
    const QSignalBlocker blocker(m_gaugeProviders);
    m_gaugeProviders->clear();
    for (const QList<Provider> &choice : gaugeChoices(settings.providers))
        m_gaugeProviders->addItem(gaugeChoiceText(choice), QVariant::fromValue(choice));
    m_gaugeProviders->setCurrentIndex(std::max(0, m_gaugeProviders->findData(QVariant::fromValue(settings.gaugeShows()))));
}

void SettingsDialog::noteEdit()
{
    // The hands offered follow the providers shown.
    if (sender() != m_gaugeProviders) {
        Settings shown = chosen();
        shown.gaugeProviders = m_gaugeProviders->currentData().value<QList<Provider>>();
        offerGaugeChoices(shown);
    }
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
    m_failure->setText(failure ? tr("The settings could not be saved: %1").arg(*failure) : QString());
    m_failure->setVisible(failure.has_value());
    if (failure)
        co_return;
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(false);
    if (thenClose)
        accept();
}
