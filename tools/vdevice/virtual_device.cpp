#include "tools/vdevice/virtual_device.h"

#include "devicelink/crc24.h"
#include "tools/vdevice/byte_reader.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace kelvo {

namespace {

constexpr std::uint16_t FlagHidden = 0x1000;
constexpr unsigned char StatusHidden = 0x10;
constexpr int MaxGroupCount = 100;

bool IsControlCode(unsigned char b) {
    switch (b) {
    case TVirtualDevice::CodeReady:
    case TVirtualDevice::CodeAbort:
    case TVirtualDevice::CodeFinis:
    case TVirtualDevice::CodeConti:
    case TVirtualDevice::CodeRepim:
        return true;
    default:
        return false;
    }
}

// The value kind a read or write code addresses: the low nibble is kind + 1.
int KindOfCode(unsigned char code) {
    const int k = code & 0x0F;
    return k == 0 ? SkLabel : k - 1;
}

bool IsLineCode(unsigned char code) {
    return (code & 0x70) == 0 && (code & 0x0F) <= 4;
}

} // namespace

TVirtualDevice::TVirtualDevice(TSimDialog dialog, TVirtualDeviceOptions options)
    : FDialog(std::move(dialog)), FOptions(options) {
    std::stable_sort(FDialog.Lines.begin(), FDialog.Lines.end(),
                     [](const TSimLine& a, const TSimLine& b) { return a.Address < b.Address; });
    FState.resize(FDialog.Lines.size());
    for (std::size_t i = 0; i < FDialog.Lines.size(); ++i) {
        const TSimLine& line = FDialog.Lines[i];
        const std::size_t instances = line.IsGroupMember() ? GroupInstances : 1;
        FState[i].Working.assign(instances, line.Raw);
    }
    for (const TInstanceValue& v : FDialog.InstanceValues) {
        const int index = LineIndex(v.Address);
        if (index >= 0 && v.Instance >= 0 &&
            std::size_t(v.Instance) < FState[index].Working.size() &&
            ValidValue(std::size_t(index), v.Raw))
            FState[index].Working[v.Instance] = v.Raw;
    }
    for (TLineState& state : FState)
        state.Stored = state.Working;
    FBusyLeft = FOptions.Busy;
}

TBytes TVirtualDevice::Feed(const unsigned char* data, std::size_t count) {
    TBytes out;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char b = data[i];
        if (FIncoming.empty())
            StartMessage();
        FIncoming.push_back(b);
        if (!FIncomingSilent && !FIncomingDropped)
            out.push_back(b);
        if (FIncoming.size() == 1)
            FIncomingWanted = b == CodeStart ? 2 : 1;
        else if (FIncoming.size() == 2)
            FIncomingWanted = 5 + (b & 0x1F);
        if (FIncoming.size() < FIncomingWanted)
            continue;
        TBytes message;
        message.swap(FIncoming);
        Trace("PC", message);
        TBytes reply = FIncomingSilent ? TBytes{} : Answer(message);
        if (FIncomingSilent)
            ++FCounters.Silenced;
        if (reply.empty())
            continue;
        if (reply.size() > 1) {
            // The fault is made on the line only; the device keeps what it meant.
            ++FCounters.ReplyFrames;
            if (FOptions.CorruptEvery > 0 && FCounters.ReplyFrames % FOptions.CorruptEvery == 0) {
                reply.back() ^= 0x01;
                ++FCounters.Corrupted;
            }
        }
        Trace("DEV", reply);
        if (FIncomingDropped)
            ++FCounters.Dropped;
        else
            out.insert(out.end(), reply.begin(), reply.end());
    }
    return out;
}

void TVirtualDevice::InputGap() {
    if (FIncoming.empty())
        return;
    Trace("PC", FIncoming);
    FIncoming.clear();
    ++FCounters.DamagedFrames;
}

void TVirtualDevice::StartMessage() {
    const long ordinal = ++FCounters.Messages;
    FIncomingSilent = FOptions.SilentAfter >= 0 && ordinal > FOptions.SilentAfter;
    FIncomingDropped =
        !FIncomingSilent && FOptions.DropEvery > 0 && ordinal % FOptions.DropEvery == 0;
}

