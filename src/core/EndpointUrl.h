#pragma once

#include <QUrl>

// The URL in the environment variable when it holds one, else the public endpoint. Read on
// every request, so a test server or proxy can be swapped in without a restart.
QUrl configuredEndpoint(const char *variable, const QUrl &publicEndpoint);
