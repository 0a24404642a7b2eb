#pragma once
// The program-wide store of translation paragraphs, read from every "*.l*"
// file of the program's data directory, kept in load order.
#include "foundation/dynalist.h"
#include "translations/mlpara.h"

#include <string>
#include <vector>

namespace kelvo {

// The line buffer of a translation file: a line of up to 120 characters plus
// CR LF fits, with one byte to spare for the buffer's end guard.
inline constexpr int LineBufferCapacity = 123;

using TMlparaDlist = Dynalist<TMlpara>;

class TMlparas {
public:
    TMlparas() = default;
    TMlparas(const TMlparas&) = delete;
    TMlparas& operator=(const TMlparas&) = delete;

    // Reads every translation file of directory (DataDirectory() when empty) in file-name order and
    // appends their paragraphs. Returns the number of paragraphs added. Files that cannot be read
    // are skipped.
    int Load(const std::string& directory = {});
    // Appends the paragraphs of one file up to its first error, its end or an
    // empty paragraph; the paragraph in progress then is dropped. Returns the
    // number of paragraphs added, or -1 when the file cannot be opened. When
    // given, endResult receives the read result that ended the file: -1 when
    // it was read to its end, 0 for an empty paragraph, or an error code.
    int LoadFile(const std::string& path, int* endResult = nullptr);
    // Whether Load ran at least once.
    bool Loaded() const { return FLoaded; }

    int Count() const { return FList.Count(); }
    // The paragraph at a load-order position, or null outside 0 .. Count()-1.
    const TMlpara* At(int position) const;
    TMlparaDlist::iterator begin() const { return FList.begin(); }
    TMlparaDlist::iterator end() const { return FList.end(); }
    void Clear() { FList.Clear(); }

private:
    TMlparaDlist FList;
    bool FLoaded = false;
};

// The store every document of this run shares.
TMlparas& Mlparas();

// The directory the program file lies in (read from /proc/self/exe).
std::string ProgramDirectory();
// Where the program's data lies (translation files, demonstration dialogs,
// help pages): the program's directory when it holds the help pages (a
// build), else ../share/kelvo beside it when that exists (an installed copy),
// else the program's directory.
std::string DataDirectory();
std::string DataDirectoryOf(const std::string& programDirectory);

// The files of directory that a translation load reads, in the order it reads
// them: regular files matching "*.l*", sorted by name.
std::vector<std::string> TranslationFiles(const std::string& directory);

} // namespace kelvo
