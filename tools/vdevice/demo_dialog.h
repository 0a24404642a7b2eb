#pragma once
// The dialog a virtual device serves, and the built-in demonstration device: a
// two-channel measuring transmitter.
#include "tools/vdevice/sim_line_record.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvo {

// The device hides the lines FirstAddress..LastAddress while the Choice line at
// SwitchAddress stands at index 0 (Off).
struct THidingRule {
    std::uint16_t SwitchAddress = 0;
    std::uint16_t FirstAddress = 0;
    std::uint16_t LastAddress = 0;
};

// A value of a group member line for an instance other than the first.
struct TInstanceValue {
    std::uint16_t Address = 0;
    int Instance = 0;
    TBytes Raw;
};

struct TSimDialog {
    // Ascending Address order, each address once; a repeated group is described by
    // its count line followed by one instance of its member lines.
    std::vector<TSimLine> Lines;
    std::vector<THidingRule> HidingRules;
    // Instances not listed start with the value of the member line itself.
    std::vector<TInstanceValue> InstanceValues;
};

// Builds a dialog from line records as a data file holds them. A file saved from a
// document holds every instance of a repeated group: the first one describes the
// group and the others give their values. Returns false with a reason when the
// lines cannot make a device dialog (an address used twice).
bool DialogFromRecords(std::vector<TSimLine> lines, TSimDialog& dialog, std::string& error);

TSimDialog BuiltinDemoDialog();
// The built-in dialog as a data file holds it: its line records in ascending order.
TBytes BuiltinDemoDialogRecords();

// Addresses of the built-in dialog that tests and demonstrations rely on.
namespace demo {
constexpr std::uint16_t ProgramName = 0x0011;
constexpr std::uint16_t Channel2Enable = 0x0040;
constexpr std::uint16_t Channel2First = 0x0041;
constexpr std::uint16_t Channel2Last = 0x0045;
constexpr std::uint16_t Channel1Value = 0x0021;
constexpr std::uint16_t AlarmCount = 0x0060;
constexpr std::uint16_t AlarmSetpoint = 0x0062;
constexpr std::uint16_t DeviceTag = 0x0012;
} // namespace demo

} // namespace kelvo
