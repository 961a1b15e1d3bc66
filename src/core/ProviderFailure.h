#pragma once

#include "UsageModels.h"
#include "UsageRequest.h"

#include <QDateTime>
#include <QString>

// The failed results the newer providers' clients share: one rule for what a status means to
// the store (a sign-in to ask for, a wait to keep).
namespace ProviderFailure {

// A failure the answer or the transport gave.
ProviderResult of(Provider provider, const QString &error, bool needsAuth = false);
// No request went out (no credential, an unreadable or expired one): the store keeps its spacing.
ProviderResult beforeRequest(Provider provider, const QString &error, bool needsAuth);
// An answer that is not a success, named by its status. A 429, or a 403 that says when to come
// back, is a rate limit; it and a 503 keep the wait the service asked for.
ProviderResult ofReply(Provider provider, const HttpReply &reply, const QDateTime &now);

} // namespace ProviderFailure
