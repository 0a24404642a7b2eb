#include "foundation/filetype/filetype.h"

#include "foundation/exception.h"
#include "foundation/filetype/filenames.h"
#include "foundation/stream.h"

namespace kelvo {

namespace {

constexpr TFileTypeCreator NoCreators[] = {nullptr};
const TFileTypeCreator* Registry = NoCreators;

} // namespace

const TFileTypeCreator* FileTypeRegistry() {
    return Registry;
}

const TFileTypeCreator* SetFileTypeRegistry(const TFileTypeCreator* table) {
    const TFileTypeCreator* old = Registry;
    Registry = table ? table : NoCreators;
    return old;
}

TFileType::TFileType() {
    Info.SetNoFile(0);
}

TFileType::~TFileType() = default;

void TFileType::Clear() {
    Info.SetNoFile(0);
}

void TFileType::DoRead(TFileAccess&) {}

void TFileType::DoWrite(TFileAccess&, bool) {}

bool TFileType::IsEmpty() const {
    return true;
}

std::string TFileType::GetWriteExtensions() const {
    return {};
}

bool TFileType::TryRead(TFileAccess&, int accept) {
    return accept != 0;
}

bool TFileType::CanWrite(const TFileType& source) const {
    return &source == this && !IsEmpty();
}

std::int64_t TFileType::CopyStream(TStream& source, std::int64_t count, const std::string&,
                                   TStream& destination) {
    return destination.CopyFrom(source, count);
}

std::uint8_t TFileType::ReservedQuery() const {
    return 2;
}

std::string TFileType::GetInfoText() const {
    return Info.GetInfoText() + "\n\nFile type:\t" + GetTypeName();
}

void TFileType::ReservedHook() {}

void TFileType::Idle(void*, bool&) {}

void TFileType::SetFileName(const std::string& name) {
    Info.Name = name;
}

void TFileType::Read(TFileAccess& access) {
    Clear();
    const std::string name = access.Reader.GetName();
    if (CanReadName(name) && access.OpenRead()) {
        access.Reader.Info = &Info;
        DoRead(access);
        access.Reader.Finish(0);
    }
}

void TFileType::Write(TFileAccess& access) {
    const std::string name = access.Writer.GetName();
    if (!CanWriteName(name))
        return;
    access.Writer.Info = &Info;
    try {
        DoWrite(access, true);
    } catch (...) {
        access.Writer.Abort();
        throw;
    }
}

bool TFileType::CanReadName(const std::string& name) const {
    return MatchExtension(GetReadExtensions(), name);
}

bool TFileType::CanWriteName(const std::string& name) const {
    return MatchExtension(GetWriteExtensions(), name);
}

void TFileType::Assign(const TFileType& source) {
    if (&source != this)
        throw Exception("TFileType::Assign!");
}

bool TFileType::FindReader(TFileAccess& access, TPtr<TFileType>& result,
                           std::uint32_t excludedCategories) {
    if (!access.Reader.Open())
        return false;
    TPtr<TFileType> candidate;
    for (const TFileTypeCreator* creator = FileTypeRegistry(); *creator; ++creator) {
        candidate.Reset((*creator)());
        if (!candidate || (candidate->Category() & excludedCategories) != 0)
            continue;
        candidate->SetFileName(access.Reader.GetName());
        const bool accepted = candidate->TryRead(access, 0);
        access.Reader.SeekStart();
        if (accepted) {
            result = std::move(candidate);
            return true;
        }
    }
    return false;
}

bool TFileType::FindWriter(const TFileType& categoryGiver, TPtr<TFileType>& result,
                           const std::string& name, TFileType& source) {
    if (source.CanWriteName(name) && source.CanWrite(source)) {
        source.SetFileName(name);
        return true;
    }
    TPtr<TFileType> candidate;
    for (const TFileTypeCreator* creator = FileTypeRegistry(); *creator; ++creator) {
        candidate.Reset((*creator)());
        if (!candidate || candidate->Category() != categoryGiver.Category() ||
            !candidate->CanWriteName(name) || !candidate->CanWrite(source))
            continue;
        candidate->Assign(source);
        candidate->SetFileName(name);
        result = std::move(candidate);
        return true;
    }
    return false;
}

} // namespace kelvo
