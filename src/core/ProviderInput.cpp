#include "ProviderInput.h"

#include <QFile>

using namespace Qt::StringLiterals;

std::variant<QByteArray, PlainError> readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PlainError{u"cannot read %1: %2"_s.arg(path, file.errorString())};
    // One byte more than allowed tells a file at the limit from a larger one.
    const QByteArray bytes = file.read(maxLocalFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return PlainError{u"cannot read %1: %2"_s.arg(path, file.errorString())};
    if (bytes.size() > maxLocalFileBytes)
        return PlainError{u"cannot read %1: larger than 1 MiB"_s.arg(path)};
    return bytes;
}

std::variant<QJsonDocument, PlainError> parseJsonDocument(const QByteArray &json,
                                                          const QString &documentName)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return PlainError{u"%1 is not valid JSON: %2 at offset %3"_s.arg(
            documentName, parseError.errorString()).arg(parseError.offset)};
    }
    return document;
}
