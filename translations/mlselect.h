#pragma once
// Choosing the translation paragraph of a document: the first paragraph of the
// document's language that translates every visible text of its dialog.
#include "translations/mlparas.h"

#include <functional>
#include <string>

namespace kelvo {

// The language name that switches translation off.
inline constexpr const char* NoTranslationsLanguage = "- No translations -";

// Looks every visible, non-blank text of a document up in the paragraph
// (TMltext::LookUp for captions, the choice lists likewise) and returns how
// many lookups found nothing. The lookups leave their indices in the texts.
using TMlcoverage = std::function<int(const TMlpara& paragraph)>;

// The load-order position of the first paragraph named language for which
// coverage reports no miss; -1 when there is none or the language is
// "- No translations -".
int SelectTranslation(const TMlparas& paragraphs, const std::string& language,
                      const TMlcoverage& coverage);

// The paragraph at position, or null when position is negative or not below
// the number of loaded paragraphs.
const TMlpara* GetTranslationTable(const TMlparas& paragraphs, int position);

// The translation state a document keeps: its language and the position of
// its paragraph in the store. A document holds one and forwards to it.
class TMlselection {
public:
    explicit TMlselection(const TMlparas& paragraphs = Mlparas()) : FParagraphs(paragraphs) {}

    const std::string& Language() const { return FLanguage; }
    int TranslationIndex() const { return FTranslationIndex; }

    void SelectTranslation(const TMlcoverage& coverage);
    const TMlpara* GetTranslationTable() const;
    // Selects again only when name differs from the current language.
    void SetLanguage(const std::string& name, const TMlcoverage& coverage);

private:
    const TMlparas& FParagraphs;
    std::string FLanguage; // empty for a new document, so the first SetLanguage selects
    int FTranslationIndex = -1;
};

} // namespace kelvo
