#pragma once

#include <QString>

#include <QLocale>

// Numbers as the user's locale writes them (QLocale(): LC_NUMERIC or LANG, not LANGUAGE), with
// the percent sign where the user's language puts it: "39%", "39 %".
namespace LocalNumberText {

// The user's locale; where none is named (C), English as written in the United States.
QLocale locale();

QString whole(qint64 number);
QString decimal(double number, int decimalPlaces);
// A number already written ("+12", "39"), as a percentage.
QString percent(const QString &number);
QString wholePercent(qint64 number);

} // namespace LocalNumberText
