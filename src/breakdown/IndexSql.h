#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <optional>

// The index's statements, bound by position.
namespace IndexSql {

std::optional<QSqlError> run(QSqlQuery &query, const QVariantList &values);
std::optional<QSqlError> run(QSqlDatabase &database, const QString &statement, const QVariantList &values);

// Binds a text, empty rather than NULL where it is null: an account, a project or a model may be empty.
void bindText(QSqlQuery &query, const QString &text);

} // namespace IndexSql
