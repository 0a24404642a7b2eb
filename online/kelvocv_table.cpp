// The conversion table of the Kelvo device family: which pairs of device
// programs can take each other's parameter sets, and how their parameters
// correspond.
//
//   KT400 V1.0            the first controller program
//   KT400 V2.0, V2.1      moved every parameter into new blocks (list X);
//                         V2.1 added a self-test interval at 0x4010
//   KT500 V3.00 .. V3.11  split the output functions, made the relays a
//                         repeated group of eight (routines A and B) and moved
//                         the remaining parameters again (list Y)
//   KT500 V2.0, V2.1      the same layout as V3.xx without the trend memory
//                         at 0x4010; KT510 V2.x adds a customer code at 0x10FF
//   KT410 V2.0, V2.1      a KT400 variant that converts like the KT400
//   KT100 V1.0, V1.1      the compact transmitter; V1.1 inserted two alarm
//                         lines in front of the four old ones (list Z)
//   KT600 V1.0 .. V1.3    multi-channel: calibration stays with each device
//   KT700 V1.x, V2.x      V2 holds the pulse factor before the divider
#include "online/kelvocv_records.h"
#include "online/kelvocv_routines.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace kelvo {

namespace cvrecord {

std::int32_t GetI32(const std::uint8_t* at) {
    return static_cast<std::int32_t>(std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 |
                                     std::uint32_t(at[2]) << 16 | std::uint32_t(at[3]) << 24);
}

TLineKey GetKey(const std::uint8_t* at) {
    return {static_cast<std::uint16_t>(at[0] | at[1] << 8), GetI32(at + 2), GetI32(at + 6),
            GetI32(at + 10)};
}

} // namespace cvrecord

namespace {

using TBytes = std::vector<std::uint8_t>;

struct TPair {
    std::uint16_t First;
    std::uint16_t Second;
};
using TPairs = std::vector<TPair>;

struct TSet {
    TLineKey Key;
    std::int32_t Value;
};

void PutU16(TBytes& b, std::uint16_t v) {
    b.push_back(v & 0xFF);
    b.push_back(v >> 8);
}

void PutI32(TBytes& b, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8)
        b.push_back((u >> shift) & 0xFF);
}

void PutKey(TBytes& b, const TLineKey& k) {
    PutU16(b, k.Address);
    PutI32(b, k.IndexI);
    PutI32(b, k.IndexJ);
    PutI32(b, k.IndexK);
}

void PutText(TBytes& b, const std::string& text) {
    b.insert(b.end(), text.begin(), text.end());
    b.push_back(0);
}

constexpr TLineKey EndKey{0, -1, 0, 0};

TBytes SetRecords(const std::vector<TSet>& sets) {
    TBytes b;
    for (const TSet& s : sets) {
        PutKey(b, s.Key);
        PutI32(b, s.Value);
    }
    PutKey(b, EndKey);
    PutI32(b, 0);
    return b;
}

TBytes CopyRecords(const TPairs& pairs) {
    TBytes b;
    for (const TPair& p : pairs) {
        PutKey(b, {p.First, 0, 0, 0});
        PutKey(b, {p.Second, 0, 0, 0});
    }
    PutKey(b, EndKey);
    PutKey(b, EndKey);
    return b;
}

// count consecutive addresses from first and second.
void AddBlock(TPairs& pairs, std::uint16_t first, std::uint16_t second, int count) {
    for (int i = 0; i < count; ++i)
        pairs.push_back(
            {static_cast<std::uint16_t>(first + i), static_cast<std::uint16_t>(second + i)});
}

// The program name line: read-only Text "Programmname" at 0x0011, or at 0x0012
// with indentation in the programs that keep it there.
TBytes IdRecord(std::uint16_t address, const std::string& program) {
    TBytes b;
    PutU16(b, address);
    PutU16(b, address == 0x0012 ? 0x2301 : 0x2300);
    PutU16(b, 0);
    PutText(b, "Programmname");
    PutText(b, program);
    return b;
}

