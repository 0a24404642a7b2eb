#pragma once
// The journal's entries for people and programs: one line each as text, CSV
// by RFC 4180 (UTF-8, CRLF, a header line) or one JSON array. The columns
// are the same in all three, in this order.
#include "journal/journal_entry.h"

#include <string>
#include <vector>

namespace kelvo {

std::string JournalText(const std::vector<TJournalEntry>& entries);
std::string JournalCsv(const std::vector<TJournalEntry>& entries);
std::string JournalJson(const std::vector<TJournalEntry>& entries);

// "2026-12-09 06:24:24 UTC" from the journal's "2026-12-09T06:24:24.123Z".
std::string ShownJournalTime(const std::string& time);

} // namespace kelvo
