#pragma once

#include "Provider.h"

#include <QString>
#include <QStringList>

#include <optional>

// Claude Code drives other providers' models too (pointed at their endpoints): its transcripts'
// lines of those models count toward those providers, by the model name's start.
namespace TranscriptModels {

// Every provider's model starts, as its traits list them.
QStringList all();
// The provider whose models start as this one does, ignoring case; none for Claude's own.
std::optional<Provider> providerOf(const QString &model);

} // namespace TranscriptModels
