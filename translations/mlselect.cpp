#include "translations/mlselect.h"

namespace kelvo {

int SelectTranslation(const TMlparas& paragraphs, const std::string& language,
                      const TMlcoverage& coverage) {
    if (language == NoTranslationsLanguage)
        return -1;
    int position = 0;
    for (const TMlpara& paragraph : paragraphs) {
        if (paragraph.Name() == language && coverage(paragraph) == 0)
            return position;
        ++position;
    }
    return -1;
}

const TMlpara* GetTranslationTable(const TMlparas& paragraphs, int position) {
    return paragraphs.At(position);
}

void TMlselection::SelectTranslation(const TMlcoverage& coverage) {
    FTranslationIndex = kelvo::SelectTranslation(FParagraphs, FLanguage, coverage);
}

const TMlpara* TMlselection::GetTranslationTable() const {
    return kelvo::GetTranslationTable(FParagraphs, FTranslationIndex);
}

void TMlselection::SetLanguage(const std::string& name, const TMlcoverage& coverage) {
    if (name == FLanguage)
        return;
    FLanguage = name;
    SelectTranslation(coverage);
}

} // namespace kelvo
