// Saving a data file over an existing one survives the process being killed at
// any moment: a child saves a large document again and again and is killed
// with SIGKILL at random points; each time the target or its backup must hold
// one complete version, and the next save must succeed.
#include "foundation/filetype/fileaccess.h"
#include "foundation/filetype/filenames.h"
#include "model/kelvofile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using TBytesV = std::vector<std::uint8_t>;

constexpr int Lines = 20000;

void AppendRecord(TBytesV& b, std::uint16_t address, const std::string& caption,
                  std::int32_t value) {
    for (std::uint16_t w : {address, std::uint16_t(0), std::uint16_t(0)}) {
        b.push_back(std::uint8_t(w & 0xFF));
        b.push_back(std::uint8_t(w >> 8));
    }
    b.insert(b.end(), caption.begin(), caption.end());
    b.push_back(0);
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(std::uint32_t(value) >> (8 * i)));
}

// A document of many Long lines whose values all carry the version number.
void LoadVersion(TFileTypeKelvo& doc, int version) {
    TBytesV bytes;
    for (int i = 0; i < Lines; ++i)
        AppendRecord(bytes, std::uint16_t(0x100 + i % 60000),
                     "Parameter of some length number " + std::to_string(i), version * 100000 + i);
    TMemoryStream stream;
    stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    stream.SetPosition(0);
    TFileAccess access("Open File");
    access.Reader.Init(&stream, "version.dat");
    doc.Read(access);
}

bool Save(TFileTypeKelvo& doc, const std::string& path) {
    TFileAccess access("Save File");
    access.Writer.Init(nullptr, path);
    access.Writer.ReplaceAnswer = TFileCounts::ReplaceWithoutAsking;
    doc.Write(access);
    return access.Writer.ErrorCount == 0 && access.Writer.FileCount == 1;
}

TBytesV Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytesV{std::istreambuf_iterator<char>(in), {}};
}

class CrashSafeSave : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/kelvo-crashsave-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        Dir = dir;
        Target = (Dir / "device.dat").string();
        Backup = BackupFileName(Target);
        LoadVersion(Docs[0], 1);
        LoadVersion(Docs[1], 2);
        // What a complete save of each version holds, taken from a save that
        // was not disturbed.
        for (int v = 0; v < 2; ++v) {
            ASSERT_TRUE(Save(Docs[v], Target));
            Versions[v] = Contents(Target);
            ASSERT_GT(Versions[v].size(), 500000u);
        }
        ASSERT_NE(Versions[0], Versions[1]);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }

    bool Complete(const fs::path& path) const {
        if (!fs::exists(path))
            return false;
        const TBytesV bytes = Contents(path);
        return bytes == Versions[0] || bytes == Versions[1];
    }

    // A child that saves both versions in turn until it is killed.
    pid_t StartSaver() {
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Bounded, in case the parent dies before it can kill.
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            for (int i = 0; std::chrono::steady_clock::now() < end; ++i)
                Save(Docs[i % 2], Target);
            ::_exit(0);
        }
        return pid;
    }

    fs::path Dir;
    std::string Target;
    std::string Backup;
    TFileTypeKelvo Docs[2];
    TBytesV Versions[2];
};

TEST_F(CrashSafeSave, KilledAtRandomPointsLeavesTargetOrBackupComplete) {
    std::mt19937 random(20261208);
    constexpr int Kills = 30;
    int targetMissing = 0;
    for (int round = 0; round < Kills; ++round) {
        const pid_t pid = StartSaver();
        ASSERT_GT(pid, 0);
        // Up to about two saves' time: the kill lands while writing, while
        // syncing, between the two renames or between saves.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 60000));
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);

        const bool target = Complete(Target);
        const bool backup = Complete(Backup);
        EXPECT_TRUE(target || backup) << "round " << round;
        if (fs::exists(Target)) {
            EXPECT_TRUE(target) << "round " << round << ": the target holds a partial file";
        } else {
            ++targetMissing;
        }

        // The next save takes its place whatever the kill left behind.
        ASSERT_TRUE(Save(Docs[round % 2], Target)) << "round " << round;
        EXPECT_EQ(Contents(Target), Versions[round % 2]) << "round " << round;
        EXPECT_TRUE(Complete(Backup)) << "round " << round;
    }
    RecordProperty("TargetMissingAfterKill", targetMissing);
}

} // namespace
} // namespace kelvo
