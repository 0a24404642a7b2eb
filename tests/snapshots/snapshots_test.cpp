// Snapshots of a device's set: where they go, their names, how many stay.
#include "model/device_identity.h"
#include "snapshots/snapshots.h"
#include "tools/kelvoctl/document_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

using namespace kelvo;
namespace fs = std::filesystem;

namespace {

class SnapshotsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/kelvo-snapshots-test-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        Dir = dir;
        ASSERT_EQ(ctl::LoadDocument(KELVO_DEMO_DIALOG_FILE, Doc), ctl::TLoadResult::Loaded);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }
    std::string Dir;
    TPtr<TFileTypeKelvo> Doc;
};

// Sets an environment variable for one test and puts the old value back.
class TEnvScope {
public:
    TEnvScope(const char* name, const char* value) : FName(name) {
        if (const char* old = std::getenv(name))
            FOld = old;
        FHad = std::getenv(name) != nullptr;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~TEnvScope() {
        if (FHad)
            ::setenv(FName, FOld.c_str(), 1);
        else
            ::unsetenv(FName);
    }

private:
    const char* FName;
    std::string FOld;
    bool FHad = false;
};

} // namespace

TEST_F(SnapshotsTest, TheFolderFollowsXdgDataHomeElseHome) {
    {
        TEnvScope xdg("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(SnapshotFolder(), "/srv/data/kelvo/snapshots");
    }
    TEnvScope home("HOME", "/home/tech");
    {
        TEnvScope xdg("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(SnapshotFolder(), "/home/tech/.local/share/kelvo/snapshots");
    }
    // A relative XDG_DATA_HOME is to be ignored.
    TEnvScope xdg("XDG_DATA_HOME", "relative");
    EXPECT_EQ(SnapshotFolder(), "/home/tech/.local/share/kelvo/snapshots");
}

TEST_F(SnapshotsTest, ASnapshotIsADataFileNamedByTimePortAndProgram) {
    const TSnapshotResult result = SaveSnapshot(*Doc, "/dev/ttyUSB0", Dir + "/new/folder");
    ASSERT_TRUE(result.Ok()) << result.Error;
    const std::string name = fs::path(result.Path).filename().string();
    EXPECT_NE(name.find("Z-dev_ttyUSB0-KT200_V2.14.dat"), std::string::npos) << name;
    EXPECT_EQ(FindDeviceIdentity(*Doc).Program, "KT200 V2.14");
    EXPECT_EQ(FindDeviceIdentity(*Doc).SerialNumber, "204117");
    // It reads back as the same lines, both alarm instances included.
    TPtr<TFileTypeKelvo> back;
    ASSERT_EQ(ctl::LoadDocument(result.Path, back), ctl::TLoadResult::Loaded);
    ASSERT_EQ(back->Entries.Count(), Doc->Entries.Count());
    auto a = back->Entries.begin();
    for (const TFileTypeKelvo::TEntry& e : Doc->Entries) {
        EXPECT_TRUE(e.SameDefinition(*a) && (!e.Value || e.SameValue(*a))) << e.Address;
        ++a;
    }
    const std::vector<TSnapshotInfo> listed = ListSnapshots(Dir + "/new/folder");
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].Path, result.Path);
    EXPECT_EQ(listed[0].Time.size(), std::string("2026-12-08 10:15:02 UTC").size());
    EXPECT_GT(listed[0].Size, 0u);
}

TEST_F(SnapshotsTest, OnlyTheNewestAreKeptAndOtherFilesAreLeftAlone) {
    std::ofstream(Dir + "/notes.txt") << "mine";
    std::vector<std::string> made;
    for (int i = 0; i < 5; ++i) {
        const TSnapshotResult r = SaveSnapshot(*Doc, "COM3", Dir, 3);
        ASSERT_TRUE(r.Ok()) << r.Error;
        made.push_back(r.Path);
    }
    const std::vector<TSnapshotInfo> listed = ListSnapshots(Dir);
    ASSERT_EQ(listed.size(), 3u);
    // Newest first; made within one millisecond they are numbered apart.
    std::set<std::string> kept;
    for (const TSnapshotInfo& s : listed)
        kept.insert(s.Path);
    EXPECT_EQ(kept.size(), 3u);
    EXPECT_TRUE(kept.count(made.back()));
    EXPECT_FALSE(kept.count(made.front()));
    EXPECT_TRUE(fs::exists(Dir + "/notes.txt"));
}

TEST_F(SnapshotsTest, AFolderThatCannotBeMadeFailsWithAReason) {
    std::ofstream(Dir + "/file") << "x";
    const TSnapshotResult r = SaveSnapshot(*Doc, "COM1", Dir + "/file/snapshots");
    EXPECT_FALSE(r.Ok());
    EXPECT_NE(r.Error.find(Dir + "/file/snapshots"), std::string::npos) << r.Error;
    TFileTypeKelvo empty;
    EXPECT_FALSE(SaveSnapshot(empty, "COM1", Dir).Ok());
    EXPECT_TRUE(ListSnapshots(Dir).empty());
}
