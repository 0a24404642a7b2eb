#pragma once
// Loading a data file the way the editor window does: through the reader
// search of the file-type framework, which accepts a file only when it leaves
// a non-empty Kelvo document.
#include "foundation/utilcls.h"
#include "model/kelvofile.h"

#include <string>

namespace kelvo::ctl {

enum class TLoadResult { Loaded, NotFound, Invalid };

// The messages for the two failures, naming the file as the user gave it.
std::string NotFoundMessage(const std::string& name);
std::string InvalidMessage(const std::string& name);

TLoadResult LoadDocument(const std::string& name, TPtr<TFileTypeKelvo>& document);
// Loads name and tells standard error why it could not, in one line; true
// when loaded.
bool LoadDocumentOrReport(const std::string& name, TPtr<TFileTypeKelvo>& document);

// A data file holds line records and nothing else. When the file at name
// ends inside a record or holds bytes after its last record, the warning
// for it ("file ends inside the record at byte N: M lines read"); else empty.
std::string IncompleteFileWarning(const std::string& name);
// LoadDocumentOrReport, then the incomplete-file warning on standard error as
// "kelvoctl COMMAND: NAME: WARNING"; true when loaded.
bool LoadDocumentAndWarn(const char* command, const std::string& name,
                         TPtr<TFileTypeKelvo>& document);

} // namespace kelvo::ctl
