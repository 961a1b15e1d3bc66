#pragma once

#include "UsageRequest.h"

#include <QByteArray>
#include <QIODevice>
#include <QJsonDocument>
#include <QString>

#include <variant>

// Reading what the providers' own tools and services hand over. Failures name the file or the
// document, never its content, which may hold a token.

inline constexpr qint64 maxLocalFileBytes = 1024 * 1024;

// Why a file could not be read; missing when nothing is there (or a link points at nothing).
struct FileReadError : PlainError {
    bool missing = false;
    bool tooLarge = false; // a regular file over maxLocalFileBytes
};

// The whole file, refused when it is larger than maxLocalFileBytes or not a regular file
// (a FIFO or a device would block the reader). Never waits for another process. Messages call
// the file shownAs, or by its path when that is empty.
std::variant<QByteArray, FileReadError> readSmallFile(const QString &path, const QString &shownAs = {});

// What the device holds now, up to maxSize bytes. QIODevice::read(maxSize) sets maxSize bytes
// aside first, which for a bound of a megabyte is a megabyte for a file of a few hundred bytes.
QByteArray readAtMost(QIODevice &device, qint64 maxSize);

// The folder the environment variable names when it is set, made absolute, else the one of that
// name in the home folder: where a command-line tool keeps its sign-in.
QString folderFromEnvironment(const char *variable, const QString &inHome);

// The path with the home folder written as "~", as messages name a file.
QString homeRelative(const QString &path);

// Object or array at the top, as QJsonDocument takes them.
std::variant<QJsonDocument, PlainError> parseJsonDocument(const QByteArray &json,
                                                          const QString &documentName);

