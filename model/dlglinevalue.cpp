#include "model/dlglinevalue.h"

#include "foundation/exception.h"
#include "model/dlgline.h"
#include "model/dlglinevalue_choice.h"
#include "model/number_text.h"
#include "model/record_codec.h"
#include "model/value_editor.h"

#include <typeinfo>

namespace kelvo {

void TDlglineValue::SetLong(std::int32_t) {
    throw Exception("DlglineValue::SetLong not implemented!");
}

std::int32_t TDlglineValue::GetLong() const {
    throw Exception("long DlglineValue::GetLong not implemented!");
}

void TDlglineValue::SetString(const std::string&) {
    throw Exception("void DlglineValue::SetString not implemented!");
}

std::string TDlglineValue::GetString() const {
    throw Exception("AnsiString DlglineValue::GetString() not implemented!");
}

void TDlglineValue::SetText(const std::string&) {}

std::string TDlglineValue::GetDisplayText(const TMlpara*) const {
    return GetText();
}

int TDlglineValue::LookUpTranslations(const TMlpara*) {
    return 0;
}

bool TDlglineValue::Edit(QWidget* owner, TDlgline* row) {
    TValueEditor* editor = ValueEditor();
    if (!owner || !row || !editor)
        return false;
    return editor->EditText(*this, owner, *row);
}

TDlglineValue* NewDlglineValue(int kind) {
    switch (kind) {
    case KindLong:
        return new TDlglineValueLong;
    case KindDouble:
        return new TDlglineValueDouble;
    case KindChoice:
        return new TDlglineValueChoice;
    case KindText:
        return new TDlglineValueText;
    case KindLabel:
        return new TDlglineValueLabel;
    default:
        return nullptr;
    }
}

// Long

void TDlglineValueLong::Assign(const TDlglineValue& other) {
    Value = dynamic_cast<const TDlglineValueLong&>(other).Value;
}

bool TDlglineValueLong::IsEqual(const TDlglineValue& other) const {
    const auto* o = dynamic_cast<const TDlglineValueLong*>(&other);
    return o && o->Value == Value;
}

bool TDlglineValueLong::IsSameKind(const TDlglineValue& other) const {
    return dynamic_cast<const TDlglineValueLong*>(&other) != nullptr;
}

int TDlglineValueLong::ReadRaw(TStream& stream) {
    return record::ReadI32(stream, Value);
}

int TDlglineValueLong::WriteRaw(TStream& stream) const {
    return record::WriteI32(stream, Value);
}

std::string TDlglineValueLong::GetText() const {
    return std::to_string(Value);
}

void TDlglineValueLong::SetText(const std::string& text) {
    if (const auto v = ParseLongText(text))
        Value = *v;
}

// Double

void TDlglineValueDouble::Assign(const TDlglineValue& other) {
    Value = dynamic_cast<const TDlglineValueDouble&>(other).Value;
}

bool TDlglineValueDouble::IsEqual(const TDlglineValue& other) const {
    const auto* o = dynamic_cast<const TDlglineValueDouble*>(&other);
    return o && o->Value == Value;
}

bool TDlglineValueDouble::IsSameKind(const TDlglineValue& other) const {
    return dynamic_cast<const TDlglineValueDouble*>(&other) != nullptr;
}

int TDlglineValueDouble::ReadRaw(TStream& stream) {
    return record::ReadDouble(stream, Value);
}

int TDlglineValueDouble::WriteRaw(TStream& stream) const {
    return record::WriteDouble(stream, Value);
}

std::string TDlglineValueDouble::GetText() const {
    return FormatDoubleText(Value);
}

void TDlglineValueDouble::SetText(const std::string& text) {
    if (const auto v = ParseDoubleText(text))
        Value = *v;
}

// Text

void TDlglineValueText::Assign(const TDlglineValue& other) {
    Value = dynamic_cast<const TDlglineValueText&>(other).Value;
}

bool TDlglineValueText::IsEqual(const TDlglineValue& other) const {
    const auto* o = dynamic_cast<const TDlglineValueText*>(&other);
    return o && o->Value == Value;
}

bool TDlglineValueText::IsSameKind(const TDlglineValue& other) const {
    return dynamic_cast<const TDlglineValueText*>(&other) != nullptr;
}

int TDlglineValueText::ReadRaw(TStream& stream) {
    return record::ReadText(stream, Value);
}

int TDlglineValueText::WriteRaw(TStream& stream) const {
    return record::WriteText(stream, Value);
}

void TDlglineValueText::SetText(const std::string& text) {
    Value = text.substr(0, std::size_t(record::MaxTextLength));
}

// Label

void TDlglineValueLabel::Assign(const TDlglineValue& other) {
    (void)dynamic_cast<const TDlglineValueLabel&>(other);
}

bool TDlglineValueLabel::IsEqual(const TDlglineValue& other) const {
    return dynamic_cast<const TDlglineValueLabel*>(&other) != nullptr;
}

bool TDlglineValueLabel::IsSameKind(const TDlglineValue& other) const {
    return IsEqual(other);
}

} // namespace kelvo
