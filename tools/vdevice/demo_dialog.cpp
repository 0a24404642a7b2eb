#include "tools/vdevice/demo_dialog.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace kelvo {

namespace {

// Flags: indentation (bits 0 and 2), production-only shown (0x0020) and editable
// (0x0040), separator before the line (0x0080), value kind (bits 8..11),
// read-only (0x2000).
constexpr std::uint16_t Indent1 = 0x0001;
constexpr std::uint16_t Indent2 = 0x0004;
constexpr std::uint16_t ProductionShown = 0x0020;
constexpr std::uint16_t ProductionEdit = 0x0040;
constexpr std::uint16_t Separator = 0x0080;
constexpr std::uint16_t ReadOnly = 0x2000;
constexpr std::uint16_t KindLong = 0x0000;
constexpr std::uint16_t KindDouble = 0x0100;
constexpr std::uint16_t KindChoice = 0x0200;
constexpr std::uint16_t KindText = 0x0300;
constexpr std::uint16_t KindLabel = 0x0F00;
// Layout: group level (bits 10..12), no modified mark (bit 13), live (bits 14, 15).
constexpr std::uint16_t CountLine = 0x0400;
constexpr std::uint16_t GroupMember = 0x0800;
constexpr std::uint16_t NoModify = 0x2000;
constexpr std::uint16_t LiveFast = 0x4000;
constexpr std::uint16_t LiveSlow = 0x8000;

TSimLine Line(std::uint16_t address, std::uint16_t flags, std::uint16_t layout, std::string caption,
              TBytes raw = {}, std::vector<std::string> choices = {}) {
    TSimLine line;
    line.Address = address;
    line.Flags = flags;
    line.Layout = layout;
    line.Caption = std::move(caption);
    line.Raw = std::move(raw);
    line.Choices = std::move(choices);
    return line;
}

TSimLine Label(std::uint16_t address, std::uint16_t flags, std::uint16_t layout,
               std::string caption) {
    return Line(address, flags | KindLabel, layout, std::move(caption));
}

TSimLine Long(std::uint16_t address, std::uint16_t flags, std::uint16_t layout, std::string caption,
              std::int32_t value) {
    return Line(address, flags | KindLong, layout, std::move(caption), RawLong(value));
}

TSimLine Double(std::uint16_t address, std::uint16_t flags, std::uint16_t layout,
                std::string caption, double value) {
    return Line(address, flags | KindDouble, layout, std::move(caption), RawDouble(value));
}

TSimLine Choice(std::uint16_t address, std::uint16_t flags, std::uint16_t layout,
                std::string caption, std::uint16_t index, std::vector<std::string> choices) {
    return Line(address, flags | KindChoice, layout, std::move(caption), RawChoice(index),
                std::move(choices));
}

TSimLine Text(std::uint16_t address, std::uint16_t flags, std::uint16_t layout, std::string caption,
              const std::string& value) {
    return Line(address, flags | KindText, layout, std::move(caption), RawText(value));
}

const std::vector<std::string> SensorTypes = {"Pt100", "Pt1000", "Thermocouple K", "0-10 V",
                                              "4-20 mA"};

} // namespace

