// The device stream against kelvo-sim over a pseudo-terminal, as the program
// and the tools use it.
#include "devicelink/kelvocommand.h"
#include "devicelink/kelvostream.h"
#include "devicelink/serialline.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <vector>

using namespace kelvo;
using TBytes = std::vector<unsigned char>;

namespace {

bool RunRead(TKelvoStream& s, std::uint16_t address, TBytes& value) {
    TKelvoCommand cmd(s, 0x81, 3);
    cmd.Arg(address);
    for (;;) {
        if (cmd.Send())
            return false;
        value.assign(6, 0);
        const bool complete = s.Read(value.data(), 6) == 6;
        if (!cmd.Finish() && complete)
            return true;
        s.SetBroken(true);
    }
}

TEST(SimOverPty, DownloadsAndReadsThroughTheTerminal) {
    test::TSimProcess sim(KELVO_SIM_PATH);
    ASSERT_TRUE(sim.Start({"--baud", "115200"})) << sim.Ready << sim.ErrorOutput();

    TKelvoStream s(1, 115200, DevicePathOpener(sim.Link));
    ASSERT_TRUE(s.Open(1, 115200));

    TKelvoCommand download(s, 0x91, 3);
    download.Arg(0xFFFF);
    TBytes records;
    bool done = false;
    while (!done && !download.Send()) {
        records.clear();
        unsigned char chunk[64];
        std::int32_t n = 0;
        do {
            n = s.Read(chunk, sizeof chunk);
            records.insert(records.end(), chunk, chunk + n);
        } while (n == static_cast<std::int32_t>(sizeof chunk));
        done = !download.Finish();
        if (!done)
            s.SetBroken(true);
    }
    ASSERT_TRUE(done);
    EXPECT_GT(records.size(), 500u);

    TBytes value;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(RunRead(s, 0x0025, value));
        EXPECT_EQ(value[0], 0);
    }
    EXPECT_EQ(s.EndConversation(), 0);

    // Closing and opening the port again works: nothing keeps it locked.
    s.Close();
    ASSERT_TRUE(s.Open(1, 115200));
    ASSERT_TRUE(RunRead(s, 0x0025, value));
    s.Close();

    EXPECT_EQ(sim.Stop(), 0);
    struct stat st;
    EXPECT_NE(lstat(sim.Link.c_str(), &st), 0); // the link is gone
}

} // namespace
