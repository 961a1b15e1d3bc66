#include "AddProviderDialog.h"

#include "ApiKeyStore.h"
#include "OutsideText.h"
#include "ZaiUsageClient.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr Provider choices[] = {Provider::zai, Provider::kimi, Provider::copilot};

// Opaque, so that renaming the account leaves its key where it is.
QString newZaiId()
{
    return u"zai-%1"_s.arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
}

QLabel *noteLabel()
{
    auto *label = new QLabel;
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText); // the keyring's words may hold anything
    label->hide();
    return label;
}

} // namespace

AddProviderDialog::AddProviderDialog(QWidget *parent)
    : QDialog(parent)
    , m_provider(new QComboBox)
    , m_label(new QLineEdit)
    , m_key(new QLineEdit)
    , m_keyringNote(noteLabel())
    , m_failure(noteLabel())
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel))
    , m_form(new QFormLayout(this))
    , m_zaiId(newZaiId())
{
    setWindowTitle(tr("Add provider…"));
    for (const Provider provider : choices)
        m_provider->addItem(displayName(provider));
    m_provider->setAccessibleName(tr("Provider"));
    m_label->setAccessibleName(tr("Label"));
    m_label->setPlaceholderText(tr("optional"));
    m_key->setAccessibleName(tr("API key"));
    m_key->setEchoMode(QLineEdit::Password);

    m_form->addRow(tr("&Provider:"), m_provider);
    m_form->addRow(tr("&Label:"), m_label);
    m_form->addRow(tr("API &key:"), m_key);
    m_form->addRow(m_keyringNote);
    m_form->addRow(m_failure);
    m_form->addRow(m_buttons);
    m_form->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_provider, &QComboBox::currentIndexChanged, this, &AddProviderDialog::showKeyRow);
    connect(m_key, &QLineEdit::textChanged, this, &AddProviderDialog::noteKeyEdit);
    connect(m_buttons, &QDialogButtonBox::accepted, this, [this] { storeKeyAndAccept(); });
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showKeyRow();
    checkKeyring();
}

AddedProvider AddProviderDialog::added() const
{
    const Provider provider = choices[std::max(0, m_provider->currentIndex())];
    const bool keyInKeyring = provider == Provider::zai && m_secretService;
    return {provider, m_label->text().trimmed(), keyInKeyring ? m_zaiId : QString()};
}

bool AddProviderDialog::asksForKey() const
{
    return added().provider == Provider::zai && m_secretService;
}

void AddProviderDialog::showKeyRow()
{
    const bool zai = added().provider == Provider::zai;
    m_form->setRowVisible(m_key, zai);
    m_keyringNote->setVisible(zai && !m_secretService);
    noteKeyEdit();
}

void AddProviderDialog::noteKeyEdit()
{
    m_failure->hide();
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!asksForKey() || !m_key->text().trimmed().isEmpty());
}

void AddProviderDialog::sayNoSecretService()
{
    m_secretService = false;
    m_key->clear();
    m_key->setEnabled(false);
    m_keyringNote->setText(tr("No Secret Service answers, so no key can be kept: $%1 is read instead.")
                               .arg(QString::fromLatin1(ZaiUsageClient::keyVariable)));
    showKeyRow();
}

// Asked at once, so that the key field is not filled in vain.
QCoro::Task<void> AddProviderDialog::checkKeyring()
{
    QPointer<AddProviderDialog> self(this);
    const QString id = m_zaiId;
    const QByteArray fallback(ZaiUsageClient::keyVariable);
    const KeyringAnswer answer = co_await ApiKeyStore::read(id, fallback);
    if (self && answer.state == KeyringAnswer::State::noSecretService)
        sayNoSecretService();
}

QCoro::Task<void> AddProviderDialog::storeKeyAndAccept()
{
    if (!asksForKey()) {
        accept();
        co_return;
    }
    QPointer<AddProviderDialog> self(this);
    m_buttons->setEnabled(false);
    const QString id = m_zaiId;
    const QString key = m_key->text().trimmed();
    const KeyringAnswer answer = co_await ApiKeyStore::write(id, key);
    if (!self)
        co_return;
    m_buttons->setEnabled(true);
    switch (answer.state) {
    case KeyringAnswer::State::done:
        accept();
        break;
    case KeyringAnswer::State::noSecretService:
        sayNoSecretService(); // OK again adds the account with the variable's key
        break;
    case KeyringAnswer::State::notStored:
    case KeyringAnswer::State::failed:
        m_failure->setText(tr("The key could not be stored: %1").arg(OutsideText::plainLine(answer.problem)));
        m_failure->show();
        break;
    }
}
