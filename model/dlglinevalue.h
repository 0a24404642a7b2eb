#pragma once
// The typed value of a dialog line. The base holds no data; each kind adds its
// own and its byte encoding. Calls that a kind does not support raise
// kelvo::Exception naming the operation: they are programming errors.
#include "foundation/stream.h"
#include "model/dlgline_bits.h"

#include <cstdint>
#include <string>

class QWidget;

namespace kelvo {

class TDlgline;
class TMlpara;

class TDlglineValue {
public:
    TDlglineValue() = default;
    virtual ~TDlglineValue() = default;
    TDlglineValue(const TDlglineValue&) = delete;
    TDlglineValue& operator=(const TDlglineValue&) = delete;

    // Only ever called with a value of the same class; another class raises
    // std::bad_cast.
    virtual void Assign(const TDlglineValue& other) = 0;
    virtual void SetLong(std::int32_t value);
    virtual std::int32_t GetLong() const;
    virtual void SetString(const std::string& text);
    virtual std::string GetString() const;
    virtual bool IsEqual(const TDlglineValue& other) const = 0;
    virtual bool IsSameKind(const TDlglineValue& other) const = 0;
    // The bare value bytes, as the device exchanges them one value at a time.
    virtual int ReadRaw(TStream& stream) = 0;
    virtual int WriteRaw(TStream& stream) const = 0;
    // The value as it stands inside a full line record.
    virtual int Read(TStream& stream) { return ReadRaw(stream); }
    virtual int Write(TStream& stream) const { return WriteRaw(stream); }
    virtual std::string GetText() const = 0;
    virtual void SetText(const std::string& text);
    virtual std::string GetDisplayText(const TMlpara* table) const;
    // Negative when the table lacks a translation the value needs.
    virtual int LookUpTranslations(const TMlpara* table);
    // Lets the user change the value in a dialog; true when confirmed.
    virtual bool Edit(QWidget* owner, TDlgline* row);

    // The kind number this class stands for in a line's Flags.
    virtual int Kind() const = 0;
};

// A fresh value of the kind, or null when the kind has no value class.
TDlglineValue* NewDlglineValue(int kind);

class TDlglineValueLong : public TDlglineValue {
public:
    std::int32_t Value = 0;

    void Assign(const TDlglineValue& other) override;
    void SetLong(std::int32_t value) override { Value = value; }
    std::int32_t GetLong() const override { return Value; }
    bool IsEqual(const TDlglineValue& other) const override;
    bool IsSameKind(const TDlglineValue& other) const override;
    int ReadRaw(TStream& stream) override;
    int WriteRaw(TStream& stream) const override;
    std::string GetText() const override;
    // Decimal, "0x" hexadecimal or leading-0 octal; no number leaves the value.
    void SetText(const std::string& text) override;
    int Kind() const override { return KindLong; }
};

class TDlglineValueDouble : public TDlglineValue {
public:
    double Value = 0.0;

    void Assign(const TDlglineValue& other) override;
    bool IsEqual(const TDlglineValue& other) const override;
    bool IsSameKind(const TDlglineValue& other) const override;
    int ReadRaw(TStream& stream) override;
    int WriteRaw(TStream& stream) const override;
    // Up to 15 significant digits; always with a point as decimal separator,
    // so that the text reads back through SetText.
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    int Kind() const override { return KindDouble; }
};

class TDlglineValueText : public TDlglineValue {
public:
    std::string Value;

    void Assign(const TDlglineValue& other) override;
    bool IsEqual(const TDlglineValue& other) const override;
    bool IsSameKind(const TDlglineValue& other) const override;
    int ReadRaw(TStream& stream) override;
    int WriteRaw(TStream& stream) const override;
    std::string GetText() const override { return Value; }
    // Kept to the longest text a record can carry, so that it always reads back.
    void SetText(const std::string& text) override;
    int Kind() const override { return KindText; }
};

// A caption-only line.
class TDlglineValueLabel : public TDlglineValue {
public:
    void Assign(const TDlglineValue& other) override;
    bool IsEqual(const TDlglineValue& other) const override;
    bool IsSameKind(const TDlglineValue& other) const override;
    int ReadRaw(TStream&) override { return 0; }
    int WriteRaw(TStream&) const override { return 0; }
    std::string GetText() const override { return {}; }
    int Kind() const override { return KindLabel; }
};

} // namespace kelvo
