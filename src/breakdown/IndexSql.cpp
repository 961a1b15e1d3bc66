#include "IndexSql.h"

#include <QStringList>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype rowsPerStatement = 64;

} // namespace

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

IndexSql::ManyRows::ManyRows(QSqlDatabase &database, QString head, int columns, QString tail)
    : m_database(database)
    , m_head(std::move(head))
    , m_row(u'(' + QStringList(columns, u"?"_s).join(u", "_s) + u')')
    , m_tail(std::move(tail))
    , m_full(database)
    , m_rest(database)
{
    m_full.setForwardOnly(true);
    m_rest.setForwardOnly(true);
}

QSqlQuery &IndexSql::ManyRows::prepared(qsizetype rows)
{
    const auto statement = [this, rows] { return m_head + QStringList(rows, m_row).join(u", "_s) + m_tail; };
    if (rows == rowsPerStatement) {
        if (m_full.lastQuery().isEmpty())
            m_full.prepare(statement());
        return m_full;
    }
    m_rest.prepare(statement());
    return m_rest;
}

std::optional<QSqlError> IndexSql::ManyRows::run(qsizetype rows, const BindRow &bindRow, const QVariantList &tailValues,
                                                 const ReadResult &read)
{
    for (qsizetype first = 0; first < rows; first += rowsPerStatement) {
        const qsizetype count = std::min(rowsPerStatement, rows - first);
        QSqlQuery &query = prepared(count);
        for (qsizetype row = first; row < first + count; ++row)
            bindRow(query, row);
        if (const auto error = IndexSql::run(query, tailValues))
            return error;
        if (read)
            read(query);
        query.finish();
    }
    return std::nullopt;
}