// KT400 V1.0 -> V2.x: every parameter moved.
TPairs ListX() {
    TPairs x;
    x.push_back({0x1001, 0x2101}); // measuring rate
    for (std::uint16_t n = 1; n <= 4; ++n)
        AddBlock(x, 0x1001 + 0x10 * n, 0x2101 + 0x10 * n, 8); // input n
    x.push_back({0x0012, 0x0012});                            // device tag
    x.push_back({0x0014, 0x0014});                            // display language
    // Output 1 and 2: function, start, end, damping, fail-safe.
    x.push_back({0x1101, 0x3004});
    AddBlock(x, 0x1102, 0x3001, 3);
    x.push_back({0x1105, 0x3005});
    x.push_back({0x1111, 0x3044});
    AddBlock(x, 0x1112, 0x3042, 2);
    AddBlock(x, 0x1114, 0x3045, 2);
    x.push_back({0x1121, 0x2022});  // alarm relay contact
    x.push_back({0x1122, 0x3040});  // backlight
    x.push_back({0x1123, 0x3039});  // contrast
    AddBlock(x, 0x1131, 0x3201, 3); // bus
    AddBlock(x, 0x1141, 0x3301, 4); // limits
    AddBlock(x, 0x1151, 0x3401, 3); // service
    return x;
}

// KT400 V2.x -> KT500 V3.xx: what routine A does not convert.
TPairs ListY() {
    TPairs y;
    y.push_back({0x2101, 0x1101});
    for (std::uint16_t n = 1; n <= 4; ++n)
        AddBlock(y, 0x2101 + 0x10 * n, 0x1101 + 0x10 * n, 8);
    y.push_back({0x0012, 0x0012});
    y.push_back({0x0014, 0x0014});
    AddBlock(y, 0x3001, 0x3021, 3); // output 1 start, end, damping
    y.push_back({0x3005, 0x3024});  // output 1 fail-safe
    AddBlock(y, 0x3042, 0x3181, 2); // output 2 start, end
    AddBlock(y, 0x3045, 0x3183, 2); // output 2 damping, fail-safe
    y.push_back({0x3039, 0x3065});  // contrast
    AddBlock(y, 0x3201, 0x3201, 3);
    AddBlock(y, 0x3301, 0x3301, 4);
    AddBlock(y, 0x3401, 0x3401, 3);
    y.push_back({0x2001, 0x2051}); // start-up delay
    y.push_back({0x2002, 0x2052}); // power-fail memory
    return y;
}

// KT100 V1.0 -> V1.1: the alarm lines moved up by two.
TPairs ListZ() {
    TPairs z;
    AddBlock(z, 0x2101, 0x2103, 4);
    return z;
}

std::vector<TSet> SetsKT500Relays() {
    std::vector<TSet> sets;
    // Relay functions: 1 to 3 follow the limits, 7 is the alarm relay of
    // the older program, the others report faults.
    const std::int32_t functions[8] = {1, 2, 1, 3, 3, 3, 0, 3};
    for (std::int32_t i = 0; i < 8; ++i)
        sets.push_back({{0x3062, i, 0, 0}, functions[i]});
    // Contacts normally open; relay 7's comes from the old alarm relay.
    for (std::int32_t i = 0; i < 8; ++i)
        if (i != 6)
            sets.push_back({{0x3063, i, 0, 0}, 0});
    sets.push_back({{0x2053, 0, 0, 0}, 1000}); // bus timeout [ms]
    return sets;
}

