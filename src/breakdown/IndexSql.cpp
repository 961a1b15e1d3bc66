#include "IndexSql.h"

#include <QVariant>

using namespace Qt::StringLiterals;

void IndexSql::bindText(QSqlQuery &query, const QString &text)
{
    query.addBindValue(text.isNull() ? u""_s : text);
}

std::optional<QSqlError> IndexSql::run(QSqlQuery &query, const QVariantList &values)
{
    for (const QVariant &value : values) {
        if (value.typeId() == QMetaType::QString)
            bindText(query, value.toString());
        else
            query.addBindValue(value);
    }
    return query.exec() ? std::nullopt : std::optional(query.lastError());
}

std::optional<QSqlError> IndexSql::run(QSqlDatabase &database, const QString &statement, const QVariantList &values)
{
    QSqlQuery query(database);
    query.prepare(statement);
    return run(query, values);
}
