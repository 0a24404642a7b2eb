// Runs a fuzz target over files, or over every file below a folder, so that a
// corpus can be replayed without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    // Every prefix too: cut-short input is where parsers go wrong.
    for (std::size_t n = 0; n < bytes.size(); n += 1 + bytes.size() / 64)
        LLVMFuzzerTestOneInput(bytes.data(), n);
}

} // namespace

int main(int argc, char** argv) {
    std::size_t files = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
                if (entry.is_regular_file()) {
                    RunFile(entry.path());
                    ++files;
                }
        } else {
            RunFile(path);
            ++files;
        }
    }
    std::printf("%zu files replayed\n", files);
    return files > 0 ? 0 : 1;
}
