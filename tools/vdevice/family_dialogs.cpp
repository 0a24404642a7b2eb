#include "tools/vdevice/family_dialogs.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <utility>

namespace kelvo {

namespace {

constexpr std::uint16_t Indent1 = 0x0001;
constexpr std::uint16_t Indent2 = 0x0004;
constexpr std::uint16_t ProductionEdit = 0x0040;
constexpr std::uint16_t Separator = 0x0080;
constexpr std::uint16_t ReadOnly = 0x2000;
constexpr std::uint16_t CountLine = 0x0400;
constexpr std::uint16_t GroupMember = 0x0800;

const std::vector<std::string> SensorTypes = {"Pt100", "Pt1000", "Thermocouple K", "0-10 V",
                                              "4-20 mA"};
const std::vector<std::string> OffOn = {"Off", "On"};
const std::vector<std::string> OutputFunctions = {"Direct", "Direct, inverted", "Pulse",
                                                  "Pulse, inverted", "Off"};

// Builds one program's dialog. Every file of the family carries its own
// values (derived from Variant), so that a converted value can be traced back
// to the file it came from.
class TBuilder {
public:
    explicit TBuilder(int variant) : Variant(variant) {}

    void Label(std::uint16_t a, const std::string& caption, std::uint16_t flags = Separator) {
        Add(a, flags | (SkLabel << 8), caption, {});
    }
    void Long(std::uint16_t a, const std::string& caption, std::int32_t base,
              std::uint16_t flags = Indent1, std::uint16_t layout = 0) {
        Add(a, flags | (SkLong << 8), caption, RawLong(base + Variant), {}, layout);
    }
    void Double(std::uint16_t a, const std::string& caption, double base,
                std::uint16_t flags = Indent1) {
        Add(a, flags | (SkDouble << 8), caption, RawDouble(base + 0.25 * Variant));
    }
    void Choice(std::uint16_t a, const std::string& caption, std::vector<std::string> choices,
                int base = 0, std::uint16_t flags = Indent1, std::uint16_t layout = 0) {
        const auto index = static_cast<std::uint16_t>((base + Variant) % int(choices.size()));
        Add(a, flags | (SkChoice << 8), caption, RawChoice(index), std::move(choices), layout);
    }
    void Text(std::uint16_t a, const std::string& caption, const std::string& value,
              std::uint16_t flags = Indent1) {
        Add(a, flags | (SkText << 8), caption, RawText(value));
    }
    // The fixed value of a line, independent of the variant.
    void Fixed(std::uint16_t a, std::uint16_t flags, std::uint16_t layout,
               const std::string& caption, TBytes raw) {
        Add(a, flags, caption, std::move(raw), {}, layout);
    }

    // The identification lines every program starts with.
    void Header(const std::string& title, const std::string& program, bool nameAt0012 = false) {
        Label(0x0010, title, 0);
        if (nameAt0012) {
            Text(0x0012, "Programmname", program, ReadOnly | Indent1);
        } else {
            Text(0x0011, "Programmname", program, ReadOnly);
            Text(0x0012, "Device tag", "TT-" + std::to_string(100 + Variant), 0);
        }
        Long(0x0013, "Serial number", 300000 + 1000 * Variant, ProductionEdit);
        Choice(0x0014, "Display language", {"English", "Deutsch"}, 0, 0);
    }

    TSimDialog Take() {
        std::stable_sort(
            Dialog.Lines.begin(), Dialog.Lines.end(),
            [](const TSimLine& a, const TSimLine& b) { return a.Address < b.Address; });
        return std::move(Dialog);
    }