class TTableData {
public:
    TTableData() {
        const auto kt400v1 = Ids(0x0011, {"KT400 V1.0"});
        const auto kt400v2 = Ids(0x0011, {"KT400 V2.0", "KT400 V2.1"});
        std::vector<std::string> v3;
        for (int minor = 0; minor <= 11; ++minor)
            v3.push_back("KT500 V3." + std::string(minor < 10 ? "0" : "") + std::to_string(minor));
        const auto kt500v3 = Ids(0x0011, v3);
        const auto kt4x0v20 = Ids(0x0011, {"KT400 V2.0", "KT410 V2.0"});
        const auto kt4x0v21 = Ids(0x0011, {"KT400 V2.1", "KT410 V2.1"});
        const auto kt500v2 = Ids(0x0011, {"KT500 V2.0", "KT500 V2.1"});
        const auto kt510v2 = Ids(0x0011, {"KT510 V2.0", "KT510 V2.1"});
        const auto kt100v10 = Ids(0x0012, {"KT100 V1.0"});
        const auto kt100v11 = Ids(0x0012, {"KT100 V1.1"});
        const auto kt600old = Ids(0x0011, {"KT600 V1.0", "KT600 V1.1"});
        const auto kt600new = Ids(0x0011, {"KT600 V1.2", "KT600 V1.3"});
        const auto kt700v1 = Ids(0x0011, {"KT700 V1.0", "KT700 V1.1"});
        const auto kt700v2 = Ids(0x0011, {"KT700 V2.0", "KT700 V2.1"});

        const auto x = Store(CopyRecords(ListX()));
        const auto y = Store(CopyRecords(ListY()));
        const auto z = Store(CopyRecords(ListZ()));
        const auto none = Store(SetRecords({}));
        const auto noCopies = Store(CopyRecords({}));

        Rows = {
            {kt400v1, kt400v2, nullptr,
             Store(SetRecords({{{0x2001, 0, 0, 0}, 2}, {{0x3061, 0, 0, 0}, 8}})), x, false},
            {kt400v2, kt400v1, nullptr, none, x, true},
            {kt400v2, kt500v3, RoutineA, Store(SetRecords(SetsKT500Relays())), y, false},
            {kt500v3, kt400v2, RoutineB, none, y, true},
            {kt4x0v20, kt4x0v21, RoutineC1, Store(SetRecords({{{0x4010, 0, 0, 0}, 24}})), noCopies,
             false},
            {kt4x0v21, kt4x0v20, RoutineC1, none, noCopies, false},
            {kt500v2, kt500v3, RoutineC1, Store(SetRecords({{{0x4010, 0, 0, 0}, 48}})), noCopies,
             false},
            {kt500v3, kt500v2, RoutineC1, none, noCopies, false},
            {kt510v2, kt500v3, RoutineC1, none, noCopies, false},
            {kt500v3, kt510v2, RoutineC1, none, noCopies, false},
            {kt100v10, kt100v11, RoutineC2, Store(SetRecords({{{0x2101, 0, 0, 0}, 1}})), z, false},
            {kt100v11, kt100v10, RoutineC2, none, z, true},
            {kt600old, kt600new, RoutineC3, none, noCopies, false},
            {kt700v1, kt700v2, RoutineD, none, noCopies, false},
            {kt700v2, kt700v1, RoutineE, none, noCopies, true},
            {nullptr, nullptr, nullptr, nullptr, nullptr, false},
        };
    }

    std::vector<TConversionRow> Rows;

private:
    const std::uint8_t* Store(TBytes bytes) { return FBytes.emplace_back(std::move(bytes)).data(); }

    const TIdRecord* const* Ids(std::uint16_t address, const std::vector<std::string>& programs) {
        std::vector<const TIdRecord*>& list = FIdLists.emplace_back();
        for (const std::string& program : programs) {
            const TBytes& bytes = FBytes.emplace_back(IdRecord(address, program));
            list.push_back(&FIds.emplace_back(
                TIdRecord{bytes.data(), static_cast<std::int32_t>(bytes.size())}));
        }
        list.push_back(nullptr);
        return list.data();
    }

    // Deques keep every element where it is, so the pointers handed out stay
    // valid while more are added.
    std::deque<TBytes> FBytes;
    std::deque<TIdRecord> FIds;
    std::deque<std::vector<const TIdRecord*>> FIdLists;
};

const TTableData& TableData() {
    static const TTableData data;
    return data;
}

} // namespace

const TConversionRow* ConversionTable() {
    return TableData().Rows.data();
}

int ConversionTableRows() {
    return static_cast<int>(TableData().Rows.size()) - 1;
}

} // namespace kelvo
