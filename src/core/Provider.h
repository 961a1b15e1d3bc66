#pragma once

#include <QString>

#include <optional>

enum class Provider { codex, claude };

// Every provider, in the order the snapshot and the menu list them.
inline constexpr Provider allProviders[] = {Provider::codex, Provider::claude};

QString rawValue(Provider provider);
QString displayName(Provider provider);
std::optional<Provider> providerFromRawValue(const QString &text);
