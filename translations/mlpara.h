#pragma once
// One paragraph of a translation file: a language name and its entries, each
// mapping a category character plus source text to a translation, sorted by
// category plus source for binary search.
#include "foundation/dynalist.h"
#include "foundation/utilcls.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

class TLineBuffer;

// Start of one entry in a paragraph's buffer: the category byte, the source
// text, a zero byte, the translation, a zero byte.
using TpMltranslVector = std::vector<const char*>;

class TMlpara {
public:
    TMlpara() = default;
    TMlpara(const TMlpara&) = delete;
    TMlpara& operator=(const TMlpara&) = delete;

    // Reads the next paragraph of a translation file from lines. Returns the
    // number of entries, or a negative code (TMlreadResult); filePath is only
    // remembered for the report of where the translation came from.
    int Read(TLineBuffer& lines, const std::string& filePath);

    const std::string& Name() const { return FName; }
    int Count() const { return static_cast<int>(FEntries.size()); }
    // Category plus source of entry i (0 .. Count()-1), zero-terminated.
    const char* Source(int i) const { return FEntries[static_cast<std::size_t>(i)]; }
    const char* Translation(int i) const;

    // Position of the entry whose category plus source equals untranslated
    // byte for byte; 2147483647 when that entry's translation is empty; -1
    // when there is none.
    int Find(std::string_view untranslated) const;

    const std::string& FilePath() const { return FFilePath; }
    // The file name without its directory.
    std::string FileName() const;
    // Line numbers of the header and of the last translation line read.
    int FirstLine() const { return FFirstLine; }
    int LastLine() const { return FLastLine; }

private:
    friend class TMlparas;
    DynalistOwnerENode<TMlpara> Node{this};

    std::string FName;
    std::string FFilePath;
    TAPtr<char> FBuffer;
    TpMltranslVector FEntries;
    int FFirstLine = 0;
    int FLastLine = 0;
};

} // namespace kelvo
