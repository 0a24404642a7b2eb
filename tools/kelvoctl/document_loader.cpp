#include "tools/kelvoctl/document_loader.h"

#include "shell/fileaccess.h"

#include <filesystem>
#include <iostream>

namespace kelvo::ctl {

namespace {

// The editor accepts every category but the highest bit; so does the tool.
constexpr std::uint32_t ExcludedCategories = ~0x80000000u;

} // namespace

std::string NotFoundMessage(const std::string& name) {
    return "File \"" + name + "\" not found!";
}

std::string InvalidMessage(const std::string& name) {
    return "Invalid File \"" + name + "\"!";
}

TLoadResult LoadDocument(const std::string& name, TPtr<TFileTypeKelvo>& document) {
    std::error_code error;
    if (!std::filesystem::exists(name, error))
        return TLoadResult::NotFound;
    if (std::filesystem::is_directory(name, error))
        return TLoadResult::Invalid;

    RegisterKelvoFileType();
    TFileAccess access("Open File");
    access.Reader.Init(nullptr, name);
    TPtr<TFileType> found;
    if (!TFileType::FindReader(access, found, ExcludedCategories))
        return TLoadResult::Invalid;
    auto* kelvo = dynamic_cast<TFileTypeKelvo*>(found.Get());
    if (!kelvo)
        return TLoadResult::Invalid;
    found.Release();
    document.Reset(kelvo);
    return TLoadResult::Loaded;
}

bool LoadDocumentOrReport(const std::string& name, TPtr<TFileTypeKelvo>& document) {
    switch (LoadDocument(name, document)) {
    case TLoadResult::NotFound:
        std::cerr << NotFoundMessage(name) << "\n";
        return false;
    case TLoadResult::Invalid:
        std::cerr << InvalidMessage(name) << "\n";
        return false;
    case TLoadResult::Loaded:
        break;
    }
    return true;
}

} // namespace kelvo::ctl
