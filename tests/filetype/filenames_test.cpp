#include "foundation/filetype/filenames.h"

#include <gtest/gtest.h>

using namespace kelvo;

TEST(MatchExtension, KelvoListIgnoresCaseAndWantsWholeExtension) {
    EXPECT_TRUE(MatchExtension(".dat.kelvo", "A.DAT"));
    EXPECT_TRUE(MatchExtension(".dat.kelvo", "/home/u/a.kelvo"));
    EXPECT_TRUE(MatchExtension(".dat.kelvo", "x.Kelvo"));
    EXPECT_FALSE(MatchExtension(".dat.kelvo", "a.da"));
    EXPECT_FALSE(MatchExtension(".dat.kelvo", "a.data"));
    EXPECT_FALSE(MatchExtension(".dat.kelvo", "a.kelvo.bak"));
    // A dotted directory does not lend its extension to the file.
    EXPECT_FALSE(MatchExtension(".dat.kelvo", "/srv/old.dat/readme"));
}

TEST(MatchExtension, NameWithoutExtensionNeedsALoneDot) {
    EXPECT_FALSE(MatchExtension(".dat.kelvo", "data"));
    EXPECT_TRUE(MatchExtension(".dat.", "data"));
    EXPECT_TRUE(MatchExtension(".", "/tmp/x.y/data"));
    EXPECT_FALSE(MatchExtension(".", "data.dat"));
    EXPECT_FALSE(MatchExtension("", "a.dat")); // an empty list matches nothing
    EXPECT_FALSE(MatchExtension("", "a"));
}

TEST(MatchExtension, StarMatchesEveryExtensionWithThatBeginning) {
    EXPECT_TRUE(MatchExtension(".k*", "x.kx"));
    EXPECT_TRUE(MatchExtension(".k*", "x.k"));
    EXPECT_TRUE(MatchExtension(".k*", "x.KELVO"));
    EXPECT_FALSE(MatchExtension(".k*", "x.dat"));
    EXPECT_FALSE(MatchExtension(".k*", "x"));
    EXPECT_TRUE(MatchExtension(".dat.k*", "x.dat"));
    EXPECT_TRUE(MatchExtension(".*", "x.anything"));
}

TEST(BackupFileName, ExtensionBecomesTildeAndIsCutAtTenCharacters) {
    EXPECT_EQ(BackupFileName("/d/data.dat"), "/d/data.~dat");
    EXPECT_EQ(BackupFileName("x.kelvo"), "x.~kelvo");
    EXPECT_EQ(BackupFileName("/d/noext"), "/d/noext.~");
    EXPECT_EQ(BackupFileName("a.b.verylongextension"), "a.b.~verylongex");
    EXPECT_EQ(BackupFileName("/d.dir/noext"), "/d.dir/noext.~");
}
