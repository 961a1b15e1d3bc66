#include "IndexSql.h"

#include <QStringList>
#include <QVariant>

#include <charconv>
#include <cstdio>

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

void IndexSql::JsonRows::startRow()
{
    m_json += m_rows++ ? "],[" : "[[";
    m_rowStarted = false;
}

void IndexSql::JsonRows::add(qint64 number)
{
    addNumber(number);
}

void IndexSql::JsonRows::add(double number)
{
    addNumber(number);
}

template <typename Number>
void IndexSql::JsonRows::addNumber(Number number)
{
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    if (std::exchange(m_rowStarted, true))
        m_json += ',';
    m_json.append(digits, end - digits);
}

void IndexSql::JsonRows::add(const QString &text)
{
    if (std::exchange(m_rowStarted, true))
        m_json += ',';
    m_json += '"';
    for (const char byte : text.toUtf8()) {
        if (byte == '"' || byte == '\\') {
            m_json += '\\';
            m_json += byte;
        } else if (uchar(byte) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", uchar(byte));
            m_json += escaped;
        } else {
            m_json += byte;
        }
    }
    m_json += '"';
}

QString IndexSql::JsonRows::text() const
{
    return m_rows ? QString::fromUtf8(m_json + "]]") : u"[]"_s;
}

QString IndexSql::jsonColumns(int count)
{
    QStringList columns;
    for (int column = 0; column < count; ++column)
        columns.append(u"j.value ->> "_s + QString::number(column));
    return columns.join(u", "_s);
}
