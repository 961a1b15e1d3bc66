#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <functional>
#include <optional>

// The index's statements, bound by position.
namespace IndexSql {

std::optional<QSqlError> run(QSqlQuery &query, const QVariantList &values);
std::optional<QSqlError> run(QSqlDatabase &database, const QString &statement, const QVariantList &values);

// Many rows to one statement, "head (?, ...), (?, ...) tail", each row's values bound by
// bindRow(query, row), then the tail's: one statement a row spends most of its time on the statement.
class ManyRows
{
public:
    using BindRow = std::function<void(QSqlQuery &query, qsizetype row)>;
    using ReadResult = std::function<void(QSqlQuery &query)>;

    ManyRows(QSqlDatabase &database, QString head, int columns, QString tail);
    std::optional<QSqlError> run(qsizetype rows, const BindRow &bindRow, const QVariantList &tailValues = {},
                                 const ReadResult &read = {});

private:
    QSqlQuery &prepared(qsizetype rows);

    QSqlDatabase &m_database;
    QString m_head;
    QString m_row;
    QString m_tail;
    QSqlQuery m_full; // prepared once for a whole chunk
    QSqlQuery m_rest;
};

// Binds a text, empty rather than NULL where it is null: an account, a project or a model may be empty.
void bindText(QSqlQuery &query, const QString &text);

} // namespace IndexSql
