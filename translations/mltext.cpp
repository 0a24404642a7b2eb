#include "translations/mltext.h"

#include "translations/mlpara.h"

namespace kelvo {

void TMltext::SetText(std::string untranslated) {
    FText = std::move(untranslated);
    FIndex = MltextNotFound;
}

std::string TMltext::Untranslated() const {
    return FText.empty() ? std::string() : FText.substr(1);
}

int TMltext::LookUp(const TMlpara* paragraph) {
    FIndex = paragraph ? paragraph->Find(FText) : MltextNotFound;
    return FIndex;
}

std::string TMltext::DisplayText(const TMlpara* paragraph) const {
    if (paragraph && FIndex >= 0 && FIndex < paragraph->Count())
        return paragraph->Translation(FIndex);
    return Untranslated();
}

} // namespace kelvo