TBytes TVirtualDevice::Answer(const TBytes& message) {
    const bool frame = message[0] == CodeStart;
    if (!frame && !IsControlCode(message[0])) {
        ++FCounters.DamagedFrames; // a stray byte
        return {};
    }
    if (frame) {
        const std::size_t n = message[1] & 0x1F;
        if (n < 1 || n > MaxFrameData ||
            Crc24(&message[1], n + 1) != (std::uint32_t(message[n + 2]) << 16 |
                                          std::uint32_t(message[n + 3]) << 8 | message[n + 4])) {
            ++FCounters.DamagedFrames;
            return {};
        }
    }
    // Any control code ends the repeat memory, also one answered busy.
    if (!frame)
        FHaveLastFrame = false;
    if (FBusyLeft > 0) {
        --FBusyLeft;
        ++FCounters.BusyAnswers;
        return {CodeRepwt};
    }
    if (frame)
        return AnswerFrame(message);
    if (message[0] != CodeRepim) {
        FLastReply = AnswerControl(message[0]);
        return FLastReply;
    }
    if (!FConversation || FLastReply.empty())
        return {CodeAbort};
    return FLastReply;
}

TBytes TVirtualDevice::AnswerControl(unsigned char code) {
    if (code == CodeAbort) {
        // The PC's ABORT ends whatever was going on; the next message starts a
        // new conversation, busy again, even when none was open.
        FConversation = false;
        DropCommand();
        FBusyLeft = FOptions.Busy;
        return {CodeAbort};
    }
    if (code == CodeReady) {
        FConversation = true;
        FCounter = 0;
        DropCommand();
        return {CodeReady};
    }
    if (!FConversation)
        return {CodeAbort};
    switch (code) {
    case CodeFinis:
        FCounter = 0;
        DropCommand();
        FBusyLeft = FOptions.Busy;
        return {CodeReady};
    case CodeConti:
        if (FAnswerPos < FAnswer.size())
            return NextAnswerFrame();
        return {CodeFinis};
    default:
        return {CodeAbort};
    }
}

TBytes TVirtualDevice::AnswerFrame(const TBytes& frame) {
    if (!FConversation) {
        FLastReply = {CodeAbort};
        return FLastReply;
    }
    if (FHaveLastFrame && frame == FLastFrame) {
        // The PC lost our answer and asks again: answer, but do not execute twice.
        ++FCounters.RepeatedFrames;
        FLastReply = FLastFrameReply;
        return FLastReply;
    }
    if (!FAnswer.empty()) {
        // A new command: whatever the previous one still had to say is dropped.
        FAnswer.clear();
        FAnswerPos = 0;
    }
    const std::size_t n = frame[1] & 0x1F;
    FCommand.insert(FCommand.end(), frame.begin() + 2, frame.begin() + 2 + n);
    TBytes reply;
    switch (CheckCommand()) {
    case TCheck::Bad:
        reply = Reject();
        break;
    case TCheck::Incomplete:
        ++FCounter;
        reply = {CodeConti};
        break;
    case TCheck::Complete:
        Execute();
        FCommand.clear();
        reply = StartAnswer();
        break;
    }
    FLastReply = reply;
    FHaveLastFrame = reply[0] != CodeAbort;
    if (FHaveLastFrame) {
        FLastFrame = frame;
        FLastFrameReply = reply;
    }
    return reply;
}

TBytes TVirtualDevice::StartAnswer() {
    if (FAnswer.empty())
        return {CodeFinis};
    if (FOptions.AnswerMode == TAnswerMode::Conti) {
        ++FCounter;
        return {CodeConti};
    }
    const std::size_t n = std::min(MaxFrameData, FAnswer.size());
    FCounter = 0;
    FAnswerPos = n;
    return BuildFrame(0, FAnswer.data(), n);
}

TBytes TVirtualDevice::NextAnswerFrame() {
    const std::size_t n = std::min(MaxFrameData, FAnswer.size() - FAnswerPos);
    const int number = (FCounter + 1) & 3;
    ++FCounter;
    TBytes frame = BuildFrame(number, FAnswer.data() + FAnswerPos, n);
    FAnswerPos += n;
    return frame;
}

TBytes TVirtualDevice::BuildFrame(int number, const unsigned char* data, std::size_t count) const {
    TBytes frame;
    frame.reserve(count + 5);
    frame.push_back(CodeStart);
    frame.push_back(static_cast<unsigned char>((number << 5) | count));
    frame.insert(frame.end(), data, data + count);
    const std::uint32_t crc = Crc24(&frame[1], count + 1);
    frame.push_back(static_cast<unsigned char>(crc >> 16));
    frame.push_back(static_cast<unsigned char>(crc >> 8));
    frame.push_back(static_cast<unsigned char>(crc));
    return frame;
}