TSimDialog BuiltinDemoDialog() {
    TSimDialog d;
    auto& l = d.Lines;
    // Identification.
    l.push_back(Label(0x0010, 0, 0, "KT-200 two-channel transmitter"));
    l.push_back(Text(demo::ProgramName, ReadOnly, 0, "Programmname", "KT200 V2.14"));
    l.push_back(Text(demo::DeviceTag, 0, 0, "Device tag", "TT-101"));
    l.push_back(Long(0x0013, ProductionEdit, 0, "Serial number", 204117));
    l.push_back(Choice(0x0014, 0, 0, "Temperature unit", 0, {"Celsius", "Fahrenheit", "Kelvin"}));

    // Channel 1 is always on.
    l.push_back(Label(0x0020, Separator, 0, "Channel 1"));
    l.push_back(Double(demo::Channel1Value, Indent1 | ReadOnly, LiveFast, "Measured value", 21.5));
    l.push_back(Choice(0x0022, Indent1, 0, "Sensor type", 0, SensorTypes));
    l.push_back(Double(0x0023, Indent1, 0, "Range start", -50.0));
    l.push_back(Double(0x0024, Indent1, 0, "Range end", 150.0));
    l.push_back(Long(0x0025, Indent1, 0, "Filter time [ms]", 500));
    l.push_back(
        Double(0x0026, Indent2 | ProductionShown | ProductionEdit, 0, "Calibration offset", 0.125));

    // Channel 2 can be switched off; its lines then disappear.
    l.push_back(Choice(demo::Channel2Enable, Separator, 0, "Channel 2", 1, {"Off", "On"}));
    l.push_back(Double(0x0041, Indent1 | ReadOnly, LiveFast, "Measured value", 18.25));
    l.push_back(Choice(0x0042, Indent1, 0, "Sensor type", 4, SensorTypes));
    l.push_back(Double(0x0043, Indent1, 0, "Range start", 0.0));
    l.push_back(Double(0x0044, Indent1, 0, "Range end", 100.0));
    l.push_back(Long(demo::Channel2Last, Indent1, 0, "Filter time [ms]", 1000));
    d.HidingRules.push_back({demo::Channel2Enable, demo::Channel2First, demo::Channel2Last});

    // Alarm limits: a repeated group, one instance per limit.
    l.push_back(Long(demo::AlarmCount, Separator, CountLine, "Alarm limits", 2));
    l.push_back(Label(0x0061, Separator | Indent1, GroupMember, "Alarm %d{1+i}"));
    l.push_back(Double(demo::AlarmSetpoint, Indent2, GroupMember, "Setpoint", 80.0));
    l.push_back(Choice(0x0063, Indent2, GroupMember, "Source", 0, {"Channel 1", "Channel 2"}));
    l.push_back(Choice(0x0064, Indent2, GroupMember, "Direction", 0, {"High", "Low"}));
    l.push_back(Long(0x0065, Indent2, GroupMember, "Relay K%d{1+i} delay [s]", 5));

    // Communication.
    l.push_back(Label(0x0070, Separator, 0, "Communication"));
    l.push_back(Long(0x0071, Indent1, 0, "Bus address %d{v} (0x%02X{v})", 17));
    l.push_back(Choice(0x0072, Indent1, 0, "Baud rate", 3, {"9600", "19200", "38400", "115200"}));

    // Service.
    l.push_back(Label(0x0080, Separator, 0, "Service"));
    l.push_back(Long(0x0081, Indent1 | ReadOnly, LiveSlow, "Operating hours", 12873));
    l.push_back(Text(0x0082, Indent1, 0, "Last calibration", "2024-03-11"));
    l.push_back(
        Long(0x0083, Indent1 | ProductionShown | ProductionEdit, 0, "Production code", 0x5A17));
    l.push_back(Long(0x0084, Indent1, NoModify, "Display contrast", 7));
    return d;
}

TBytes BuiltinDemoDialogRecords() {
    return WriteLineRecords(BuiltinDemoDialog().Lines);
}

} // namespace kelvo

namespace kelvo {

bool DialogFromRecords(std::vector<TSimLine> lines, TSimDialog& dialog, std::string& error) {
    TSimDialog result;
    for (std::size_t i = 0; i < lines.size();) {
        result.Lines.push_back(lines[i]);
        if (lines[i].GroupLevel() != 1) {
            ++i;
            continue;
        }
        // The group region: the member lines after the count line. A new instance
        // starts wherever the address falls back.
        std::size_t first = ++i;
        std::size_t end = first;
        while (end < lines.size() && lines[end].IsGroupMember())
            ++end;
        std::size_t instanceSize = end - first;
        for (std::size_t j = first + 1; j < end; ++j) {
            if (lines[j].Address <= lines[j - 1].Address) {
                instanceSize = j - first;
                break;
            }
        }
        for (std::size_t j = first; j < first + instanceSize; ++j)
            result.Lines.push_back(lines[j]);
        for (std::size_t j = first + instanceSize; j < end; ++j) {
            const std::size_t instance = (j - first) / instanceSize;
            const TSimLine& model = lines[first + (j - first) % instanceSize];
            if (instance >= 100 || lines[j].Address != model.Address ||
                lines[j].Kind() != model.Kind())
                continue;
            result.InstanceValues.push_back(
                {lines[j].Address, static_cast<int>(instance), lines[j].Raw});
        }
        i = end;
    }
    std::stable_sort(result.Lines.begin(), result.Lines.end(),
                     [](const TSimLine& a, const TSimLine& b) { return a.Address < b.Address; });
    for (std::size_t i = 1; i < result.Lines.size(); ++i) {
        if (result.Lines[i].Address == result.Lines[i - 1].Address) {
            char text[64];
            std::snprintf(text, sizeof text, "address 0x%04X is used twice",
                          unsigned(result.Lines[i].Address));
            error = text;
            return false;
        }
    }
    dialog = std::move(result);
    return true;
}

} // namespace kelvo
