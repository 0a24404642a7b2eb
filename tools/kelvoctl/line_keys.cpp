#include "tools/kelvoctl/line_keys.h"

#include "tools/kelvoctl/value_input.h"

#include <iterator>

namespace kelvo::ctl {

namespace {

using TEntry = TFileTypeKelvo::TEntry;

// Addresses and instances are plain numbers: no sign, nothing after them.
std::optional<long> KeyNumber(const std::string& text, long maximum) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 8 ||
        digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
            std::string::npos)
        return std::nullopt;
    const long value = std::stol(digits, nullptr, hex ? 16 : 10);
    if (value > maximum)
        return std::nullopt;
    return value;
}

// Any line with the key's address, preferring a value line.
TEntry* LineAtAddress(TFileTypeKelvo& document, int address) {
    TEntry* found = nullptr;
    for (TEntry& e : document.Entries)
        if (e.Address == address && (!found || (!found->Value && e.Value)))
            found = &e;
    return found;
}

} // namespace

std::optional<TKey> ParseKey(const std::string& text) {
    TKey key;
    key.Text = text;
    const auto colon = text.find(':');
    const auto address = KeyNumber(text.substr(0, colon), 0xFFFF);
    if (!address)
        return std::nullopt;
    key.Address = static_cast<int>(*address);
    if (colon != std::string::npos) {
        const std::string instance = text.substr(colon + 1);
        if (instance.rfind("0x", 0) == 0 || instance.rfind("0X", 0) == 0)
            return std::nullopt;
        const auto number = KeyNumber(instance, TFileTypeKelvo::MaxGroupCount - 1);
        if (!number)
            return std::nullopt;
        key.Instance = static_cast<int>(*number);
        key.HasInstance = true;
    }
    return key;
}

TEntry* FindLine(TFileTypeKelvo& document, const TKey& key) {
    for (TEntry& e : document.Entries)
        if (e.Value && e.Address == key.Address && e.IndexI == key.Instance)
            return &e;
    return nullptr;
}

std::string CheckReadable(TFileTypeKelvo& document, const TKey& key) {
    const TEntry* any = LineAtAddress(document, key.Address);
    if (!any || !any->Value)
        return "no such line";
    if (key.HasInstance && any->GroupLevel() != layout::LevelMember)
        return "not in a repeated group, so it takes no \":I\"";
    const TEntry* line = FindLine(document, key);
    if (!line || line->HiddenByCount)
        return "beyond the count of its group";
    return {};
}

bool IsCountLine(TFileTypeKelvo& document, const TEntry& line) {
    if (!line.Value)
        return false;
    if (line.GroupLevel() == layout::LevelCount)
        return true;
    // A count line without a value hands the count to the line after it.
    for (auto it = document.Entries.begin(); it != document.Entries.end(); ++it)
        if (&*it == &line)
            return it != document.Entries.begin() &&
                   std::prev(it)->GroupLevel() == layout::LevelCount && !std::prev(it)->Value;
    return false;
}

std::string CheckCountValue(const TEntry& line) {
    const bool number = line.Value->Kind() == KindLong;
    const std::int32_t count = number ? line.Value->GetLong() : -1;
    if (count < 0 || count > TFileTypeKelvo::MaxGroupCount)
        return "a group's count must be a whole number from 0 to " +
               std::to_string(TFileTypeKelvo::MaxGroupCount);
    return {};
}

std::vector<std::string> CheckAssignments(const TFileTypeKelvo& document,
                                          const std::vector<TAssignment>& assignments) {
    // The copy's list display is its own; the entries still show the
    // document's translation and production mode.
    TFileTypeKelvo scratch;
    scratch.Entries = document.Entries;
    std::vector<std::string> failures;
    for (const TAssignment& a : assignments) {
        const auto fail = [&](const std::string& why) {
            failures.push_back("line " + a.Key.Text + ": " + why);
        };
        if (const std::string why = CheckReadable(scratch, a.Key); !why.empty()) {
            fail(why);
            continue;
        }
        TEntry* line = FindLine(scratch, a.Key);
        if (!line->IsEditable()) {
            fail("this line can't be changed");
            continue;
        }
        TEntry edited(*line);
        if (const std::string why = AssignValueText(*edited.Value, a.Text); !why.empty()) {
            fail(why);
            continue;
        }
        const bool count = IsCountLine(scratch, *line);
        if (count) {
            if (const std::string why = CheckCountValue(edited); !why.empty()) {
                fail(why);
                continue;
            }
        }
        line->Value->Assign(*edited.Value);
        if (count)
            scratch.ExpandGroupOf(*line);
    }
    return failures;
}

} // namespace kelvo::ctl