    TSimDialog Dialog;
    int Variant;

private:
    void Add(std::uint16_t a, std::uint16_t flags, const std::string& caption, TBytes raw,
             std::vector<std::string> choices = {}, std::uint16_t layout = 0) {
        TSimLine line;
        line.Address = a;
        line.Flags = flags;
        line.Layout = layout;
        line.Caption = caption;
        line.Raw = std::move(raw);
        line.Choices = std::move(choices);
        Dialog.Lines.push_back(std::move(line));
    }
};

// The eight parameters of one input, from first on.
void Input(TBuilder& b, std::uint16_t label, int n) {
    const std::string name = "Input " + std::to_string(n);
    b.Label(label, name);
    b.Choice(label + 1, name + " sensor type", SensorTypes, n);
    b.Double(label + 2, name + " range start", -10.0 * n);
    b.Double(label + 3, name + " range end", 100.0 * n);
    b.Long(label + 4, name + " filter time [ms]", 100 * n);
    b.Double(label + 5, name + " offset", 0.5 * n);
    b.Choice(label + 6, name + " unit", {"Celsius", "Fahrenheit", "Kelvin"}, n);
    b.Long(label + 7, name + " decimals", n);
    b.Text(label + 8, name + " tag", "TI-" + std::to_string(100 * b.Variant + n));
}

void Inputs(TBuilder& b, std::uint16_t block) {
    b.Label(block, "Measurement");
    b.Long(block + 1, "Measuring rate [Hz]", 10);
    for (int n = 1; n <= 4; ++n)
        Input(b, block + 0x10 * n, n);
}

// Bus, limits and service: the same lines in every controller program.
void Common(TBuilder& b, std::uint16_t bus, std::uint16_t limits, std::uint16_t service) {
    b.Label(bus, "Bus");
    b.Long(bus + 1, "Bus address", 10);
    b.Choice(bus + 2, "Bus baud rate", {"9600", "19200", "38400"});
    b.Choice(bus + 3, "Bus parity", {"None", "Even", "Odd"});
    b.Label(limits, "Limits");
    b.Double(limits + 1, "Setpoint 1", 80.0);
    b.Double(limits + 2, "Setpoint 2", 20.0);
    b.Double(limits + 3, "Hysteresis", 1.0);
    b.Long(limits + 4, "Limit delay [s]", 5);
    b.Label(service, "Service");
    b.Text(service + 1, "Last calibration", "2024-0" + std::to_string(1 + b.Variant % 9) + "-15");
    b.Text(service + 2, "Operator", "Operator " + std::to_string(b.Variant));
    b.Long(service + 3, "Service password", 4711);
}

TSimDialog KT400V1(const std::string& program, int variant) {
    TBuilder b(variant);
    b.Header("KT400 process controller", program);
    Inputs(b, 0x1000);
    for (int k = 1; k <= 2; ++k) {
        const auto block = static_cast<std::uint16_t>(0x1100 + 0x10 * (k - 1));
        const std::string name = "Output " + std::to_string(k);
        b.Label(block, name);
        b.Choice(block + 1, name + " function", OutputFunctions, k);
        b.Double(block + 2, name + " start value", 0.0);
        b.Double(block + 3, name + " end value", 50.0 * k);
        b.Long(block + 4, name + " damping [s]", k);
        b.Choice(block + 5, name + " fail-safe", {"Hold", "Low", "High"}, k);
    }
    b.Label(0x1120, "Display and relay");
    b.Choice(0x1121, "Alarm relay contact", {"Normally closed", "Normally open"});
    b.Choice(0x1122, "Display backlight", OffOn);
    b.Long(0x1123, "Display contrast", 5);
    Common(b, 0x1130, 0x1140, 0x1150);
    return b.Take();
}

TSimDialog KT400V2(const std::string& program, int variant, bool selfTest) {
    TBuilder b(variant);
    b.Header("KT400 process controller", program);
    b.Label(0x2000, "General");
    b.Long(0x2001, "Start-up delay [s]", 0);
    b.Choice(0x2002, "Power-fail memory", OffOn);
    b.Label(0x2020, "Alarm relay");
    b.Choice(0x2022, "Contact", {"Normally closed", "Normally open"});
    Inputs(b, 0x2100);
    b.Label(0x3000, "Output 1");
    b.Double(0x3001, "Start value", 0.0);
    b.Double(0x3002, "End value", 50.0);
    b.Long(0x3003, "Damping [s]", 1);
    b.Choice(0x3004, "Function", OutputFunctions, 1);
    b.Choice(0x3005, "Fail-safe", {"Hold", "Low", "High"}, 1);
    b.Label(0x3038, "Display");
    b.Long(0x3039, "Contrast", 5);
    b.Choice(0x3040, "Backlight", OffOn);
    b.Label(0x3041, "Output 2");
    b.Double(0x3042, "Start value", 0.0);
    b.Double(0x3043, "End value", 100.0);
    b.Choice(0x3044, "Function", OutputFunctions, 2);
    b.Long(0x3045, "Damping [s]", 2);
    b.Choice(0x3046, "Fail-safe", {"Hold", "Low", "High"}, 2);
    b.Label(0x3060, "Filter");
    b.Long(0x3061, "Averaging samples", 4);
    Common(b, 0x3200, 0x3300, 0x3400);
    if (selfTest)
        b.Long(0x4010, "Self-test interval [h]", 12, Separator);
    return b.Take();
}

// KT500 V2.x and V3.xx share one layout; V3 adds the trend memory, the KT510
// a customer code.
TSimDialog KT500(const std::string& program, int variant, bool trend, bool customerCode) {
    TBuilder b(variant);
    b.Header("KT500 process controller", program);
    if (customerCode)
        b.Long(0x10FF, "Customer code", 7000, Separator);
    Inputs(b, 0x1100);
    b.Label(0x2050, "General");
    b.Long(0x2051, "Start-up delay [s]", 0);
    b.Choice(0x2052, "Power-fail memory", OffOn);
    b.Long(0x2053, "Bus timeout [ms]", 500);
    for (int k = 1; k <= 2; ++k) {
        const auto block = static_cast<std::uint16_t>(k == 1 ? 0x3020 : 0x3180);
        b.Label(block, "Output " + std::to_string(k));
        b.Double(block + 1, "Start value", 0.0);
        b.Double(block + 2, "End value", 100.0);
        b.Long(block + 3, "Damping [s]", k);
        b.Choice(block + 4, "Fail-safe", {"Hold", "Low", "High"}, k);
        b.Choice(block + 8, "Enabled", OffOn, 1);
        b.Fixed(block + 9, Indent1 | (SkLong << 8), 0, "Signal code", RawLong(12 + k % 2));
        b.Choice(block + 10, "Inverted", {"No", "Yes"}, k);
    }
    // Eight relays, each with its function and contact.
    b.Fixed(0x3060, Separator | ReadOnly | (SkLong << 8), CountLine, "Relays", RawLong(8));
    b.Fixed(0x3061, Separator | Indent1 | (SkLabel << 8), GroupMember, "Relay %d{1+i}", {});
    b.Choice(0x3062, "Function", {"Alarm", "Limit 1", "Limit 2", "Fault"}, 0, Indent2, GroupMember);
    b.Choice(0x3063, "Contact", {"Normally open", "Normally closed"}, 0, Indent2, GroupMember);
    for (int i = 1; i < 8; ++i) {
        b.Dialog.InstanceValues.push_back({0x3062, i, RawChoice(std::uint16_t(i % 4))});
        b.Dialog.InstanceValues.push_back({0x3063, i, RawChoice(std::uint16_t((i + variant) % 2))});
    }
    b.Choice(0x3064, "Display backlight", {"Off", "Auto", "On"}, 0, Separator);
    b.Long(0x3065, "Display contrast", 5);
    Common(b, 0x3200, 0x3300, 0x3400);
    if (trend)
        b.Long(0x4010, "Trend memory [h]", 24, Separator);
    return b.Take();
}

// V1.1 put an alarm mode and an alarm output in front of the four alarm
// lines, which moved up by two, and added a second relay.
TSimDialog KT100(const std::string& program, int variant, bool v11) {
    TBuilder b(variant);
    b.Header("KT100 compact transmitter", program, true);
    if (v11)
        b.Long(0x0020, "Measuring rate [Hz]", 4, Separator);
    else
        b.Label(0x0020, "Measurement");
    b.Choice(0x0021, "Sensor type", SensorTypes);
    b.Double(0x0022, "Range start", -20.0);
    b.Double(0x0023, "Range end", 120.0);
    b.Long(0x0024, "Filter time [ms]", 250);
    b.Label(0x2100, "Alarm");
    const std::uint16_t alarm = v11 ? 0x2103 : 0x2101;
    if (v11) {
        b.Choice(0x2101, "Alarm mode", {"Off", "Limits", "Window"});
        b.Choice(0x2102, "Alarm output", {"Relay 1", "Relay 2"});
    }
    b.Double(alarm, "Alarm high", 90.0);
    b.Double(alarm + 1, "Alarm low", 10.0);
    b.Double(alarm + 2, "Hysteresis", 0.5);
    b.Long(alarm + 3, "Alarm delay [s]", 3);
    b.Label(0x3100, "Relays");
    b.Choice(0x3101, "Relay 1 contact", {"Normally open", "Normally closed"});
    if (v11)
        b.Choice(0x3102, "Relay 2 contact", {"Normally open", "Normally closed"});
    return b.Take();
}

// Calibration points, gain and zero belong to each device's own channels; from
// V1.2 on the gain is a floating point value.
TSimDialog KT600(const std::string& program, int variant, bool doubleGain) {
    TBuilder b(variant);
    b.Header("KT600 multi-channel transmitter", program);
    for (int n = 1; n <= 3; ++n) {
        const auto block = static_cast<std::uint16_t>((0x60 + n) << 8);
        const std::string name = "Channel " + std::to_string(n);
        b.Label(block, name);
        for (int k = 1; k <= 3; ++k)
            b.Double(block + k, name + " calibration point " + std::to_string(k), 10.0 * k);
        if (doubleGain)
            b.Double(block + 0x10, name + " gain", 1.0);
        else
            b.Long(block + 0x10, name + " gain", 1000);
        b.Double(block + 0x11, name + " zero", 0.0);
        b.Choice(block + 0x20, name + " range", {"0-10 V", "4-20 mA", "Pt100"}, n);
        b.Text(block + 0x21, name + " tag", "CH-" + std::to_string(10 * variant + n));
    }
    return b.Take();
}

// V1 keeps the pulses per unit after the divider, V2 before it.
TSimDialog KT700(const std::string& program, int variant, bool v2) {
    TBuilder b(variant);
    b.Header("KT700 pulse counter", program);
    b.Label(0x4000, "Pulse output");
    b.Long(0x4001, "Pulse width [ms]", 50);
    b.Fixed(0x4002, Indent1 | (SkLong << 8), 0, "Pulse divider", RawLong(4));
    b.Fixed(0x4003, Indent1 | (SkLong << 8), 0, v2 ? "Input pulses per unit" : "Pulses per unit",
            RawLong(v2 ? 10 : 25));
    b.Label(0x5000, "Totalizer");
    b.Choice(0x5001, "Totalizer unit", {"l", "m3", "kg"});
    b.Long(0x5002, "Totalizer preset", 0);
    return b.Take();
}

std::string FileNameOf(const std::string& program) {
    std::string name = "family-";
    for (char c : program)
        name += c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name + ".dat";
}

TFamilyProgram Program(const std::string& name, TSimDialog dialog) {
    return {name, FileNameOf(name), std::move(dialog)};
}

} // namespace

std::vector<TFamilyProgram> FamilyPrograms() {
    std::vector<TFamilyProgram> p;
    p.push_back(Program("KT400 V1.0", KT400V1("KT400 V1.0", 1)));
    p.push_back(Program("KT400 V2.0", KT400V2("KT400 V2.0", 2, false)));
    p.push_back(Program("KT400 V2.1", KT400V2("KT400 V2.1", 3, true)));
    p.push_back(Program("KT500 V3.11", KT500("KT500 V3.11", 4, true, false)));
    p.push_back(Program("KT500 V2.0", KT500("KT500 V2.0", 5, false, false)));
    p.push_back(Program("KT510 V2.0", KT500("KT510 V2.0", 6, false, true)));
    p.push_back(Program("KT100 V1.0", KT100("KT100 V1.0", 7, false)));
    p.push_back(Program("KT100 V1.1", KT100("KT100 V1.1", 8, true)));
    p.push_back(Program("KT600 V1.0", KT600("KT600 V1.0", 9, false)));
    p.push_back(Program("KT600 V1.2", KT600("KT600 V1.2", 10, true)));
    p.push_back(Program("KT700 V1.0", KT700("KT700 V1.0", 11, false)));
    p.push_back(Program("KT700 V2.0", KT700("KT700 V2.0", 12, true)));
    return p;
}

const TFamilyProgram& FamilyProgram(const std::string& name) {
    static const std::vector<TFamilyProgram> programs = FamilyPrograms();
    for (const TFamilyProgram& p : programs)
        if (p.ProgramName == name)
            return p;
    throw std::out_of_range("no device program " + name + " in the family");
}

TBytes FamilyRecords(const TSimDialog& dialog) {
    TBytes out;
    const auto& lines = dialog.Lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        AppendLineRecord(out, lines[i]);
        if (lines[i].GroupLevel() != 1 || lines[i].Raw.size() != 4)
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end].IsGroupMember())
            AppendLineRecord(out, lines[end++]);
        const std::int32_t count = LongOfRaw(lines[i].Raw);
        for (int instance = 1; instance < count; ++instance) {
            for (std::size_t j = i + 1; j < end; ++j) {
                const TBytes* raw = &lines[j].Raw;
                for (const TInstanceValue& v : dialog.InstanceValues)
                    if (v.Address == lines[j].Address && v.Instance == instance)
                        raw = &v.Raw;
                AppendLineRecord(out, lines[j], *raw);
            }
        }
        i = end - 1;
    }
    return out;
}

} // namespace kelvo