TBytes TVirtualDevice::Reject() {
    ++FCounters.Rejected;
    FConversation = false;
    DropCommand();
    // The device's ABORT ends the conversation as the PC's does.
    FBusyLeft = FOptions.Busy;
    return {CodeAbort};
}

void TVirtualDevice::DropCommand() {
    FCommand.clear();
    FAnswer.clear();
    FAnswerPos = 0;
}

TVirtualDevice::TCheck TVirtualDevice::CheckCommand() const {
    const TBytes& c = FCommand;
    const unsigned char code = c[0];
    if (code == 0x91) {
        if (c.size() < 3)
            return TCheck::Incomplete;
        return c.size() == 3 ? TCheck::Complete : TCheck::Bad;
    }
    if (code == 0x7F || code == 0x75 || code == 0x7A)
        return c.size() == 1 ? TCheck::Complete : TCheck::Bad;
    if (!IsLineCode(code))
        return TCheck::Bad;
    if (c.size() < 3)
        return TCheck::Incomplete;
    const int index = LineIndex(static_cast<std::uint16_t>(c[1] | (c[2] << 8)));
    if (index < 0)
        return TCheck::Bad;
    const TSimLine& line = FDialog.Lines[index];
    const int kind = KindOfCode(code);
    if (line.Kind() != kind)
        return TCheck::Bad;
    const std::size_t head = line.IsGroupMember() ? 5 : 3;
    if (c.size() < head)
        return TCheck::Incomplete;
    if (head == 5 && (c[3] | (c[4] << 8)) >= GroupInstances)
        return TCheck::Bad;
    const bool read = (code & 0x80) != 0;
    if (read)
        return c.size() == head ? TCheck::Complete : TCheck::Bad;
    if (line.IsReadOnly())
        return TCheck::Bad;
    return CheckValue(static_cast<std::size_t>(index), c.data() + head, c.size() - head);
}

TVirtualDevice::TCheck TVirtualDevice::CheckValue(std::size_t index, const unsigned char* data,
                                                  std::size_t size) const {
    const TSimLine& line = FDialog.Lines[index];
    TPtr<TDlglineValue> value(NewDlglineValue(line.Kind()));
    if (!value)
        return TCheck::Bad;
    TStaticStreamBuffer reader = ByteReader(data, size);
    const int read = value->ReadRaw(reader);
    // Too few bytes yet; a text cut at its longest length leaves bytes over.
    if (read == record::ShortTransfer)
        return TCheck::Incomplete;
    if (read < 0 || BytesLeft(reader) > 0)
        return TCheck::Bad;
    // A count line beyond the group's capacity would break the dialog.
    if (line.Kind() == SkLong && line.GroupLevel() == layout::LevelCount &&
        (value->GetLong() < 0 || value->GetLong() > MaxGroupCount))
        return TCheck::Bad;
    if (line.Kind() == SkChoice &&
        value->GetLong() >= std::max<std::int32_t>(1, std::int32_t(line.Choices.size())))
        return TCheck::Bad;
    return TCheck::Complete;
}

bool TVirtualDevice::ValidValue(std::size_t index, const TBytes& raw) const {
    return CheckValue(index, raw.data(), raw.size()) == TCheck::Complete;
}

void TVirtualDevice::Execute() {
    ++FCounters.Commands;
    const TBytes& c = FCommand;
    FAnswer.clear();
    FAnswerPos = 0;
    switch (c[0]) {
    case 0x91:
        ExecuteDownload(static_cast<std::uint16_t>(c[1] | (c[2] << 8)));
        return;
    case 0x7F:
        return;
    case 0x75:
        for (TLineState& state : FState)
            state.Stored = state.Working;
        return;
    case 0x7A:
        for (TLineState& state : FState)
            state.Working = state.Stored;
        return;
    default:
        break;
    }
    const auto index =
        static_cast<std::size_t>(LineIndex(static_cast<std::uint16_t>(c[1] | (c[2] << 8))));
    const bool member = FDialog.Lines[index].IsGroupMember();
    const int instance = member ? (c[3] | (c[4] << 8)) : 0;
    if (c[0] & 0x80)
        ExecuteRead(index, instance);
    else
        ExecuteWrite(index, instance, TBytes(c.begin() + (member ? 5 : 3), c.end()));
}

