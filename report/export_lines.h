#pragma once
// The lines of a document as a report: every shown line with a caption, each
// instance of a repeated group on its own, as CSV (RFC 4180, UTF-8, CRLF) or
// one JSON array. For reports and spreadsheets; nothing reads them back.
#include "model/kelvofile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvo {

struct TExportRow {
    std::uint16_t Address = 0;
    // The instance of a repeated group, from 0; 0 for other lines.
    std::int32_t Instance = 0;
    bool Member = false;
    // UTF-8: the caption as the list shows it, in the document's translation,
    // and the device's own caption.
    std::string Caption;
    std::string CaptionUntranslated;
    // The value as the list shows it; empty for a line without value.
    std::string Value;
    // "long", "double", "choice", "text", "label" or "none".
    std::string Kind;
    std::uint16_t Flags = 0;
    std::uint16_t Layout = 0;
};

// The rows of the document's shown lines, in list order.
std::vector<TExportRow> ExportRows(const TFileTypeKelvo& document);
const char* KindName(int kind, bool hasValue);

std::string ExportCsv(const std::vector<TExportRow>& rows);
std::string ExportJson(const std::vector<TExportRow>& rows);

} // namespace kelvo
