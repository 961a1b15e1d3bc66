#pragma once

#include "UsageRequest.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QString>

#include <variant>

// Reading what the providers' own tools and services hand over. Failures name the file or the
// document, never its content, which may hold a token.

inline constexpr qint64 maxLocalFileBytes = 1024 * 1024;

// The whole file, refused when it is larger than maxLocalFileBytes.
std::variant<QByteArray, PlainError> readSmallFile(const QString &path);

// Object or array at the top, as QJsonDocument takes them.
std::variant<QJsonDocument, PlainError> parseJsonDocument(const QByteArray &json,
                                                          const QString &documentName);
