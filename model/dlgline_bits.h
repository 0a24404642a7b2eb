#pragma once
// Meanings of the bits in a dialog line's definition words, and the value kinds.
#include <cstdint>

namespace kelvo {

// Value kinds, held in Flags bits 8 to 11; any other number means no value.
enum TDlglineKind : int {
    KindLong = 0,
    KindDouble = 1,
    KindChoice = 2,
    KindText = 3,
    KindLabel = 15,
};

namespace flags {
inline constexpr std::uint16_t IndentLow = 0x0001;
inline constexpr std::uint16_t IndentHigh = 0x0004;
inline constexpr std::uint16_t ProductionVisible = 0x0020;
inline constexpr std::uint16_t ProductionEditable = 0x0040;
inline constexpr std::uint16_t Separator = 0x0080;
inline constexpr std::uint16_t KindMask = 0x0F00;
inline constexpr int KindShift = 8;
// Set and cleared by the device at run time.
inline constexpr std::uint16_t Hidden = 0x1000;
inline constexpr std::uint16_t ReadOnly = 0x2000;
// Device state, like Hidden; neither says anything about the line's definition.
inline constexpr std::uint16_t State = 0x4000;
inline constexpr std::uint16_t RunTimeBits = Hidden | State;
} // namespace flags

namespace layout {
inline constexpr int GroupLevelShift = 10;
inline constexpr std::uint16_t GroupLevelMask = 0x7;
inline constexpr int LevelOrdinary = 0;
inline constexpr int LevelCount = 1;
inline constexpr int LevelMember = 2;
inline constexpr std::uint16_t Unmodifying = 0x2000;
inline constexpr std::uint16_t Live = 0xC000;
} // namespace layout

inline int KindOf(std::uint16_t flagsWord) {
    return (flagsWord & flags::KindMask) >> flags::KindShift;
}

inline int GroupLevelOf(std::uint16_t layoutWord) {
    return (layoutWord >> layout::GroupLevelShift) & layout::GroupLevelMask;
}

} // namespace kelvo
