#pragma once

#include <QStringList>

// Turns the logs' tables of a new history file into those of version 7, empty: where a test of a
// file an earlier Tidemarker wrote starts from.
inline QStringList version7LogTables()
{
    using namespace Qt::StringLiterals;
    const QString counts = u"project TEXT NOT NULL, model TEXT NOT NULL, file INTEGER NOT NULL, input INTEGER NOT NULL, "
                           "output INTEGER NOT NULL, cache_write INTEGER NOT NULL, cache_read INTEGER NOT NULL, "_s;
    return {u"DROP TABLE breakdown_minutes"_s,
            u"DROP TABLE breakdown_by_hour"_s,
            u"DROP TABLE breakdown_requests"_s,
            u"CREATE TABLE breakdown_minutes (provider TEXT NOT NULL, account TEXT NOT NULL, minute INTEGER NOT NULL, "_s
                + counts + u"weighted REAL NOT NULL, PRIMARY KEY (provider, account, minute, project, model, file)) WITHOUT ROWID"_s,
            u"CREATE INDEX breakdown_minutes_by_file ON breakdown_minutes (file)"_s,
            u"CREATE TABLE breakdown_by_hour (provider TEXT NOT NULL, account TEXT NOT NULL, hour INTEGER NOT NULL, "_s
                + counts + u"weighted REAL NOT NULL, PRIMARY KEY (provider, account, hour, project, model, file)) WITHOUT ROWID"_s,
            u"CREATE INDEX breakdown_by_hour_by_file ON breakdown_by_hour (file)"_s,
            u"CREATE TABLE breakdown_requests (account TEXT NOT NULL, key TEXT NOT NULL, file INTEGER NOT NULL, "
            "minute INTEGER NOT NULL, project TEXT NOT NULL, model TEXT NOT NULL, input INTEGER NOT NULL, "
            "output INTEGER NOT NULL, cache_write INTEGER NOT NULL, cache_read INTEGER NOT NULL, holds INTEGER NOT NULL, "
            "PRIMARY KEY (account, key, file)) WITHOUT ROWID"_s,
            u"CREATE INDEX breakdown_requests_by_file ON breakdown_requests (file)"_s,
            u"CREATE INDEX breakdown_requests_by_minute ON breakdown_requests (minute)"_s};
}
