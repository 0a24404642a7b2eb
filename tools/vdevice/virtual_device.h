#pragma once
// The device side of the half-duplex link: parses what the PC sends, byte by
// byte, and produces the echo and the device's answers. No clock, no threads:
// the same bytes in always give the same bytes out.
#include "tools/vdevice/demo_dialog.h"
#include "tools/vdevice/sim_line_record.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kelvo {

enum class TAnswerMode { Frame, Conti };

struct TVirtualDeviceOptions {
    // Frame: a complete command is answered at once with its first answer frame.
    // Conti: it is answered CONTI and the data are fetched with CONTI polls.
    TAnswerMode AnswerMode = TAnswerMode::Frame;
    int Busy = 0;         // REPWT to the first N messages of every conversation
    int DropEvery = 0;    // every K-th PC message: acted on, echo and answer lost
    int CorruptEvery = 0; // every K-th reply frame gets one CRC bit flipped
    int SilentAfter = -1; // after N PC messages nothing more comes back; <0: never
};

struct TVirtualDeviceCounters {
    long Messages = 0;       // PC messages seen (control codes, frames, stray bytes)
    long DamagedFrames = 0;  // frames or stray bytes that got no answer
    long RepeatedFrames = 0; // frames answered again from the repeat memory
    long Commands = 0;       // commands executed
    long Rejected = 0;       // commands answered with ABORT
    long BusyAnswers = 0;
    long Dropped = 0;
    long Corrupted = 0;
    long Silenced = 0;
    long ReplyFrames = 0;
};

class TVirtualDevice {
public:
    enum : unsigned char {
        CodeReady = 0x74,
        CodeAbort = 0x69,
        CodeStart = 0x9D,
        CodeFinis = 0xA7,
        CodeConti = 0xBA,
        CodeRepim = 0xCE,
        CodeRepwt = 0xD3,
    };
    static constexpr std::size_t MaxFrameData = 28;
    static constexpr int GroupInstances = 100;

    explicit TVirtualDevice(TSimDialog dialog = BuiltinDemoDialog(),
                            TVirtualDeviceOptions options = {});

    // Takes bytes from the line; returns what the device puts back (echo first,
    // then the answer of every message these bytes completed).
    TBytes Feed(const unsigned char* data, std::size_t count);
    TBytes Feed(const TBytes& data) { return Feed(data.data(), data.size()); }
    // A pause on the line: a message begun but not finished is given up (no answer).
    void InputGap();
    // True while a message has begun but is not complete yet.
    bool ReceivingMessage() const { return !FIncoming.empty(); }

    TVirtualDeviceOptions& Options() { return FOptions; }
    const TVirtualDeviceCounters& Counters() const { return FCounters; }
    // One call per PC message ("PC: 74") and per reply ("DEV: 74").
    void SetTraceSink(std::function<void(const std::string&)> sink) { FTrace = std::move(sink); }

    // Values as the device holds them; instance is IndexI for group members.
    // Null when the address is unknown or the instance out of range.
    const TBytes* WorkingValue(std::uint16_t address, int instance = 0) const;
    const TBytes* StoredValue(std::uint16_t address, int instance = 0) const;
    bool SetWorkingValue(std::uint16_t address, int instance, const TBytes& raw);
    bool IsHidden(std::uint16_t address) const;
    const TSimDialog& Dialog() const { return FDialog; }
    bool ConversationOpen() const { return FConversation; }
    // The device's message counter d.
    int MessageCounter() const { return FCounter; }

    static std::string TraceLine(const char* who, const TBytes& bytes);

private:
    struct TLineState {
        std::vector<TBytes> Working; // one per instance (1, or 100 for group members)
        std::vector<TBytes> Stored;
        unsigned Reads = 0; // drives the drift of live lines
    };
    enum class TCheck { Incomplete, Complete, Bad };

    void StartMessage();
    void FinishMessage();
    TBytes Answer(const TBytes& message);
    TBytes AnswerControl(unsigned char code);
    TBytes AnswerFrame(const TBytes& frame);
    TBytes StartAnswer();
    TBytes NextAnswerFrame();
    TBytes BuildFrame(int number, const unsigned char* data, std::size_t count) const;
    TBytes Reject();
    void DropCommand();
    TCheck CheckCommand() const;
    void Execute();
    void ExecuteDownload(std::uint16_t wanted);
    void ExecuteRead(std::size_t line, int instance);
    void ExecuteWrite(std::size_t line, int instance, const TBytes& raw);
    // The value bytes of a write to line index: Complete when they are one
    // value the line takes, Incomplete while more may come.
    TCheck CheckValue(std::size_t index, const unsigned char* data, std::size_t size) const;
    bool ValidValue(std::size_t index, const TBytes& raw) const;
    void Drift(std::size_t line, TBytes& raw);
    int LineIndex(std::uint16_t address) const;
    bool Hidden(std::size_t line) const;
    void Trace(const char* who, const TBytes& bytes);

    TSimDialog FDialog;
    std::vector<TLineState> FState; // parallel to FDialog.Lines
    TVirtualDeviceOptions FOptions;
    TVirtualDeviceCounters FCounters;
    std::function<void(const std::string&)> FTrace;

    // Input parsing: the message being received and how long it will be.
    TBytes FIncoming;
    std::size_t FIncomingWanted = 0;
    bool FIncomingSilent = false;
    bool FIncomingDropped = false;

    // Conversation.
    bool FConversation = false;
    int FCounter = 0; // d
    int FBusyLeft = 0;
    TBytes FCommand; // command under construction
    TBytes FAnswer;  // answer data still to be sent
    std::size_t FAnswerPos = 0;
    TBytes FLastReply;
    TBytes FLastFrame; // previous accepted frame and what it was answered
    TBytes FLastFrameReply;
    bool FHaveLastFrame = false;
};

} // namespace kelvo
