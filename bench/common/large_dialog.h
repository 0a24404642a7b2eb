#pragma once
// The large dialog the benchmarks load, show and sort: plain values of every
// kind, every tenth line with a separator, and repeated groups of 10 members
// written with all their instances, as a saved document holds them.
#include "foundation/filetype/fileaccess.h"
#include "model/dlglinevalue_choice.h"
#include "model/kelvofile.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace kelvo::bench {

inline void BuildDialog(TFileTypeKelvo& doc, int lineCount) {
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
    while (written < lineCount) {
        if (written % 1000 == 0 && lineCount - written > 1001) {
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

// Saves a dialog of lines to path; the bytes written, 0 on failure.
inline std::int64_t SaveDialog(const std::string& path, int lines) {
    TFileTypeKelvo source;
    BuildDialog(source, lines);
    TFileAccess access("Save File");
    access.Writer.Init(nullptr, path);
    access.Writer.ReplaceAnswer = TFileCounts::ReplaceWithoutAsking;
    source.Write(access);
    return access.Writer.LastCount;
}

// One row of the bench table: what, measured, target, verdict. Lower is
// better unless higher is set.
inline void TableRow(const std::string& what, const std::string& measured,
                     const std::string& target = "", int met = -1) {
    std::printf("ROW\t%s\t%s\t%s\t%s\n", what.c_str(), measured.c_str(),
                target.empty() ? "-" : target.c_str(),
                met < 0 ? "-"
                : met   ? "met"
                        : "MISSED");
}

// Wall time and this process's processor time of one piece of work. On a
// machine shared with other work the wall time waits for the processor too;
// the processor time tells what the work itself costs.
struct TTimes {
    double Wall = 0;
    double Cpu = 0;
};

inline double ProcessCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

template <class F> TTimes Measure(F&& work) {
    const auto wall = std::chrono::steady_clock::now();
    const double cpu = ProcessCpuSeconds();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(),
            ProcessCpuSeconds() - cpu};
}

// A row whose target is a time limit: met by the wall time, or only by the
// processor time when other work held the processor meanwhile.
inline void TimedRow(const std::string& what, TTimes t, double limit, const std::string& target) {
    char text[96];
    std::snprintf(text, sizeof text, "%.1f ms (processor %.1f ms)", t.Wall * 1000, t.Cpu * 1000);
    const char* verdict = t.Wall <= limit  ? "met"
                          : t.Cpu <= limit ? "met in processor time"
                                           : "MISSED";
    std::printf("ROW\t%s\t%s\t%s\t%s\n", what.c_str(), text, target.c_str(), verdict);
}

inline std::string Ms(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", seconds * 1000.0);
    return text;
}

} // namespace kelvo::bench
