#include "translations/mlparas.h"

#include "foundation/mediastm.h"
#include "foundation/stream.h"
#include "translations/mltoken.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fnmatch.h>
#include <system_error>

namespace kelvo {

namespace {

constexpr const char* TranslationFilePattern = "*.l*";

} // namespace

const TMlpara* TMlparas::At(int position) const {
    if (position < 0 || position >= Count())
        return nullptr;
    return FList.EntryAt(position);
}

int TMlparas::LoadFile(const std::string& path, int* endResult) {
    TFileStream file(path, TFileStream::OpenRead);
    if (!file.IsOpen())
        return -1;
    TTrueStreamBuffer lines(file);
    lines.Resize(LineBufferCapacity);

    int added = 0;
    for (;;) {
        auto* paragraph = new TMlpara;
        FList.Append(paragraph->Node);
        int entries;
        try {
            entries = paragraph->Read(lines, path);
        } catch (...) {
            delete paragraph; // leaves the list with it
            throw;
        }
        if (entries <= 0) {
            delete paragraph;
            if (endResult)
                *endResult = entries;
            break;
        }
        ++added;
    }
    return added;
}

int TMlparas::Load(const std::string& directory) {
    FLoaded = true;
    int added = 0;
    for (const std::string& path :
         TranslationFiles(directory.empty() ? DataDirectory() : directory)) {
        try {
            const int n = LoadFile(path);
            if (n > 0)
                added += n;
        } catch (const std::exception&) {
            // A file that breaks the reader is skipped like one that cannot be opened.
        }
    }
    return added;
}

TMlparas& Mlparas() {
    static TMlparas paragraphs;
    return paragraphs;
}

std::string ProgramDirectory() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return ".";
    return exe.parent_path().string();
}

std::string DataDirectory() {
    return DataDirectoryOf(ProgramDirectory());
}

std::string DataDirectoryOf(const std::string& programDirectory) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // The build copies the data next to the programs; an installed program
    // finds it in share/kelvo beside its bin directory.
    if (fs::is_regular_file(fs::path(programDirectory) / "help" / "index.html", ec))
        return programDirectory;
    const fs::path installed = fs::path(programDirectory) / ".." / "share" / "kelvo";
    if (fs::is_directory(installed, ec))
        return fs::weakly_canonical(installed, ec).string();
    return programDirectory;
}

std::vector<std::string> TranslationFiles(const std::string& directory) {
    std::vector<std::string> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(directory, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (fnmatch(TranslationFilePattern, name.c_str(), 0) == 0 && it->is_regular_file(typeError))
            files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace kelvo
