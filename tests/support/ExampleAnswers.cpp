#include "ExampleAnswers.h"

#include <QFile>
#include <QRegularExpression>

#include <cmath>

using namespace Qt::StringLiterals;

QByteArray exampleAnswer(const QString &fileName, const QDateTime &now)
{
    QFile file(QStringLiteral(TIDEMARKER_ANSWERS_DIR "/") + fileName);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the example answer %s", qPrintable(file.fileName()));
    QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression time(u"\\{(iso|epoch) now([+-][0-9.]+)\\}"_s);
    QRegularExpressionMatch match;
    while ((match = time.match(text)).hasMatch()) {
        const QDateTime at = now.addMSecs(std::llround(match.captured(2).toDouble() * 1000)).toUTC();
        const QString written = match.captured(1) == u"iso" ? at.toString(Qt::ISODateWithMs)
                                                            : QString::number(at.toSecsSinceEpoch());
        text.replace(match.capturedStart(), match.capturedLength(), written);
    }
    return text.toUtf8();
}
