#pragma once
// KEYs name the lines of a device's dialog on kelvoctl's command line: the
// line's address, decimal or 0x hexadecimal, and ":I" for instance I (from 0)
// of a repeated group. Every KEY of a command is checked against the dialog
// before the device is written to or read from.
#include "model/kelvofile.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvo::ctl {

struct TKey {
    int Address = -1;
    int Instance = 0;
    bool HasInstance = false;
    std::string Text; // as typed
};

std::optional<TKey> ParseKey(const std::string& text);

// The line a KEY names; a KEY without ":I" names instance 0 of a group member.
TFileTypeKelvo::TEntry* FindLine(TFileTypeKelvo& document, const TKey& key);
// Why the line cannot be read through key (no such line, an instance given for
// a line outside a repeated group, or one beyond its group's count); empty
// when it can.
std::string CheckReadable(TFileTypeKelvo& document, const TKey& key);
// Whether line holds the count of a repeated group.
bool IsCountLine(TFileTypeKelvo& document, const TFileTypeKelvo::TEntry& line);

struct TAssignment {
    TKey Key;
    std::string Text; // UTF-8, as typed
};

// Checks every assignment against a copy of the dialog in which the counts
// assigned before it have taken effect, so that "0x60=3 0x62:2=55" finds the
// third instance. One "line KEY: reason" per assignment that cannot be
// written; empty when all can.
std::vector<std::string> CheckAssignments(const TFileTypeKelvo& document,
                                          const std::vector<TAssignment>& assignments);
// The value a group's count line may hold.
std::string CheckCountValue(const TFileTypeKelvo::TEntry& line);

} // namespace kelvo::ctl
