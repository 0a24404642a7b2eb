#pragma once
// One direction of a file transfer: opens the file, writes through a temporary
// file next to the target so that the old file survives anything short of a
// complete write, asks before replacing, refuses read-only targets, and counts
// files, bytes and errors.
#include "foundation/filetype/fileinfo.h"
#include "foundation/stream.h"
#include "foundation/utilcls.h"

#include <cstdint>
#include <string>

namespace kelvo {

class TFileAccess;

class TFileCounts {
public:
    // Reading opens the file and lets others only read; any mode with one of
    // its two low bits set creates the file.
    static constexpr std::uint16_t ModeRead = 0x0020;
    static constexpr std::uint16_t ModeWrite = 0xFFFF;

    // Beyond the message-box results (6 yes, 7 no, 2 cancel) the replace
    // answer knows two presets that suppress the question.
    static constexpr int ReplaceWithoutAsking = 13;
    static constexpr int NeverReplace = 11;

    explicit TFileCounts(std::uint16_t mode, TFileAccess* owner = nullptr);
    ~TFileCounts();
    TFileCounts(const TFileCounts&) = delete;
    TFileCounts& operator=(const TFileCounts&) = delete;

    TFileInfo* Info = nullptr; // updated when a transfer ends; not owned
    std::int64_t Size = 0;     // bytes of data in the stream, 0 = unlimited; < 0 fails Open
    std::int64_t Start = 0;    // stream position where the data begins
    std::string Name;
    std::string AltName;               // takes precedence over Name when not empty
    TStream* ExternalStream = nullptr; // the caller's stream; no file is opened then
    TPtr<TFileStream> FileStream;
    std::string TempName; // the file written in place of the target
    std::uint16_t Mode;
    TPtr<TStream> OwnedStream; // a substitute that takes precedence over both others
    std::int64_t LastCount = 0;
    std::int64_t TotalBytes = 0;
    std::int32_t FileCount = 0;
    std::int32_t DeclinedCount = 0;
    std::int32_t ErrorCount = 0;
    int ReadErrorAnswer = 0; // 0 while the message was not shown
    int WriteErrorAnswer = 0;
    int ReplaceAnswer = 0; // 0 = not asked yet
    TFileAccess* Owner;    // its caption titles every message

    void Init(TStream* stream, const std::string& name);
    void SetStart(std::int64_t position);
    void SeekStart();
    TStream* GetStream() const;
    const std::string& GetName() const;
    void SetName(const std::string& name);
    bool IsWriting() const { return (Mode & 0x0003) != 0; }
    bool MayReplace() const { return ReplaceAnswer == 6 || ReplaceAnswer == ReplaceWithoutAsking; }

    // Opens the stream for the transfer. A file that cannot be read is
    // reported; a refused target counts as declined; a temporary file that
    // cannot be created fails silently. A write goes through symbolic links
    // to the file they lead to; a target that is not a file (a directory, a
    // device, a pipe) gets the write error and is left alone.
    bool Open();
    // Ends the transfer: counts it, describes the new file in Info and puts it
    // in place. A write the disk did not take completely is thrown away, so
    // the old file stays, and it counts as an error with no bytes.
    std::int64_t Finish(std::int64_t count);
    // Closes the written file and moves it over the target, the old file
    // becoming the backup. False when the new file could not be put in place;
    // the target is then as it was.
    bool Commit();
    // Closes the file and removes the temporary file; the target is untouched.
    void Abort();

    // The messages of a failed read and of a write that produced nothing.
    int ShowReadError();
    int ShowWriteError();

private:
    // The file a write replaces: the name with its symbolic links followed.
    std::string WriteTarget;

    std::string Caption() const;
    bool RefusedAsReadOnly(const std::string& path);
    bool OpenFileForReading();
    bool OpenTempFileForWriting();
    bool CreateTempFile(const std::string& target);
    void RemoveTempFile();
};

} // namespace kelvo
