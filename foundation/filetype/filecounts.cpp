#include "foundation/filetype/filecounts.h"

#include "foundation/exception.h"
#include "foundation/filetype/fileaccess.h"
#include "foundation/filetype/filenames.h"
#include "foundation/prompt.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelvo {

namespace {

constexpr const char* CouldNotBeRead = "\"\ncould not be read!";
constexpr const char* CouldNotBeWritten =
    "\"\ncould not be written!\nDrive is full or write protected!";
constexpr const char* AlreadyReadOnly = "\"\nalready exists and is read-only!";
constexpr const char* ExistsReplace = "\"\nexists! Replace?";

int AskAbout(const std::string& caption, const std::string& fileName, const char* closing,
             TPromptIcon icon, TPromptButtons buttons) {
    return Prompt().Ask(caption, "File \"" + fileName + closing, icon, buttons);
}

bool Exists(const std::string& path, struct stat* st = nullptr) {
    struct stat local {};
    return ::stat(path.c_str(), st ? st : &local) == 0;
}

// Where a write to path lands: the file at the end of its symbolic links (a
// link whose file is missing leads to where that file would be). Nothing when
// the links go round in circles.
std::optional<std::string> FollowLinks(std::string path) {
    constexpr int MaxLinks = 40; // as the kernel allows before ELOOP
    for (int hops = 0; hops <= MaxLinks; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::error_code error;
        const std::string link = std::filesystem::read_symlink(path, error).string();
        if (error || link.empty())
            return std::nullopt;
        path = link.front() == '/' ? link : ExtractFileDir(path) + link;
    }
    return std::nullopt;
}

// Only a plain file can be replaced by another one: renaming over a
// directory, a device or a pipe would destroy or displace something that is
// not a saved document.
bool ExistsAsOtherThanFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode);
}

} // namespace

TFileCounts::TFileCounts(std::uint16_t mode, TFileAccess* owner) : Mode(mode), Owner(owner) {}

TFileCounts::~TFileCounts() {
    Abort();
}

void TFileCounts::Init(TStream* stream, const std::string& name) {
    Abort();
    ReadErrorAnswer = WriteErrorAnswer = ReplaceAnswer = 0;
    OwnedStream.Reset();
    AltName.clear();
    ExternalStream = stream;
    Name = name;
    Size = Start = LastCount = 0;
    if (stream)
        SetStart(stream->Position());
}

void TFileCounts::SetStart(std::int64_t position) {
    Start = position;
    SeekStart();
}

void TFileCounts::SeekStart() {
    if (TStream* s = GetStream())
        s->SetPosition(Start);
}

TStream* TFileCounts::GetStream() const {
    if (OwnedStream)
        return OwnedStream.Get();
    if (ExternalStream)
        return ExternalStream;
    return FileStream.Get();
}

const std::string& TFileCounts::GetName() const {
    return AltName.empty() ? Name : AltName;
}

void TFileCounts::SetName(const std::string& name) {
    if (OwnedStream)
        AltName = name;
    else
        Name = name;
}

std::string TFileCounts::Caption() const {
    return Owner ? Owner->Caption : std::string();
}

int TFileCounts::ShowReadError() {
    ReadErrorAnswer =
        AskAbout(Caption(), GetName(), CouldNotBeRead, TPromptIcon::Error, TPromptButtons::Ok);
    return ReadErrorAnswer;
}

int TFileCounts::ShowWriteError() {
    WriteErrorAnswer =
        AskAbout(Caption(), GetName(), CouldNotBeWritten, TPromptIcon::Error, TPromptButtons::Ok);
    return WriteErrorAnswer;
}

bool TFileCounts::RefusedAsReadOnly(const std::string& path) {
    struct stat st {};
    if (!Exists(path, &st) || (st.st_mode & S_IWUSR) != 0)
        return false;
    AskAbout(Caption(), path, AlreadyReadOnly, TPromptIcon::Error, TPromptButtons::Ok);
    return true;
}

void TFileCounts::RemoveTempFile() {
    WriteTarget.clear();
    if (TempName.empty())
        return;
    ::unlink(TempName.c_str());
    TempName.clear();
}

bool TFileCounts::CreateTempFile(const std::string& target) {
    std::string pattern = ExtractFileDir(target) + "TMPXXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0)
        return false;
    // The new file takes the old one's place, so it gets the old one's
    // permissions; a new target gets what any newly created file would.
    struct stat st {};
    mode_t permissions;
    if (Exists(target, &st)) {
        permissions = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = 0666 & ~mask;
    }
    ::fchmod(fd, permissions);
    ::close(fd);
    TempName = buffer.data();
    return true;
}

