#pragma once
// A value chosen from a list of texts. The list is one translatable text: the
// category character "C" followed by every choice, each preceded by "|", as in
// "C|Off|On".
#include "model/dlglinevalue.h"
#include "translations/mltext.h"

namespace kelvo {

class TDlglineValueChoice : public TDlglineValue {
public:
    TDlglineValueChoice();

    std::uint16_t Index = 0;
    TMltext Choices;
    // Number of texts taken by the last Read; the number in use is
    // ChoiceCount(), counted from the list itself.
    std::int32_t ChoiceCountRead = 0;

    void Assign(const TDlglineValue& other) override;
    // Refuses an index outside the list, negative ones included.
    void SetLong(std::int32_t value) override;
    std::int32_t GetLong() const override { return Index; }
    bool IsEqual(const TDlglineValue& other) const override;
    bool IsSameKind(const TDlglineValue& other) const override;
    int ReadRaw(TStream& stream) override;
    int WriteRaw(TStream& stream) const override;
    int Read(TStream& stream) override;
    int Write(TStream& stream) const override;
    std::string GetText() const override;
    std::string GetDisplayText(const TMlpara* table) const override;
    int LookUpTranslations(const TMlpara* table) override;
    bool Edit(QWidget* owner, TDlgline* row) override;
    int Kind() const override { return KindChoice; }

    int ChoiceCount() const;
    // Choice n (from 0) of the untranslated list; empty beyond the list.
    std::string ChoiceText(int n) const;
    // Choice n of the list as the table shows it.
    std::string DisplayChoiceText(int n, const TMlpara* table) const;
    // Replaces the list by these texts.
    template <class Range> void SetChoices(const Range& texts) {
        std::string list = "C";
        for (const auto& t : texts) {
            list += '|';
            list += t;
        }
        Choices.SetText(std::move(list));
    }
};

// Choice n of a list text that starts with its first "|".
std::string NthChoice(const std::string& list, int n);

} // namespace kelvo
