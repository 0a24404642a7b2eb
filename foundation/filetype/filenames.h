#pragma once
// Pieces of file names as the document types and the safe writer see them.
// Only the last path component carries an extension; "/" separates directories.
#include <string>

namespace kelvo {

// The extension of the name's last component, dot included; "" when it has none.
std::string ExtractFileExt(const std::string& name);
// Everything up to and including the last "/"; "" for a bare name.
std::string ExtractFileDir(const std::string& name);
// The last component of the name.
std::string ExtractFileBaseName(const std::string& name);

// Whether the name's extension is one of the list's (".dat.kelvo"), case
// ignored. A name without extension compares as "." and an entry with "*"
// after its first character matches every extension that begins like it.
bool MatchExtension(const std::string& extensions, const std::string& name);

// The name the old file keeps while a new one takes its place: the extension's
// dot becomes ".~" and at most 10 characters of the extension follow
// (data.dat -> data.~dat; a name without extension gets ".~" appended).
std::string BackupFileName(const std::string& name);

} // namespace kelvo
