#pragma once

#include <QByteArray>
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

// Many rows handed to one statement as one bound JSON text, an array of arrays, which the
// statement reads as "FROM json_each(?) j" with the columns of jsonColumns(): Qt's binding of a
// value costs more than SQLite's work on it.
class JsonRows
{
public:
    void startRow();
    void add(qint64 number);
    void add(double number);
    void add(const QString &text);
    bool isEmpty() const { return m_rows == 0; }
    QString text() const;

private:
    template <typename Number>
    void addNumber(Number number);

    QByteArray m_json;
    qsizetype m_rows = 0;
    bool m_rowStarted = false;
};

// "j.value ->> 0, j.value ->> 1, ...": a row's columns, in the order they were added.
QString jsonColumns(int count);

} // namespace IndexSql
