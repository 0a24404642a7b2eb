#pragma once
// The conversion routines of the table and the range copy they build on.
// Routines read the old data and write the converted data of a document.
#include "model/kelvofile.h"

#include <cstdint>

namespace kelvo {

// An exclusion array: an address limit, then the addresses to leave out, then
// 0xFFFF.
inline constexpr std::uint16_t ExclusionEnd = 0xFFFF;

// Copies the values of the editable lines below the limit from the old data
// into the converted data, line by line in step, leaving out the excluded
// addresses. 1, or -203 when one side runs out of lines before the other,
// -204 when two lines in step have different addresses, -205 different kinds.
int RangeCopy(TFileTypeKelvo& document, const std::uint16_t* exclusions);

// Splits the output functions, relay contact and backlight of the older
// program into the newer program's lines.
int RoutineA(TFileTypeKelvo& document);
// Joins them again.
int RoutineB(TFileTypeKelvo& document);
// Range copies that leave out what differs between the two programs.
int RoutineC1(TFileTypeKelvo& document);
int RoutineC2(TFileTypeKelvo& document);
int RoutineC3(TFileTypeKelvo& document);
// The pulse factor at 0x4003 multiplied by the divider at 0x4002.
int RoutineD(TFileTypeKelvo& document);
// And divided again, rounded.
int RoutineE(TFileTypeKelvo& document);

// The exclusion arrays of C1, C2, C3 and of D and E.
const std::uint16_t* ExclusionsC1();
const std::uint16_t* ExclusionsC2();
const std::uint16_t* ExclusionsC3();
const std::uint16_t* ExclusionsDE();

} // namespace kelvo
