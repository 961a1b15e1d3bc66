#pragma once

#include <QString>

// Where the running Tidemarker publishes its snapshot on the session bus.
namespace StatusBusNames {

inline const QString service = QStringLiteral("org.tidemarker.Tidemarker");
inline const QString path = QStringLiteral("/org/tidemarker/Tidemarker");
inline const QString interface = QStringLiteral("org.tidemarker.Tidemarker1");
inline const QString snapshotProperty = QStringLiteral("Snapshot");
// Breakdown() fails with it, saying why: the logs are not read, or the history cannot be.
inline const QString noBreakdownError = QStringLiteral("org.tidemarker.Tidemarker1.Error.NoBreakdown");

} // namespace StatusBusNames
