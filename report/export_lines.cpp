#include "report/export_lines.h"

#include "foundation/codepage.h"
#include "report/text_formats.h"

#include <cstdio>

namespace kelvo {

namespace {

std::string Hex4(std::uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(word));
    return text;
}

} // namespace

const char* KindName(int kind, bool hasValue) {
    if (!hasValue)
        return "none";
    switch (kind) {
    case KindLong:
        return "long";
    case KindDouble:
        return "double";
    case KindChoice:
        return "choice";
    case KindText:
        return "text";
    case KindLabel:
        return "label";
    default:
        return "none";
    }
}

std::vector<TExportRow> ExportRows(const TFileTypeKelvo& document) {
    std::vector<TExportRow> rows;
    for (const TFileTypeKelvo::TEntry& line : document.Entries) {
        if (line.IsBlank() || line.HiddenByCount || !line.IsVisible())
            continue;
        TExportRow row;
        row.Address = line.Address;
        row.Member = line.GroupLevel() == layout::LevelMember;
        row.Instance = row.Member ? line.IndexI : 0;
        row.Caption = OemToUtf8(line.GetText(0));
        row.CaptionUntranslated = OemToUtf8(line.ExpandCaption(line.CaptionText()));
        row.Value = line.Value ? OemToUtf8(line.GetText(1)) : std::string();
        row.Kind = KindName(line.Kind(), static_cast<bool>(line.Value));
        row.Flags = line.Flags;
        row.Layout = line.Layout;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string ExportCsv(const std::vector<TExportRow>& rows) {
    std::string out = "address,instance,caption,caption_untranslated,value,kind,flags,layout\r\n";
    for (const TExportRow& r : rows)
        out += Hex4(r.Address) + "," + std::to_string(r.Instance) + "," + CsvField(r.Caption) +
               "," + CsvField(r.CaptionUntranslated) + "," + CsvField(r.Value) + "," + r.Kind +
               "," + Hex4(r.Flags) + "," + Hex4(r.Layout) + "\r\n";
    return out;
}

std::string ExportJson(const std::vector<TExportRow>& rows) {
    std::string out = "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TExportRow& r = rows[i];
        out += i ? ",\n " : "\n ";
        out += "{\"address\":" + JsonString(Hex4(r.Address)) +
               ",\"instance\":" + std::to_string(r.Instance) +
               ",\"member\":" + (r.Member ? "true" : "false") +
               ",\"caption\":" + JsonString(r.Caption) +
               ",\"caption_untranslated\":" + JsonString(r.CaptionUntranslated) +
               ",\"value\":" + JsonString(r.Value) + ",\"kind\":" + JsonString(r.Kind) +
               ",\"flags\":" + JsonString(Hex4(r.Flags)) +
               ",\"layout\":" + JsonString(Hex4(r.Layout)) + "}";
    }
    return out + (rows.empty() ? "]\n" : "\n]\n");
}

} // namespace kelvo