void TVirtualDevice::ExecuteDownload(std::uint16_t wanted) {
    FAnswer = FCommand;
    // Highest address first, so that the PC can put each line in front of the last.
    for (std::size_t i = FDialog.Lines.size(); i-- > 0;) {
        TSimLine line = FDialog.Lines[i];
        if (line.Address > wanted)
            continue;
        line.Flags =
            static_cast<std::uint16_t>((line.Flags & ~FlagHidden) | (Hidden(i) ? FlagHidden : 0));
        AppendLineRecord(FAnswer, line, FState[i].Working[0]);
    }
}

void TVirtualDevice::ExecuteRead(std::size_t line, int instance) {
    TBytes& value = FState[line].Working[instance];
    if (FDialog.Lines[line].IsLive())
        Drift(line, value);
    FAnswer = FCommand;
    FAnswer.push_back(0);
    FAnswer.push_back(Hidden(line) ? StatusHidden : 0);
    FAnswer.insert(FAnswer.end(), value.begin(), value.end());
}

void TVirtualDevice::ExecuteWrite(std::size_t line, int instance, const TBytes& raw) {
    if (FDialog.Lines[line].Kind() != SkLabel)
        FState[line].Working[instance] = raw;
}

void TVirtualDevice::Drift(std::size_t line, TBytes& raw) {
    const unsigned n = FState[line].Reads++;
    switch (FDialog.Lines[line].Kind()) {
    case SkLong:
        raw = RawLong(LongOfRaw(raw) + 1);
        break;
    case SkDouble:
        // Up and down in small steps, so the value stays near where it started.
        raw = RawDouble(DoubleOfRaw(raw) + ((n / 5) % 2 == 0 ? 0.05 : -0.05));
        break;
    default:
        break;
    }
}

int TVirtualDevice::LineIndex(std::uint16_t address) const {
    const auto it =
        std::lower_bound(FDialog.Lines.begin(), FDialog.Lines.end(), address,
                         [](const TSimLine& line, std::uint16_t a) { return line.Address < a; });
    if (it == FDialog.Lines.end() || it->Address != address)
        return -1;
    return static_cast<int>(it - FDialog.Lines.begin());
}

bool TVirtualDevice::Hidden(std::size_t line) const {
    const TSimLine& l = FDialog.Lines[line];
    if (l.Flags & FlagHidden)
        return true;
    for (const THidingRule& rule : FDialog.HidingRules) {
        if (l.Address < rule.FirstAddress || l.Address > rule.LastAddress)
            continue;
        const int sw = LineIndex(rule.SwitchAddress);
        if (sw >= 0 && FDialog.Lines[sw].Kind() == SkChoice &&
            ChoiceOfRaw(FState[sw].Working[0]) == 0)
            return true;
    }
    return false;
}

const TBytes* TVirtualDevice::WorkingValue(std::uint16_t address, int instance) const {
    const int index = LineIndex(address);
    if (index < 0 || instance < 0 || std::size_t(instance) >= FState[index].Working.size())
        return nullptr;
    return &FState[index].Working[instance];
}

const TBytes* TVirtualDevice::StoredValue(std::uint16_t address, int instance) const {
    const int index = LineIndex(address);
    if (index < 0 || instance < 0 || std::size_t(instance) >= FState[index].Stored.size())
        return nullptr;
    return &FState[index].Stored[instance];
}

bool TVirtualDevice::SetWorkingValue(std::uint16_t address, int instance, const TBytes& raw) {
    const int index = LineIndex(address);
    if (index < 0 || instance < 0 || std::size_t(instance) >= FState[index].Working.size() ||
        !ValidValue(std::size_t(index), raw))
        return false;
    FState[index].Working[instance] = raw;
    return true;
}

bool TVirtualDevice::IsHidden(std::uint16_t address) const {
    const int index = LineIndex(address);
    return index >= 0 && Hidden(static_cast<std::size_t>(index));
}

std::string TVirtualDevice::TraceLine(const char* who, const TBytes& bytes) {
    std::string line = who;
    line += ':';
    char hex[4];
    for (unsigned char b : bytes) {
        std::snprintf(hex, sizeof hex, " %02X", b);
        line += hex;
    }
    return line;
}

void TVirtualDevice::Trace(const char* who, const TBytes& bytes) {
    if (FTrace)
        FTrace(TraceLine(who, bytes));
}

} // namespace kelvo
