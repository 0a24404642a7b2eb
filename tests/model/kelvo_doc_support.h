#pragma once
// Building Kelvo documents for tests: entries made in memory, data files as
// raw records, loading them through the file-type framework, and a list
// control that only remembers what the list told it.
#include "foundation/filetype/fileaccess.h"
#include "model/kelvofile.h"
#include "record_bytes.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvo::test {

using TEntry = TFileTypeKelvo::TEntry;

inline constexpr std::uint16_t CountLevel = 0x0400;
inline constexpr std::uint16_t MemberLevel = 0x0800;
inline constexpr std::uint16_t LabelKind = 0x0F00;
inline constexpr std::uint16_t ChoiceKind = 0x0200;
inline constexpr std::uint16_t NoKind = 0x0400; // a kind without value class

// An entry of doc; with a value unless flags name a kind without value class.
inline TEntry Line(TFileTypeKelvo& doc, std::uint16_t address, std::uint16_t flags,
                   std::uint16_t layout, const std::string& caption, std::int32_t value = 0) {
    TEntry e(&doc);
    e.Address = address;
    e.Flags = flags;
    e.Layout = layout;
    e.SetCaptionText(caption);
    if (e.CreateValue(e.Kind()) == 0 && e.Kind() == KindLong)
        e.Value->SetLong(value);
    return e;
}

inline int Process(TFileTypeKelvo& doc, const std::vector<TEntry>& lines) {
    doc.Entries.Clear();
    for (const TEntry& e : lines)
        doc.Entries.push_back(e);
    int status = 0;
    doc.PostProcess(status);
    return status;
}

inline std::vector<int> IndicesI(const TFileTypeKelvo& doc) {
    std::vector<int> out;
    for (const TEntry& e : doc.Entries)
        out.push_back(e.IndexI);
    return out;
}

// Captions in list order; a separator line shows as "-".
inline std::vector<std::string> Captions(const TFileTypeKelvo& doc) {
    std::vector<std::string> out;
    for (const TEntry& e : doc.Entries)
        out.push_back(e.IsBlank() ? "-" : e.CaptionText());
    return out;
}

inline std::vector<bool> HiddenFlags(const TFileTypeKelvo& doc) {
    std::vector<bool> out;
    for (const TEntry& e : doc.Entries)
        out.push_back(e.HiddenByCount != 0);
    return out;
}

// One line record with a Long value (or none when value is empty).
inline void AppendLongRecord(TBytes& b, std::uint16_t address, std::uint16_t flags,
                             std::uint16_t layout, const std::string& caption,
                             std::optional<std::int32_t> value) {
    AppendWords(b, address, flags, layout);
    AppendText(b, caption);
    if (value) {
        const auto v = static_cast<std::uint32_t>(*value);
        Append(b, {int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
    }
}

// Reads bytes into doc as the editor reads a file.
inline void LoadBytes(TFileTypeKelvo& doc, const TBytes& bytes, const std::string& name = "x.dat") {
    TMemoryStream s;
    Load(s, bytes);
    TFileAccess access("Open File");
    access.Reader.Init(&s, name);
    doc.Read(access);
}

inline TBytes SaveBytes(TFileTypeKelvo& doc) {
    TMemoryStream s;
    TFileAccess access("Save File");
    access.Writer.Init(&s, "x.dat");
    doc.Write(access);
    return Contents(s);
}

class TFakeControl : public TVlistControl {
public:
    int ItemCount() const override { return Count; }
    void SetItemCount(int count) override {
        Count = count;
        Selection.clear();
        Focus = -1;
    }
    std::vector<int> SelectedRows() const override { return Selection; }
    int FocusRow() const override { return Focus; }
    void SetSelection(const std::vector<int>& rows, int focusRow) override {
        Selection = rows;
        if (focusRow >= 0)
            Focus = focusRow;
    }
    void RowsChanged() override { ++Repaints; }
    void EnsureVisible(int) override {}
    void NotifyChange(int) override {}

    int Count = 0;
    std::vector<int> Selection;
    int Focus = -1;
    int Repaints = 0;
};

// A list display with a control, as the editor attaches one.
class TControlledList : public TSortVListView {
public:
    explicit TControlledList(TVlistControl& control) { SetControl(&control); }
};

inline TFakeControl& AttachFakeControl(TFileTypeKelvo& doc, TFakeControl& control) {
    doc.AttachListView(TPtr<TSortVListView>(new TControlledList(control)));
    return control;
}

} // namespace kelvo::test
