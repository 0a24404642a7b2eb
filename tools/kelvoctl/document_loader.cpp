#include "tools/kelvoctl/document_loader.h"

#include "foundation/filetype/fileaccess.h"
#include "foundation/stream.h"
#include "model/dlgline.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

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
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) {
        std::cerr << InvalidMessage(name) << " (it is a directory)\n";
        return false;
    }
    if (std::filesystem::exists(name, error)) {
        std::ifstream probe(name, std::ios::binary);
        if (!probe) {
            std::cerr << "File \"" << name << "\" could not be read! (" << std::strerror(errno)
                      << ")\n";
            return false;
        }
    }
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

std::string IncompleteFileWarning(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    const std::string data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    TMemoryStream stream;
    stream.Write(data.data(), static_cast<std::int32_t>(data.size()));
    stream.SetPosition(0);
    const auto size = static_cast<std::int64_t>(data.size());
    std::int64_t end = 0;
    int lines = 0;
    try {
        for (;;) {
            TDlgline line;
            if (end >= size || line.Read(stream) < 0)
                break;
            end = stream.Position();
            ++lines;
        }
    } catch (const std::exception&) {
        // What was read stands; the rest is not a record.
    }
    if (end >= size)
        return {};
    const std::string read =
        ": " + std::to_string(lines) + (lines == 1 ? " line" : " lines") + " read";
    // A record cut short runs into the end of the file; other bytes that are
    // no record stop the reading before it.
    if (stream.Position() >= size)
        return "file ends inside the record at byte " + std::to_string(end) + read;
    return "file holds " + std::to_string(size - end) + " bytes after its last record at byte " +
           std::to_string(end) + read;
}

bool LoadDocumentAndWarn(const char* command, const std::string& name,
                         TPtr<TFileTypeKelvo>& document) {
    if (!LoadDocumentOrReport(name, document))
        return false;
    if (const std::string warning = IncompleteFileWarning(name); !warning.empty())
        std::cerr << "kelvoctl " << command << ": " << name << ": " << warning << "\n";
    return true;
}

} // namespace kelvo::ctl
