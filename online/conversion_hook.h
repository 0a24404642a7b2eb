#pragma once
// The go-online dialogue asks here whether old data from another device
// program can be converted, and has them converted. The built-in conversion
// table answers unless other functions are installed (tests do).
namespace kelvo {

class TFileTypeKelvo;

struct TOldDataConversion {
    // A table row (>= 0) for the document's old and new data, or negative.
    int (*Find)(TFileTypeKelvo& document) = nullptr;
    // Fills the document's ConvertedEntries; 1 on success, negative on failure.
    int (*Convert)(TFileTypeKelvo& document, int row) = nullptr;
};

// Installs c and returns what it replaces.
TOldDataConversion SetOldDataConversion(TOldDataConversion c);

// -3 (no row fits) when the installed functions are null.
int FindOldDataConversion(TFileTypeKelvo& document);
// -1 (no such row) when the installed functions are null.
int ConvertOldData(TFileTypeKelvo& document, int row);

} // namespace kelvo
