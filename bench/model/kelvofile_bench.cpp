// Speed of the Kelvo document with a large dialog: loading and post-processing
// a data file of 100,000 lines, saving it, rebuilding the rows and sorting them.
#include "model/dlglinevalue_choice.h"
#include "model/kelvofile.h"
#include "shell/fileaccess.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

using namespace kelvo;

namespace {

constexpr int LineCount = 100000;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void Report(const char* what, double seconds, std::int64_t bytes = 0) {
    std::printf("%-34s %9.3f ms", what, seconds * 1000.0);
    if (bytes > 0)
        std::printf("  %8.1f MB/s", double(bytes) / seconds / 1e6);
    std::printf("\n");
}

// A dialog of LineCount lines: plain values of every kind, every tenth line
// with a separator, and repeated groups of 10 members written with all their
// instances, as a saved document holds them.
void BuildDialog(TFileTypeKelvo& doc) {
    int written = 0;
    std::uint16_t address = 1;
    auto add = [&](std::uint16_t flags, std::uint16_t layout, const std::string& caption) {
        TFileTypeKelvo::TEntry e(&doc);
        e.Address = address;
        e.Flags = flags;
        e.Layout = layout;
        e.SetCaptionText(caption);
        e.CreateValue(e.Kind());
        doc.Entries.push_back(e);
        ++written;
        return &doc.Entries.back();
    };
    while (written < LineCount) {
        if (written % 1000 == 0 && LineCount - written > 1001) {
            TFileTypeKelvo::TEntry* count = add(0x0000, 0x0400, "Channels");
            count->Value->SetLong(100);
            ++address;
            for (int instance = 0; instance < 100; ++instance)
                for (int m = 0; m < 10; ++m) {
                    address = std::uint16_t(1000 + m);
                    add(std::uint16_t(m == 0 ? 0x0080 : 0x0001), 0x0800,
                        "Channel %d{1+i} value " + std::to_string(m))
                        ->Value->SetLong(instance * 10 + m);
                }
            address = std::uint16_t(2000 + written % 20000);
            continue;
        }
        const int kind = written % 4;
        TFileTypeKelvo::TEntry* e =
            add(std::uint16_t((kind << 8) | (written % 10 == 0 ? 0x0080 : 0) | (written % 3)), 0,
                "Parameter number " + std::to_string(written));
        if (kind == KindChoice)
            static_cast<TDlglineValueChoice&>(*e->Value).SetChoices(
                std::vector<std::string>{"Off", "On", "Auto"});
        else if (kind == KindText)
            e->Value->SetText("text " + std::to_string(written));
        else
            e->Value->SetText(std::to_string(written));
        ++address;
    }
}

} // namespace

int main() {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kelvo_bench_" + std::to_string(::getpid()) + ".dat"))
                                 .string();
    std::int64_t bytes = 0;
    {
        TFileTypeKelvo source;
        BuildDialog(source);
        TFileAccess access("Save File");
        access.Writer.Init(nullptr, path);
        access.Writer.ReplaceAnswer = TFileCounts::ReplaceWithoutAsking;
        const auto t = Clock::now();
        source.Write(access);
        bytes = access.Writer.LastCount;
        Report("save 100,000 lines", Seconds(t), bytes);
    }

    TFileTypeKelvo doc;
    TFileAccess access("Open File");
    access.Reader.Init(nullptr, path);
    auto t = Clock::now();
    doc.Read(access);
    Report("load + post-process 100,000 lines", Seconds(t), bytes);
    std::printf("%-34s %d entries, %d rows, %lld bytes\n", "  loaded", doc.Entries.Count(),
                doc.List().GetRowCount(), static_cast<long long>(bytes));

    t = Clock::now();
    doc.RebuildDisplay();
    Report("full row rebuild", Seconds(t));

    t = Clock::now();
    doc.List().SortByColumn(1);
    Report("sort by another column", Seconds(t));
    t = Clock::now();
    doc.List().SortByColumn(1);
    Report("reverse (same column again)", Seconds(t));

    t = Clock::now();
    std::size_t chars = 0;
    for (int row = 0; row < doc.List().GetRowCount(); ++row)
        chars += doc.GetEntry(row)->GetText(0).size() + doc.GetEntry(row)->GetText(1).size();
    Report("texts of every row", Seconds(t));

    t = Clock::now();
    const std::string text = CopyLinesText(doc, true);
    Report("copy all lines text", Seconds(t), std::int64_t(text.size()));

    std::filesystem::remove(path);
    return chars > 0 ? 0 : 1;
}
