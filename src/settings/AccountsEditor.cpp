#include "AccountsEditor.h"

#include "AddProviderDialog.h"
#include "ProviderInput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

enum Column { providerColumn, labelColumn, folderColumn, signInColumn };

QTableWidgetItem *fixedItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

// Each provider's Add button with a mnemonic of its own, clear of the dialog's others.
QString addText(Provider provider)
{
    return provider == Provider::claude ? QCoreApplication::translate("AccountsEditor", "Add Clau&de account…")
                                        : QCoreApplication::translate("AccountsEditor", "Add Code&x account…");
}

// A folder by its path; a key by where it is kept.
QString whereKept(Provider provider, const QString &folder)
{
    if (ProviderTraits::of(provider).credential == ProviderTraits::Credential::folder)
        return homeRelative(folder);
    return folder == Account::defaultFolder(provider) ? u'$' + ProviderTraits::of(provider).folderVariable
                                                      : QCoreApplication::translate("AccountsEditor", "the keyring");
}

QPushButton *button(const QString &text, QWidget *parent)
{
    auto *pushButton = new QPushButton(text, parent);
    pushButton->setAccessibleName(QString(text).remove(u'&'));
    return pushButton;
}

} // namespace

AccountsEditor::AccountsEditor(QWidget *parent)
    : QWidget(parent)
    , m_table(new QTableWidget(0, 4, this))
    , m_remove(button(tr("Re&move"), this))
    , m_offers(new QVBoxLayout)
{
    m_table->setAccessibleName(tr("Accounts"));
    m_table->setHorizontalHeaderLabels({tr("Provider"), tr("Label"), tr("Folder"), tr("Sign-in")});
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(folderColumn, QHeaderView::Stretch);
    m_table->setMinimumWidth(420);
    m_table->setMaximumHeight(180);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_table->setTabKeyNavigation(false); // Tab leaves the table; the arrows move within it
    auto *buttons = new QHBoxLayout;
    for (Provider provider : ProviderTraits::shownByDefaultList()) {
        QPushButton *add = button(addText(provider), this);
        connect(add, &QPushButton::clicked, this, [this, provider] { chooseFolder(provider); });
        buttons->addWidget(add);
    }
    QPushButton *addProvider = button(tr("Add pro&vider…"), this);
    connect(addProvider, &QPushButton::clicked, this, &AccountsEditor::chooseProvider);
    buttons->addWidget(addProvider);
    buttons->addWidget(m_remove);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    layout->addLayout(m_offers);
    connect(m_remove, &QPushButton::clicked, this, &AccountsEditor::removeSelected);
    connect(m_table, &QTableWidget::cellChanged, this, &AccountsEditor::takeLabel);
    // The one account found by default stays; a listed one may go.
    connect(m_table, &QTableWidget::itemSelectionChanged, this, [this] {
        const int row = m_table->currentRow();
        m_remove->setEnabled(!m_table->selectedItems().isEmpty() && row < m_rows.size() && isRemovable(m_rows.at(row)));
    });
    refill();
}

void AccountsEditor::showAccounts(const Settings &settings)
{
    m_listed = settings;
    refill();
}

void AccountsEditor::takeInto(Settings &settings) const
{
    settings.accountLists = m_listed.accountLists;
    for (Provider provider : ProviderTraits::all()) {
        if (!isAdded(provider))
            continue;
        settings.providers.removeAll(provider);
        if (m_listed.shows(provider))
            settings.providers.append(provider);
    }
    std::ranges::sort(settings.providers, {}, [](Provider provider) { return ProviderTraits::all().indexOf(provider); });
}

bool AccountsEditor::isAdded(Provider provider)
{
    return !ProviderTraits::of(provider).shownByDefault;
}

void AccountsEditor::addProvider(Provider provider, const AccountFolder &account)
{
    QList<AccountFolder> &listed = m_listed.accountFolders(provider);
    if (!m_listed.shows(provider)) {
        m_listed.providers.append(provider);
        listed.clear();
    }
    const bool isDefault = account.folder.isEmpty() || account.folder == Account::defaultFolder(provider);
    if (!(isDefault && listed.isEmpty() && account.label.isEmpty()))
        listed.append({isDefault ? Account::defaultFolder(provider) : account.folder, account.label});
    refill();
    Q_EMIT edited();
}

bool AccountsEditor::holdsSignIn(Provider provider, const QString &folder)
{
    const ProviderTraits &traits = ProviderTraits::of(provider);
    return traits.credential == ProviderTraits::Credential::folder
        && QFileInfo(QDir(folder).filePath(traits.credentialFile)).isFile();
}

