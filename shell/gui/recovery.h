#pragma once
// Recovery copies of the documents. When the program ends without the user
// closing it (a signal, the display gone), every modified document is written
// into $XDG_STATE_HOME/kelvo/recovery/ (~/.local/state/kelvo/recovery when
// XDG_STATE_HOME is unset), in the format the document saves with, each
// through a temporary file that is renamed once complete. At the next start
// the program offers them; each opens as a new untitled document, and the
// copies go once the question is answered.
#include <string>
#include <vector>

namespace kelvo {

class TFileType;

std::string RecoveryDirectory();
// Writes a copy of every document window's modified document, replacing the
// copies this run wrote before. Answers the number of copies written.
int WriteRecoveryCopies();
// Writes one document's copy to path; false when it could not be written
// completely (nothing is left behind then). The document stays as it was.
bool WriteRecoveryCopy(TFileType& document, const std::string& path);
// The copies waiting in the folder, in name order.
std::vector<std::string> RecoveredFiles();
// "Recovered N document(s) after an unexpected end. Open them?"
std::string RecoveryQuestion(int count);
inline constexpr const char* RecoveryCaption = "Recover Documents";
// Asks about the copies waiting (nothing when there are none). Yes opens each
// in a new document window as an untitled, modified document. The copies are
// removed once the question is answered. Answers the number of documents
// opened.
int OfferRecoveredDocuments();

} // namespace kelvo