bool TFileCounts::OpenFileForReading() {
    struct stat st {};
    if (!Exists(GetName(), &st) || S_ISDIR(st.st_mode)) {
        ShowReadError();
        return false;
    }
    TPtr<TFileStream> file(new TFileStream(GetName(), TFileStream::OpenRead));
    if (!file->IsOpen()) {
        ShowReadError();
        return false;
    }
    FileStream = std::move(file);
    return true;
}

bool TFileCounts::OpenTempFileForWriting() {
    if (GetName().empty())
        return false;
    if (ExtractFileDir(GetName()).empty())
        SetName(std::filesystem::current_path().string() + "/" + GetName());
    // Saving onto a symbolic link replaces the file it leads to, with the
    // temporary file and the backup beside that file; the link stays.
    const std::optional<std::string> resolved = FollowLinks(GetName());
    if (!resolved || ExistsAsOtherThanFile(*resolved) ||
        ExistsAsOtherThanFile(BackupFileName(*resolved))) {
        ShowWriteError();
        return false;
    }
    const std::string target = *resolved;
    if (RefusedAsReadOnly(target) || RefusedAsReadOnly(BackupFileName(target)))
        return false;
    if (ReplaceAnswer != NeverReplace && ReplaceAnswer != ReplaceWithoutAsking) {
        if (Exists(target))
            ReplaceAnswer = AskAbout(Caption(), GetName(), ExistsReplace, TPromptIcon::Question,
                                     TPromptButtons::YesNoCancel);
        else
            ReplaceAnswer = IdYes;
    }
    if (!MayReplace()) {
        ++DeclinedCount;
        return false;
    }
    if (!CreateTempFile(target))
        return false;
    WriteTarget = target;
    TPtr<TFileStream> file(new TFileStream(TempName, TFileStream::Create));
    if (!file->IsOpen()) {
        const std::string reason = std::strerror(file->Error());
        const std::string name = TempName;
        RemoveTempFile();
        throw EStreamError("Cannot create file \"" + name + "\". " + reason);
    }
    FileStream = std::move(file);
    return true;
}

bool TFileCounts::Open() {
    if (Size < 0)
        return false;
    if (!GetStream()) {
        OwnedStream.Reset();
        AltName.clear();
        Size = Start = LastCount = 0;
        RemoveTempFile();
        if (!(IsWriting() ? OpenTempFileForWriting() : OpenFileForReading()))
            return false;
        Start = FileStream->Position();
        Size = FileStream->Size();
    }
    if (Size == 0)
        return true;
    const std::int64_t position = GetStream()->Position();
    return position >= Start && position <= Start + Size;
}

std::int64_t TFileCounts::Finish(std::int64_t count) {
    TStream* stream = GetStream();
    const bool hadStream = stream != nullptr;
    if (count != 0)
        LastCount = count;
    else
        LastCount = stream ? stream->Position() - Start : 0;

    // A file of ours that is only partly on the disk must not replace anything.
    const bool writesFile = IsWriting() && FileStream;
    bool complete = true;
    if (writesFile)
        complete = LastCount > 0 && FileStream->Error() == 0 && FileStream->Sync();

    // Described while the new file is still open, so that Info tells about the
    // file just written rather than the one it replaces.
    TFileInfo described;
    if (Info && complete)
        described.SetFromStream(GetName(), stream, LastCount);

    if (writesFile) {
        if (complete)
            complete = Commit();
        else
            Abort();
    }
    if (!complete)
        LastCount = 0;

    if (LastCount > 0) {
        TotalBytes += LastCount;
        ++FileCount;
    } else if (hadStream && MayReplace()) {
        ++ErrorCount;
    }
    if (Info && complete)
        *Info = described;
    return LastCount;
}

bool TFileCounts::Commit() {
    if (!IsWriting() || !FileStream)
        return true;
    FileStream.Reset();
    if (TempName.empty())
        return true;
    const std::string target = WriteTarget.empty() ? GetName() : WriteTarget;
    const bool replacing = Exists(target);
    const std::string backup = BackupFileName(target);
    // rename replaces an older backup in one step, so a backup exists at every moment.
    if (replacing && std::rename(target.c_str(), backup.c_str()) != 0) {
        RemoveTempFile();
        return false;
    }
    if (std::rename(TempName.c_str(), target.c_str()) != 0) {
        if (replacing)
            std::rename(backup.c_str(), target.c_str());
        RemoveTempFile();
        return false;
    }
    TempName.clear();
    WriteTarget.clear();
    return true;
}

void TFileCounts::Abort() {
    FileStream.Reset();
    RemoveTempFile();
}

} // namespace kelvo