QList<std::pair<Provider, QString>> AccountsEditor::unlistedSignIns(const Settings &settings)
{
    QList<std::pair<Provider, QString>> found;
    for (Provider provider : ProviderTraits::shownByDefaultList()) {
        const QList<AccountFolder> &listed = settings.accountFolders(provider);
        const QFileInfoList folders = QDir::home().entryInfoList({u"."_s + rawValue(provider) + u'*'},
                                                                 QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        qsizetype offered = 0; // no more than could be listed, whatever the home folder holds
        for (const QFileInfo &folder : folders) {
            if (offered == Account::maximumPerProvider)
                break;
            const QString path = folder.absoluteFilePath();
            // Without a list, the folder found by default is the one account already.
            const bool isListed = listed.isEmpty() ? path == Account::defaultFolder(provider)
                                                   : std::ranges::any_of(listed, [&path](const AccountFolder &entry) {
                                                         return entry.folder == path;
                                                     });
            if (!isListed && holdsSignIn(provider, path)) {
                found.append({provider, path});
                ++offered;
            }
        }
    }
    return found;
}

QString AccountsEditor::signInText(Provider provider, const QString &folder)
{
    if (ProviderTraits::of(provider).credential == ProviderTraits::Credential::key)
        return tr("a key");
    return holdsSignIn(provider, folder) ? tr("found") : tr("none");
}

// The one account found by default stays, but for a provider that was added.
bool AccountsEditor::isRemovable(const std::pair<Provider, qsizetype> &row)
{
    return row.second >= 0 || isAdded(row.first);
}

void AccountsEditor::add(Provider provider, const QString &folder)
{
    QList<AccountFolder> &listed = m_listed.accountFolders(provider);
    const QString path = QDir::cleanPath(folder);
    if (listed.isEmpty() && path != Account::defaultFolder(provider))
        listed.append({Account::defaultFolder(provider), {}});
    if (listed.size() >= Account::maximumPerProvider
        || std::ranges::any_of(listed, [&path](const AccountFolder &entry) { return entry.folder == path; }))
        return;
    listed.append({path, {}});
    refill();
    Q_EMIT edited();
}

void AccountsEditor::chooseFolder(Provider provider)
{
    // Qt's own chooser: the desktop's may hide the dot-folders the tools keep their sign-ins in.
    QFileDialog chooser(this, tr("%1 account's folder").arg(displayName(provider)), QDir::homePath());
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks | QFileDialog::DontUseNativeDialog);
    chooser.setFilter(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot);
    if (chooser.exec() == QDialog::Accepted && !chooser.selectedFiles().isEmpty())
        add(provider, chooser.selectedFiles().constFirst());
}

void AccountsEditor::chooseProvider()
{
    AddProviderDialog chooser(this);
    if (chooser.exec() != QDialog::Accepted)
        return;
    const AddedProvider added = chooser.added();
    addProvider(added.provider, {added.folder, added.label});
}

void AccountsEditor::removeSelected()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_rows.size() || !isRemovable(m_rows.at(row)))
        return;
    const auto [provider, index] = m_rows.at(row);
    QList<AccountFolder> &listed = m_listed.accountFolders(provider);
    if (index >= 0)
        listed.removeAt(index);
    // An added provider goes with its last account.
    if (isAdded(provider) && listed.isEmpty())
        m_listed.providers.removeAll(provider);
    refill();
    Q_EMIT edited();
}

// A label holds neither a comma nor "=", which part the entries of the setting.
void AccountsEditor::takeLabel(int row, int column)
{
    if (column != labelColumn || row >= m_rows.size())
        return;
    const auto [provider, index] = m_rows.at(row);
    QList<AccountFolder> &listed = m_listed.accountFolders(provider);
    if (index < 0) // the account found by default, labelled: listed from now on
        listed.append({Account::defaultFolder(provider), {}});
    AccountFolder &entry = listed[index < 0 ? 0 : index];
    const QString typed = m_table->item(row, column)->text().remove(u',').remove(u'=').trimmed();
    entry.label = typed == Account::labelFor(provider, {entry.folder, {}}) ? QString() : typed;
    refill();
    Q_EMIT edited();
}

void AccountsEditor::refill()
{
    const QSignalBlocker blocker(m_table);
    m_rows.clear();
    m_table->setRowCount(0);
    for (Provider provider : ProviderTraits::all()) {
        if (isAdded(provider) && !m_listed.shows(provider))
            continue;
        const QList<AccountFolder> &listed = m_listed.accountFolders(provider);
        // Without a list, the one account found by default.
        const QList<AccountFolder> shown = listed.isEmpty() ? QList<AccountFolder>{{Account::defaultFolder(provider), {}}} : listed;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            const int row = m_table->rowCount();
            m_table->insertRow(row);
            m_table->setItem(row, providerColumn, fixedItem(displayName(provider)));
            m_table->setItem(row, labelColumn, new QTableWidgetItem(Account::labelFor(provider, shown[i])));
            m_table->setItem(row, folderColumn, fixedItem(whereKept(provider, shown[i].folder)));
            m_table->setItem(row, signInColumn, fixedItem(signInText(provider, shown[i].folder)));
            m_rows.append({provider, listed.isEmpty() ? -1 : i});
        }
    }
    m_remove->setEnabled(false);
    // Later: the offer just clicked is still in its click.
    while (QLayoutItem *offer = m_offers->takeAt(0)) {
        offer->widget()->hide();
        offer->widget()->deleteLater();
        delete offer;
    }
    for (const auto &[provider, folder] : unlistedSignIns(m_listed)) {
        QPushButton *offer = button(tr("Found %1 — Add").arg(homeRelative(folder).replace(u'&', u"&&"_s)), this); // not a mnemonic
        connect(offer, &QPushButton::clicked, this, [this, provider, folder] { add(provider, folder); });
        m_offers->addWidget(offer);
    }
}
