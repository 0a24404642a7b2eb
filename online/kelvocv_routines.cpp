#include "online/kelvocv_routines.h"

#include "online/kelvocv.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <utility>

namespace kelvo {

using TEntry = TFileTypeKelvo::TEntry;
using TEntries = TFileTypeKelvo::TEntries;

namespace {

bool Excluded(std::uint16_t address, const std::uint16_t* exclusions) {
    for (const std::uint16_t* p = exclusions + 1; *p != ExclusionEnd; ++p)
        if (*p == address)
            return true;
    return false;
}

// The next line at or after it that takes part in a range copy; end when the
// walk of this list is over.
TEntries::iterator NextCandidate(TEntries& list, TEntries::iterator it,
                                 const std::uint16_t* exclusions) {
    for (; it != list.end(); ++it) {
        if (it->Address >= exclusions[0])
            return list.end();
        if (!it->IsBlank() && !it->HiddenByCount && it->IsEditable() &&
            !Excluded(it->Address, exclusions))
            return it;
    }
    return it;
}

// The document re-expands groups only in its own list, so the converted list
// is lent to it while the group of a copied count is expanded. Nodes stay
// where they are, so the walk's positions remain valid.
void ExpandConvertedGroupOf(TFileTypeKelvo& document, TEntry& countLine) {
    const int shownBefore =
        document.ConvertedEntries.Count() - document.ConvertedEntries.HiddenCount;
    struct TLend {
        TFileTypeKelvo& Doc;
        explicit TLend(TFileTypeKelvo& d) : Doc(d) { std::swap(Doc.Entries, Doc.ConvertedEntries); }
        ~TLend() { std::swap(Doc.Entries, Doc.ConvertedEntries); }
    };
    {
        TLend lend(document);
        document.ExpandGroupOf(countLine);
    }
    // The display may have looked at the lent list: it must follow the
    // document's own entries again.
    if (document.ConvertedEntries.Count() - document.ConvertedEntries.HiddenCount != shownBefore)
        document.RebuildDisplay();
}

TLineKey Key(std::uint16_t address, std::int32_t indexI = 0) {
    return {address, indexI, 0, 0};
}

void SplitOutputFunction(TFileTypeKelvo& document, std::uint16_t function, std::uint16_t enable,
                         std::uint16_t mode, std::uint16_t bit) {
    const auto f = static_cast<std::uint16_t>(OldValueLong(document, Key(function)));
    NewValueLong(document, Key(enable), f < 4 ? 1 : 0);
    NewValueLong(document, Key(mode), (f & 2) ? 13 : 12);
    NewValueLong(document, Key(bit), f & 1);
}

void JoinOutputFunction(TFileTypeKelvo& document, std::uint16_t enable, std::uint16_t bit,
                        std::uint16_t mode, std::uint16_t function) {
    std::int32_t a = 4;
    if (OldValueLong(document, Key(enable)) > 0) {
        a = OldValueLong(document, Key(bit));
        switch (OldValueLong(document, Key(mode))) {
        case 12:
            break;
        case 13:
            a += 2;
            break;
        default:
            a = 4;
            break;
        }
    }
    NewValueLong(document, Key(function), a);
}

constexpr std::uint16_t RelayContact = 0x3063;
// The alarm relay of the older program is relay 7 of the newer one.
constexpr std::int32_t AlarmRelayInstance = 6;

const std::uint16_t C1[] = {0x4002, 0x0000, 0x0013, 0x0020, 0x10FF, ExclusionEnd};
const std::uint16_t C2[] = {0x4002, 0x0020, 0x2101, 0x2102, 0x2103,
                            0x2104, 0x2105, 0x2106, 0x3102, ExclusionEnd};
const std::uint16_t DE[] = {0xC002, 0x0000, 0x4003, ExclusionEnd};

// Per-channel calibration at hh01..hh03 and hh10..hh13 for the channel blocks
// 0x61 to 0x80 stays with each device.
constexpr std::array<std::uint16_t, 2 + 32 * 7> MakeC3() {
    std::array<std::uint16_t, 2 + 32 * 7> a{};
    a[0] = 0xC002;
    std::size_t n = 1;
    for (unsigned hh = 0x61; hh <= 0x80; ++hh)
        for (unsigned ll : {0x01u, 0x02u, 0x03u, 0x10u, 0x11u, 0x12u, 0x13u})
            a[n++] = static_cast<std::uint16_t>(hh << 8 | ll);
    a[n] = ExclusionEnd;
    return a;
}
constexpr auto C3 = MakeC3();

} // namespace

int RangeCopy(TFileTypeKelvo& document, const std::uint16_t* exclusions) {
    TEntries& oldList = document.OldEntries;
    TEntries& newList = document.ConvertedEntries;
    auto oldIt = NextCandidate(oldList, oldList.begin(), exclusions);
    auto newIt = NextCandidate(newList, newList.begin(), exclusions);
    for (;;) {
        const bool oldEnd = oldIt == oldList.end();
        const bool newEnd = newIt == newList.end();
        if (oldEnd && newEnd)
            return 1;
        if (oldEnd != newEnd)
            return conversion::CandidateCountDiffers;
        if (oldIt->Address != newIt->Address)
            return conversion::AddressDiffers;
        if (oldIt->Value->Kind() != newIt->Value->Kind())
            return conversion::KindDiffers;
        newIt->Value->Assign(*oldIt->Value);
        if (newIt->GroupLevel() == layout::LevelCount ||
            (newIt != newList.begin() && std::prev(newIt)->GroupLevel() == layout::LevelCount &&
             !std::prev(newIt)->Value))
            ExpandConvertedGroupOf(document, *newIt);
        oldIt = NextCandidate(oldList, std::next(oldIt), exclusions);
        newIt = NextCandidate(newList, std::next(newIt), exclusions);
    }
}

int RoutineA(TFileTypeKelvo& document) {
    SplitOutputFunction(document, 0x3004, 0x3028, 0x3029, 0x302A);
    SplitOutputFunction(document, 0x3044, 0x3188, 0x3189, 0x318A);
    NewValueLong(document, Key(RelayContact, AlarmRelayInstance),
                 OldValueLong(document, Key(0x2022)) ^ 1);
    NewValueLong(document, Key(0x3064), OldValueLong(document, Key(0x3040)) != 0 ? 2 : 0);
    return 1;
}

int RoutineB(TFileTypeKelvo& document) {
    NewValueLong(document, Key(0x3061), 8);
    JoinOutputFunction(document, 0x3028, 0x302A, 0x3029, 0x3004);
    JoinOutputFunction(document, 0x3188, 0x318A, 0x3189, 0x3044);
    NewValueLong(document, Key(0x2022),
                 OldValueLong(document, Key(RelayContact, AlarmRelayInstance)) ^ 1);
    NewValueLong(document, Key(0x3040), OldValueLong(document, Key(0x3064)) != 0 ? 1 : 0);
    return 1;
}

int RoutineC1(TFileTypeKelvo& document) {
    return RangeCopy(document, C1);
}

int RoutineC2(TFileTypeKelvo& document) {
    return RangeCopy(document, C2);
}

int RoutineC3(TFileTypeKelvo& document) {
    return RangeCopy(document, C3.data());
}

int RoutineD(TFileTypeKelvo& document) {
    const int result = RangeCopy(document, DE);
    if (result < 1)
        return result;
    const std::int64_t product =
        std::int64_t(OldValueLong(document, Key(0x4002))) * OldValueLong(document, Key(0x4003));
    // A factor the line cannot hold would reach the device as a wrong one.
    if (product < std::numeric_limits<std::int32_t>::min() ||
        product > std::numeric_limits<std::int32_t>::max())
        return 0;
    NewValueLong(document, Key(0x4003), static_cast<std::int32_t>(product));
    return result;
}

int RoutineE(TFileTypeKelvo& document) {
    const int result = RangeCopy(document, DE);
    if (result < 1)
        return result;
    const std::int64_t d = std::max<std::int64_t>(OldValueLong(document, Key(0x4002)), 1);
    const std::int64_t factor = OldValueLong(document, Key(0x4003));
    NewValueLong(document, Key(0x4003), static_cast<std::int32_t>((factor + d / 2) / d));
    return result;
}

const std::uint16_t* ExclusionsC1() {
    return C1;
}

const std::uint16_t* ExclusionsC2() {
    return C2;
}

const std::uint16_t* ExclusionsC3() {
    return C3.data();
}

const std::uint16_t* ExclusionsDE() {
    return DE;
}

} // namespace kelvo
