#include "filetype/text_document.h"
#include "shell/settings/ini_file.h"
#include "translations/mlparas.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kelvo {
namespace {

using test::TScratchDir;
namespace fs = std::filesystem;

TEST(DataDirectory, ABuildKeepsItsDataNextToThePrograms) {
    TScratchDir dir;
    fs::create_directories(dir / "bin/help");
    std::ofstream(dir / "bin/help/index.html") << "<html></html>";
    // Even with a share/kelvo beside it, the program's own data wins.
    fs::create_directories(dir / "share/kelvo");
    EXPECT_EQ(DataDirectoryOf(dir / "bin"), dir / "bin");
}

TEST(DataDirectory, AnInstalledProgramLooksInShareKelvo) {
    TScratchDir dir;
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "share/kelvo");
    EXPECT_EQ(DataDirectoryOf(dir / "bin"), dir / "share/kelvo");
}

TEST(DataDirectory, WithoutEitherTheProgramsDirectory) {
    TScratchDir dir;
    fs::create_directories(dir / "bin");
    EXPECT_EQ(DataDirectoryOf(dir / "bin"), dir / "bin");
}

TEST(DataDirectory, TheTestProgramRunsFromTheBuildsDataFolder) {
    EXPECT_EQ(DataDirectory(), ProgramDirectory());
    EXPECT_TRUE(fs::exists(DataDirectory() + "/help/index.html"));
}

// The INI file follows the data: beside a build's programs, in the config
// home for an installed copy even where its bin directory can be written (as
// /usr/bin can by root).
TEST(DataDirectory, OnlyABuildKeepsItsIniFileBesideThePrograms) {
    TScratchDir build;
    fs::create_directories(build / "bin/help");
    std::ofstream(build / "bin/help/index.html") << "<html></html>";
    EXPECT_TRUE(IniBesideProgram(build / "bin"));

    TScratchDir installed;
    fs::create_directories(installed / "bin");
    fs::create_directories(installed / "share/kelvo");
    EXPECT_FALSE(IniBesideProgram(installed / "bin"));

    EXPECT_FALSE(IniBesideProgram(build / "no-such-dir"));
}

} // namespace
} // namespace kelvo
