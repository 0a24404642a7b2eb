#pragma once
// A translatable text: a caption or a choice list as the device sent it, in the
// OEM code page, with its category character in front ('T' caption, 'C' choice
// list), plus where its translation was found the last time it was looked up.
#include <string>

namespace kelvo {

class TMlpara;

// Translation index values besides the positions 0 .. n-1 of a paragraph.
inline constexpr int MltextNotFound = -1;
inline constexpr int MltextEmptyTranslation = 2147483647;

class TMltext {
public:
    TMltext() = default;
    explicit TMltext(std::string untranslated) : FText(std::move(untranslated)) {}

    // Category character and text proper, untranslated.
    const std::string& Text() const { return FText; }
    // A new text invalidates the index: it described the old one.
    void SetText(std::string untranslated);
    char Category() const { return FText.empty() ? '\0' : FText.front(); }
    // The text without its category character.
    std::string Untranslated() const;

    int TranslationIndex() const { return FIndex; }
    void SetTranslationIndex(int index) { FIndex = index; }

    // Looks the whole text (category included) up in the paragraph, remembers
    // and returns the index: -1 without a paragraph or a match.
    int LookUp(const TMlpara* paragraph);
    // The translation when a paragraph is given and the remembered index names
    // one of its entries; otherwise the untranslated text. An empty translation
    // (index 2147483647) thus shows the untranslated text.
    std::string DisplayText(const TMlpara* paragraph) const;

    bool operator==(const TMltext&) const = default;

private:
    std::string FText;
    int FIndex = MltextNotFound;
};

} // namespace kelvo
