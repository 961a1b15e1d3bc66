#pragma once

#include <QString>

#include <optional>

// A provider's identity; everything else about it is in its ProviderTraits.
enum class Provider { codex, claude, zai, kimi, copilot };

QString rawValue(Provider provider);
QString displayName(Provider provider);
std::optional<Provider> providerFromRawValue(const QString &text);
