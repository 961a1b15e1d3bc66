#pragma once

#include "LogFolder.h"

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <utility>

struct BreakdownWindow;

// The index rows a window adds up: those of the log files its requests are logged in, of the
// models that count toward it. Claude Code's transcripts log the models of other providers it
// is pointed at too: those lines count toward those providers, for every account of theirs
// (a line does not tell which key or sign-in it used), and not toward Claude.
class WindowRows
{
public:
    // The folders are those read, which tell the accounts whose transcripts another provider's
    // windows add up.
    WindowRows(const BreakdownWindow &window, const QList<LogFolder> &folders);

    // Whether any log shows a provider's requests.
    static bool logged(Provider provider);

    // The condition on breakdown_files' rows, and its values in order.
    QString filesCondition() const;
    void bindFiles(QSqlQuery &query) const;
    // The condition on the counts' model column, "1" for every model, and its values in order.
    QString modelCondition() const;
    void bindModels(QSqlQuery &query) const;

private:
    using Files = std::pair<Provider, QString>; // a provider and the account its files go by
    QList<Files> m_files;
    QStringList m_modelStarts;
    bool m_onlyThoseModels = false; // else every model but those
};
