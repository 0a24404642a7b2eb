// What the bounds of an expanded dialog cost at worst: loading a small file
// whose groups expand to just under a million entries, and refusing the file
// of one count of 100 over 60,000 member lines.
#include "foundation/filetype/fileaccess.h"
#include "model/kelvofile.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/resource.h>

using namespace kelvo;

namespace {

using Clock = std::chrono::steady_clock;

void AppendRecord(std::vector<std::uint8_t>& b, std::uint16_t address, std::uint16_t flags,
                  std::uint16_t layout, const std::string& caption, const std::int32_t* value) {
    for (std::uint16_t w : {address, flags, layout}) {
        b.push_back(std::uint8_t(w & 0xFF));
        b.push_back(std::uint8_t(w >> 8));
    }
    b.insert(b.end(), caption.begin(), caption.end());
    b.push_back(0);
    if (value)
        for (int i = 0; i < 4; ++i)
            b.push_back(std::uint8_t(std::uint32_t(*value) >> (8 * i)));
}

// groups counts of 100, each over members Long lines.
std::vector<std::uint8_t> GroupFile(int groups, int members) {
    std::vector<std::uint8_t> b;
    const std::int32_t count = 100;
    const std::int32_t zero = 0;
    for (int g = 0; g < groups; ++g) {
        AppendRecord(b, std::uint16_t(g), 0, 0x0400, "Count", &count);
        for (int m = 0; m < members; ++m)
            AppendRecord(b, std::uint16_t(100 + m), 0, 0x0800, "Value %d{i}", &zero);
    }
    return b;
}

void Load(const char* what, const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream;
    stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.SetPosition(0);
    TFileAccess access("Open File");
    access.Reader.Init(&stream, "bench.dat");
    TFileTypeKelvo doc;
    const auto start = Clock::now();
    doc.Read(access);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%-44s %7zu KB file  %8d entries  %8.1f ms  peak %6ld MB\n", what,
                bytes.size() / 1024, doc.Entries.Count(), seconds * 1000.0, usage.ru_maxrss / 1024);
}

} // namespace

int main() {
    // First the refusal, so that the peak memory it shows is its own.
    Load("count 100 over 60,000 lines (refused)", GroupFile(1, 60000));
    Load("2 counts of 100 over 4,096 lines", GroupFile(2, 4096));
    Load("3 counts of 100 over 3,300 lines (990,003)", GroupFile(3, 3300));
    Load("3 counts of 100 over 3,400 lines (refused)", GroupFile(3, 3400));
    return 0;
}
