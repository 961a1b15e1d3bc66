#include "Wording.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

QString worded(Wording wording, const char *context, const char *source, int count)
{
    if (wording == Wording::local)
        return QCoreApplication::translate(context, source, nullptr, count);
    QString text = QString::fromUtf8(source);
    return count < 0 ? text : text.replace(u"%n"_s, QString::number(count));
}
