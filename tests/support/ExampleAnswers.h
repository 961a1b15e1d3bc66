#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The usage services' example answers, kept in tests/data/answers with each time written as
// "{iso now+9000.412}" (an RFC 3339 text) or "{epoch now+9120}" (Unix seconds), or "now-…" for
// one gone by: here they are made into times that many seconds after (or before) now.
QByteArray exampleAnswer(const QString &fileName, const QDateTime &now);
