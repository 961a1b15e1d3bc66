#include "WindowRows.h"

#include "BreakdownQuery.h"
#include "IndexSql.h"
#include "ProviderTraits.h"
#include "TranscriptModels.h"

using namespace Qt::StringLiterals;

namespace {

// Every account whose folders hold Claude Code's transcripts, once each.
QList<std::pair<Provider, QString>> transcriptAccounts(const QList<LogFolder> &folders)
{
    QList<std::pair<Provider, QString>> accounts;
    for (const LogFolder &folder : folders) {
        const std::pair account(folder.provider, folder.account);
        if (ProviderTraits::of(folder.provider).logs == ProviderTraits::Logs::claudeCode && !accounts.contains(account))
            accounts.append(account);
    }
    return accounts;
}

} // namespace

WindowRows::WindowRows(const BreakdownWindow &window, const QList<LogFolder> &folders)
{
    const ProviderTraits &traits = ProviderTraits::of(window.provider);
    if (!traits.transcriptModels.isEmpty()) {
        m_files = transcriptAccounts(folders);
        m_modelStarts = traits.transcriptModels;
        m_onlyThoseModels = true;
        return;
    }
    m_files = {{window.provider, window.account.key()}};
    if (traits.logs == ProviderTraits::Logs::claudeCode)
        m_modelStarts = TranscriptModels::all();
}

bool WindowRows::logged(Provider provider)
{
    const ProviderTraits &traits = ProviderTraits::of(provider);
    return traits.logs != ProviderTraits::Logs::none || !traits.transcriptModels.isEmpty();
}

QString WindowRows::filesCondition() const
{
    QStringList each;
    for (qsizetype i = 0; i < m_files.size(); ++i)
        each.append(u"(provider = ? AND account = ?)"_s);
    return each.isEmpty() ? u"0"_s : each.join(u" OR "_s);
}

void WindowRows::bindFiles(QSqlQuery &query) const
{
    for (const auto &[provider, account] : m_files) {
        query.addBindValue(rawValue(provider));
        IndexSql::bindText(query, account);
    }
}

// NOCASE folds ASCII only, as the model starts are.
QString WindowRows::modelCondition() const
{
    if (m_modelStarts.isEmpty())
        return u"1"_s;
    QStringList each;
    for (qsizetype i = 0; i < m_modelStarts.size(); ++i)
        each.append(u"substr(model, 1, ?) = ? COLLATE NOCASE"_s);
    return (m_onlyThoseModels ? u"("_s : u"NOT ("_s) + each.join(u" OR "_s) + u')';
}

void WindowRows::bindModels(QSqlQuery &query) const
{
    for (const QString &start : m_modelStarts) {
        query.addBindValue(start.size());
        query.addBindValue(start);
    }
}
