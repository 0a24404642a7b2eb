#include "model/dlglinevalue_choice.h"

#include "foundation/exception.h"
#include "model/record_codec.h"
#include "model/value_editor.h"

#include <vector>

namespace kelvo {

namespace {

// The choices of a list text that starts with its first "|".
std::vector<std::string_view> SplitChoices(std::string_view list) {
    std::vector<std::string_view> texts;
    std::size_t bar = list.find('|');
    while (bar != std::string_view::npos) {
        const std::size_t next = list.find('|', bar + 1);
        const std::size_t end = next == std::string_view::npos ? list.size() : next;
        texts.push_back(list.substr(bar + 1, end - bar - 1));
        bar = next;
    }
    return texts;
}

} // namespace

std::string NthChoice(const std::string& list, int n) {
    if (n < 0)
        return {};
    std::size_t bar = list.find('|');
    for (; bar != std::string::npos && n > 0; --n)
        bar = list.find('|', bar + 1);
    if (bar == std::string::npos)
        return {};
    const std::size_t next = list.find('|', bar + 1);
    return list.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1);
}

TDlglineValueChoice::TDlglineValueChoice() : Choices("C") {}

void TDlglineValueChoice::Assign(const TDlglineValue& other) {
    const auto& o = dynamic_cast<const TDlglineValueChoice&>(other);
    Index = o.Index;
    Choices = o.Choices;
    ChoiceCountRead = o.ChoiceCountRead;
}

int TDlglineValueChoice::ChoiceCount() const {
    int count = 0;
    const std::string& list = Choices.Text();
    for (std::size_t i = 1; i < list.size(); ++i)
        count += list[i] == '|';
    return count;
}

void TDlglineValueChoice::SetLong(std::int32_t value) {
    if (value < 0 || value >= ChoiceCount() || value > 0xFFFF)
        throw Exception("TDlglineValueChoice::SetLong: Arg. out of range!");
    Index = std::uint16_t(value);
}

bool TDlglineValueChoice::IsEqual(const TDlglineValue& other) const {
    const auto* o = dynamic_cast<const TDlglineValueChoice*>(&other);
    return o && o->Index == Index && o->Choices.Text() == Choices.Text();
}

bool TDlglineValueChoice::IsSameKind(const TDlglineValue& other) const {
    const auto* o = dynamic_cast<const TDlglineValueChoice*>(&other);
    return o && o->Choices.Text() == Choices.Text();
}

int TDlglineValueChoice::ReadRaw(TStream& stream) {
    return record::ReadU16(stream, Index);
}

int TDlglineValueChoice::WriteRaw(TStream& stream) const {
    return record::WriteU16(stream, Index);
}

int TDlglineValueChoice::Read(TStream& stream) {
    std::uint16_t index = 0;
    int total = record::ReadU16(stream, index);
    if (total < 0)
        return total;
    // The first text is choice 0 even when empty; after it an empty text ends
    // the list.
    std::string list = "C";
    int count = 0;
    for (;;) {
        std::string text;
        const int r = record::ReadText(stream, text);
        if (r < 0)
            return r;
        total += r;
        if (text.empty() && count > 0)
            break;
        if (count == record::MaxChoices)
            return record::TooManyChoices;
        list += '|';
        list += text;
        ++count;
    }
    Index = index;
    Choices.SetText(std::move(list));
    ChoiceCountRead = count;
    return total;
}

int TDlglineValueChoice::Write(TStream& stream) const {
    int total = WriteRaw(stream);
    if (total < 0)
        return total;
    const std::string list = Choices.Untranslated();
    const auto texts = SplitChoices(list);
    for (std::size_t n = 0; n == 0 || (n < texts.size() && !texts[n].empty()); ++n) {
        const int r = record::WriteText(stream, n < texts.size() ? texts[n] : std::string_view());
        if (r < 0)
            return r;
        total += r;
    }
    const char end = '\0';
    const int r = record::WriteBytes(stream, &end, 1);
    return r < 0 ? r : total + r;
}

std::string TDlglineValueChoice::ChoiceText(int n) const {
    return NthChoice(Choices.Untranslated(), n);
}

std::string TDlglineValueChoice::DisplayChoiceText(int n, const TMlpara* table) const {
    return NthChoice(Choices.DisplayText(table), n);
}

std::string TDlglineValueChoice::GetText() const {
    return ChoiceText(Index);
}

std::string TDlglineValueChoice::GetDisplayText(const TMlpara* table) const {
    return DisplayChoiceText(Index, table);
}

int TDlglineValueChoice::LookUpTranslations(const TMlpara* table) {
    return Choices.LookUp(table);
}

bool TDlglineValueChoice::Edit(QWidget* owner, TDlgline* row) {
    TValueEditor* editor = ValueEditor();
    if (!owner || !row || !editor)
        return false;
    return editor->EditChoice(*this, owner, *row);
}

} // namespace kelvo
