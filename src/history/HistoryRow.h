#pragma once

#include "PaceForecast.h"
#include "UsageModels.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>

// One window of one live refresh, as the record keeps it.
struct HistoryRow {
    QDateTime fetchedAt;
    Provider provider = Provider::codex;
    QString windowId;
    QString name; // "5h", "Weekly" or an extra window's own name
    double usedPercent = 0;
    QDateTime resetAt;
    double limitWindowSeconds = 0;
    // The account's Account::key(); in a file of an earlier version, the name it knew it by
    // (empty for its provider's first, else its label), while no account listed now has that name.
    QString account{};
    QString label{}; // the account's label: as it is now when written, as it was last seen when read

    // A row for each window, the extra ones too, of every result fetched just now.
    static QList<HistoryRow> ofLiveResults(const UsageStatus &status);
    // The label of every account shown, by its key.
    static QHash<QString, QString> labelsOf(const UsageStatus &status);
};

// Which alert a window's period has had already, kept so that a restart does not repeat it.
struct RememberedAlert {
    QString windowId;
    QDateTime resetAt;
    PaceForecast::Alert given = PaceForecast::Alert::none;
    QString account{}; // as HistoryRow::account
};

// Ninety days are tens of thousands of rows: a growing list moves them as bytes.
Q_DECLARE_TYPEINFO(HistoryRow, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(HistoryRow)
Q_DECLARE_METATYPE(RememberedAlert)
