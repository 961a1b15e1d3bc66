#pragma once

#include <QLoggingCategory>

// What each part of the program can tell a developer, one category per part. Debug and info
// messages are off unless switched on, e.g. QT_LOGGING_RULES="tidemarker.*.debug=true";
// warnings are on, for the one-line messages a user is to see, named by their category.
Q_DECLARE_LOGGING_CATEGORY(lcCore)      // tidemarker.core: credentials, requests, the store
Q_DECLARE_LOGGING_CATEGORY(lcHistory)   // tidemarker.history: the record's file and its writer
Q_DECLARE_LOGGING_CATEGORY(lcBreakdown) // tidemarker.breakdown: the log reader and its index
Q_DECLARE_LOGGING_CATEGORY(lcSettings)  // tidemarker.settings: the settings file and dialog
Q_DECLARE_LOGGING_CATEGORY(lcUi)        // tidemarker.ui: tray, menu, alerts, windows, the bus
Q_DECLARE_LOGGING_CATEGORY(lcStatus)    // tidemarker.status: tidemarker-status

// For message handlers that keep Qt's own remarks off standard error: writes a message of these
// categories there, one line with its category's name, and tells whether it was one.
bool sayOwnDiagnostic(const QMessageLogContext &context, const QString &message);
