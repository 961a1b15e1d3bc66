#include "EndpointUrl.h"

#include <QtGlobal>

QUrl configuredEndpoint(const char *variable, const QUrl &publicEndpoint)
{
    const QUrl configured(qEnvironmentVariable(variable), QUrl::StrictMode);
    return configured.isValid() && !configured.isEmpty() ? configured : publicEndpoint;
}
