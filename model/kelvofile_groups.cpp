// Turning a dialog as read into the form the list shows: a device describes
// each repeated group by one instance behind a count line; the document holds
// as many instances as the count asks for (more when the count was lowered:
// those are only hidden, so that raising the count again brings their values
// back), and a blank separator line in front of every line that asks for one.
#include "model/kelvofile.h"

#include "model/dlglinevalue.h"

#include <exception>
#include <iterator>

namespace kelvo {

namespace {

using TEntry = TFileTypeKelvo::TEntry;

bool IsSeparatorLine(const TEntry& entry) {
    return (entry.Flags & flags::Separator) && !entry.Value;
}

// Instances follow one another with rising addresses inside each, so a new
// one starts where the address falls back or repeats. The one repeat inside
// an instance is a line behind its own separator line. (Taking a repeated
// address as the same instance would merge the instances of a one-line group
// into one, and the next load would multiply them.)
bool StartsInstance(const TEntry* previous, const TEntry& entry) {
    if (!previous)
        return true;
    if (entry.Address < previous->Address)
        return true;
    if (entry.Address > previous->Address)
        return false;
    return !(IsSeparatorLine(*previous) && !IsSeparatorLine(entry));
}

} // namespace

void TFileTypeKelvo::PostProcess(int& status) {
    try {
        if (status >= 0)
            status = ExpandAllGroups();
        if (status >= 0 && TidiedCount() > Bounds.Entries)
            status = DialogTooLarge;
        if (status >= 0)
            TidyEntries();
        if (status < 0)
            Entries.Clear();
        RebuildDisplay();
    } catch (const std::exception&) {
        // Out of memory, most likely: the dialog cannot be held, which for the
        // user is the same as a file that cannot be read.
        status = ReadException;
        Entries.Clear();
        RebuildDisplay();
    }
    if (status >= 0)
        StartRefreshCycle();
}

int TFileTypeKelvo::ExpandAllGroups() {
    Entries.DialogVersion = DialogVersionProcessed;
    for (auto it = Entries.begin(); it != Entries.end(); ++it) {
        const int level = it->GroupLevel();
        if (level == layout::LevelOrdinary)
            continue;
        if (level != layout::LevelCount)
            return MemberWithoutCount;
        TEntryIterator last;
        if (const int result = ExpandGroup(it, last); result < 0)
            return result;
        it = last;
    }
    return 0;
}

int TFileTypeKelvo::ExpandGroup(TEntryIterator countLine, TEntryIterator& last) {
    last = countLine;
    // A count line without a value hands the count to the line after it.
    if (!countLine->Value) {
        if (++countLine == Entries.end())
            return CountNotLong;
        last = countLine;
    }
    const auto* number = dynamic_cast<const TDlglineValueLong*>(countLine->Value.Get());
    if (!number)
        return CountNotLong;
    const std::int32_t count = number->Value;
    if (count < 0)
        return CountNegative;
    if (count > MaxGroupCount)
        return CountTooHigh;

    // Everything is checked before anything changes, so that a failed
    // re-expansion leaves the list as it was.
    const TEntryIterator regionBegin = std::next(countLine);
    TEntryIterator regionEnd = regionBegin;
    int instances = 0;
    int instanceSize = 0;
    int current = 0;
    int firstInstanceLines = 0;
    const TEntry* previous = nullptr;
    for (; regionEnd != Entries.end(); ++regionEnd) {
        const int level = regionEnd->GroupLevel();
        if (level == layout::LevelOrdinary || level == layout::LevelCount)
            break;
        if (level != layout::LevelMember)
            return BadLevelInGroup;
        if (StartsInstance(previous, *regionEnd)) {
            if (instances == 1)
                instanceSize = current;
            else if (instances > 1 && current != instanceSize)
                return InstancesDiffer;
            ++instances;
            current = 0;
        }
        ++current;
        if (instances > 1 && current > instanceSize)
            return InstanceTooLong;
        // Separator lines (blank) do not count towards the bound, so that a
        // group can be expanded again after the list was tidied.
        if (instances == 1 && !regionEnd->IsBlank() && ++firstInstanceLines > Bounds.InstanceLines)
            return DialogTooLarge;
        previous = &*regionEnd;
    }
    if (instances == 1)
        instanceSize = current;
    else if (instances > 1 && current != instanceSize)
        return InstancesDiffer;
    if (count > instances &&
        Entries.Count() + std::int64_t(count - instances) * instanceSize > Bounds.Entries)
        return DialogTooLarge;

    int instance = -1;
    previous = nullptr;
    for (auto it = regionBegin; it != regionEnd; ++it) {
        if (StartsInstance(previous, *it))
            ++instance;
        it->IndexI = instance;
        // A line coming back into view has not been read for a while.
        if (it->HiddenByCount)
            it->RefreshStamp = RefreshCycle - 1;
        Entries.SetHiddenByCount(*it, instance >= count);
        previous = &*it;
    }

    for (int n = instances; instances > 0 && n < count; ++n) {
        auto source = regionBegin;
        for (int i = 0; i < instanceSize; ++i, ++source) {
            TEntry copy(*source);
            copy.ClearRowState();
            copy.IndexI = n;
            copy.RefreshStamp = RefreshCycle - 1;
            Entries.insert(regionEnd, copy);
        }
    }
    last = std::prev(regionEnd);
    return 0;
}

TFileTypeKelvo::TEntryIterator TFileTypeKelvo::CountLineOf(const TEntry& entry) {
    auto it = Entries.begin();
    while (it != Entries.end() && &*it != &entry)
        ++it;
    if (it == Entries.end())
        return it;
    if (it->GroupLevel() == layout::LevelCount)
        return it;
    // The value line behind a count line without value holds the count.
    if (it == Entries.begin())
        return Entries.end();
    const auto before = std::prev(it);
    if (before->GroupLevel() != layout::LevelCount || before->Value)
        return Entries.end();
    return before;
}

bool TFileTypeKelvo::HoldsGroupCount(const TEntry& entry) {
    return entry.Value && CountLineOf(entry) != Entries.end();
}

void TFileTypeKelvo::ExpandGroupOf(TEntry& entry) {
    const auto countLine = CountLineOf(entry);
    if (countLine == Entries.end())
        return;
    const int shownBefore = Entries.Count() - Entries.HiddenCount;
    TEntryIterator last;
    ExpandGroup(countLine, last);
    if (Entries.Count() - Entries.HiddenCount != shownBefore)
        RebuildDisplay();
}

std::int64_t TFileTypeKelvo::TidiedCount() const {
    std::int64_t count = 0;
    for (const TEntry& entry : Entries)
        if (!entry.IsBlank())
            count += (entry.Flags & flags::Separator) ? 2 : 1;
    return count;
}

void TFileTypeKelvo::TidyEntries() {
    for (auto it = Entries.begin(); it != Entries.end();) {
        if (it->IsBlank()) {
            it = Entries.erase(it);
            continue;
        }
        if (it->Flags & flags::Separator) {
            TEntry separator(*it);
            separator.ClearRowState();
            separator.Blank();
            Entries.insert(it, separator);
        }
        ++it;
    }
}

} // namespace kelvo
