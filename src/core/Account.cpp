#include "Account.h"

#include "OutsideText.h"
#include "ProviderTraits.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QString middleDot = u"\u00B7"_s;

QString uniqueLabel(const QString &label, const QList<Account> &taken)
{
    const auto isTaken = [&taken](const QString &candidate) {
        return std::ranges::any_of(taken, [&candidate](const Account &account) { return account.label == candidate; });
    };
    QString candidate = label;
    for (int repeat = 2; isTaken(candidate); ++repeat)
        candidate = label + u' ' + QString::number(repeat);
    return candidate;
}

} // namespace

QString Account::labelFor(Provider provider, const AccountFolder &folder)
{
    QString name = folder.label;
    if (name.isEmpty()) {
        name = QFileInfo(folder.folder).fileName();
        if (name.startsWith(u'.'))
            name.remove(0, 1);
    }
    // Shown in the menu, notifications and status bars: bounded as a service's names are.
    name = OutsideText::name(name);
    return name.isEmpty() ? rawValue(provider) : name;
}

QString Account::defaultFolder(Provider provider)
{
    return ProviderTraits::of(provider).defaultFolder();
}

Account Account::only(Provider provider)
{
    return {provider, {}, {}, true};
}

QList<Account> Account::defaults()
{
    QList<Account> accounts;
    for (Provider provider : ProviderTraits::shownByDefaultList())
        accounts.append(only(provider));
    return accounts;
}

QList<Account> Account::listed(Provider provider, const QList<AccountFolder> &folders)
{
    if (folders.isEmpty())
        return {only(provider)};
    if (folders.size() == 1)
        return {{provider, folders.first().folder, {}, true}};
    QList<Account> accounts;
    for (const AccountFolder &folder : folders)
        accounts.append({provider, folder.folder, uniqueLabel(labelFor(provider, folder), accounts), accounts.isEmpty()});
    return accounts;
}

QString Account::displayName() const
{
    return label.isEmpty() ? ::displayName(provider) : ::displayName(provider) + u' ' + middleDot + u' ' + label;
}

QString Account::compactName() const
{
    return label.isEmpty() ? ::displayName(provider) : ::displayName(provider) + middleDot + label;
}

AccountId Account::id() const
{
    return {provider, QDir::cleanPath(folder.isEmpty() ? defaultFolder(provider) : folder)};
}

std::optional<Account> Account::ofRecordName(Provider provider, const QString &recordName,
                                             const QList<Account> &accounts)
{
    for (const Account &account : accounts) {
        if (account.provider == provider && (recordName.isEmpty() ? account.first : account.label == recordName))
            return account;
    }
    return std::nullopt;
}

bool AccountId::operator<(const AccountId &other) const
{
    return std::tie(provider, folder) < std::tie(other.provider, other.folder);
}
