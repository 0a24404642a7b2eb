#include "filetype/text_document.h"
#include "shell/settings/ini_file.h"
#include "shell/settings/ports_lookup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace kelvo {
namespace {

using test::TScratchDir;

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(IniFileName, ProgramPathWithExtensionReplaced) {
    EXPECT_EQ(DefaultIniFileName("/opt/build/bin/kelvow32", true), "/opt/build/bin/kelvow32.ini");
    EXPECT_EQ(DefaultIniFileName("/opt/bin/kelvow32.bin", true), "/opt/bin/kelvow32.ini");
    // Blanks around the name are trimmed; letter case stays.
    EXPECT_EQ(DefaultIniFileName("  /Opt/Bin/KelvoW32  ", true), "/Opt/Bin/KelvoW32.ini");
}

TEST(IniFileName, UnwritableProgramDirectoryUsesTheConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string restore = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(DefaultIniFileName("/usr/bin/kelvow32", false), "/tmp/cfg/kelvo/kelvow32.ini");
    // Unset or relative: ~/.config.
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/tmp";
    EXPECT_EQ(DefaultIniFileName("/usr/bin/kelvow32", false), home + "/.config/kelvo/kelvow32.ini");
    if (saved)
        setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(IniFileName, SectionIsTheBareName) {
    EXPECT_EQ(IniSectionName("/opt/bin/kelvow32.ini"), "kelvow32");
    EXPECT_EQ(IniSectionName("/home/u/.config/kelvo/kelvow32.ini"), "kelvow32");
}

TEST(IniFileName, ChosenFileWinsUntilReset) {
    SetIniFileName("/tmp/x/own.ini");
    EXPECT_EQ(IniFileName(), "/tmp/x/own.ini");
    SetIniFileName("");
    EXPECT_EQ(IniFileName(), DefaultIniFileName(ProgramPath(), true));
}

TEST(TrimBlanks, OnlyBlanksAtTheEnds) {
    EXPECT_EQ(TrimBlanks(" \t/a b/C.dat \t"), "/a b/C.dat");
    EXPECT_EQ(TrimBlanks("   "), "");
}

class PortsLookupTest : public ::testing::Test {
protected:
    ~PortsLookupTest() override { SetPortNameLookup({}); }
    TScratchDir Dir;
};

TEST_F(PortsLookupTest, MappedPortsAndTheDefaultForTheRest) {
    const std::string ini = Dir / "kelvow32.ini";
    WriteFile(ini, "[KelvoWin]\nLastCOM=3\n\n[Ports]\nCOM1=/tmp/link-a\ncom12=/dev/ttyUSB0\n"
                   "COM3=\nCOMX=/dev/null\nCOM0=/dev/null\nCOM256=/dev/null\nLPT1=/dev/lp0\n");
    EXPECT_EQ(InstallPortsLookup(ini), 2);
    EXPECT_EQ(PortDeviceName(1), "/tmp/link-a");
    EXPECT_EQ(PortDeviceName(12), "/dev/ttyUSB0");
    EXPECT_EQ(PortDeviceName(3), "/dev/ttyS2");
    EXPECT_EQ(PortDeviceName(2), "/dev/ttyS1");
}

TEST_F(PortsLookupTest, PathsWithCommasStayWhole) {
    const std::string ini = Dir / "k.ini";
    WriteFile(ini, "[Ports]\nCOM2=/tmp/a, b\nCOM4=\"/tmp/c,d\"\n");
    InstallPortsLookup(ini);
    EXPECT_EQ(PortDeviceName(2), "/tmp/a, b");
    EXPECT_EQ(PortDeviceName(4), "/tmp/c,d");
}

TEST_F(PortsLookupTest, MissingFileGivesTheDefault) {
    EXPECT_EQ(InstallPortsLookup(Dir / "none.ini"), 0);
    EXPECT_EQ(PortDeviceName(1), "/dev/ttyS0");
    EXPECT_EQ(PortDeviceName(20), "/dev/ttyS19");
}

} // namespace
} // namespace kelvo
