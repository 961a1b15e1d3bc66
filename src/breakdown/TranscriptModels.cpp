#include "TranscriptModels.h"

#include "ProviderTraits.h"

QStringList TranscriptModels::all()
{
    QStringList starts;
    for (Provider provider : ProviderTraits::all())
        starts += ProviderTraits::of(provider).transcriptModels;
    return starts;
}

std::optional<Provider> TranscriptModels::providerOf(const QString &model)
{
    for (Provider provider : ProviderTraits::all()) {
        for (const QString &start : ProviderTraits::of(provider).transcriptModels) {
            if (model.startsWith(start, Qt::CaseInsensitive))
                return provider;
        }
    }
    return std::nullopt;
}
