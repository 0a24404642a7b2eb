#pragma once
// A small document type and a scratch directory for the file-type tests.
#include "foundation/filetype/filetype.h"
#include "foundation/stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvo::test {

// Holds a text; writes it in chunks the way a document writes its records,
// ignoring what each write returns.
class TTextDocument : public TFileType {
public:
    std::string Text;
    std::size_t ChunkSize = 16;
    int ThrowAfterChunks = -1; // < 0: never

    std::uint32_t Category() const override { return 0; }
    std::string GetTypeName() const override { return "Text document"; }
    std::string GetReadExtensions() const override { return ".txt.dat"; }
    std::string GetWriteExtensions() const override { return ".txt.dat"; }
    bool IsEmpty() const override { return Text.empty(); }
    void Clear() override {
        TFileType::Clear();
        Text.clear();
    }
    void DoRead(TFileAccess& access) override {
        char buffer[64];
        TStream& s = *access.Reader.GetStream();
        for (std::int32_t n; (n = s.Read(buffer, sizeof buffer)) > 0;)
            Text.append(buffer, static_cast<std::size_t>(n));
    }
    void DoWrite(TFileAccess& access, bool) override {
        if (!access.OpenWrite())
            return;
        TStream& s = *access.Writer.GetStream();
        int chunks = 0;
        for (std::size_t at = 0; at < Text.size(); at += ChunkSize) {
            if (chunks++ == ThrowAfterChunks)
                throw std::runtime_error("interrupted");
            const auto n = static_cast<std::int32_t>(std::min(ChunkSize, Text.size() - at));
            s.Write(Text.data() + at, n);
        }
        access.Writer.Finish(0);
    }
};

class TScratchDir {
public:
    TScratchDir() {
        std::string pattern = testing::TempDir() + "kelvo-ft-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!::mkdtemp(buffer.data()))
            throw std::runtime_error("no scratch directory");
        Path = buffer.data();
    }
    ~TScratchDir() { std::filesystem::remove_all(Path); }
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;

    std::string operator/(const std::string& name) const { return Path + "/" + name; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Path))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    bool HasTempFile() const {
        for (const auto& n : Names())
            if (n.starts_with("TMP"))
                return true;
        return false;
    }

    std::string Path;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void Spit(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

} // namespace kelvo::test
