// The session a document is bound to: one per document, the link's start,
// and what the document's changes do to the work while online.
#include "foundation/exception.h"
#include "online_fixture.h"

using namespace kelvo;
using namespace kelvo::test;

namespace {

TEST(DeviceRequestTag, TwoProgramsAnyOtherNonZeroTagResets) {
    EXPECT_EQ(DeviceRequestFromTag(0), TDeviceRequest::None);
    EXPECT_EQ(DeviceRequestFromTag(2), TDeviceRequest::Program);
    for (int tag : {1, 3, -1})
        EXPECT_EQ(DeviceRequestFromTag(tag), TDeviceRequest::Reset) << tag;
}

TEST(KelvoSession, ADocumentHasOneSessionAtATime) {
    TFileTypeKelvo::SetLastComPort(4);
    TFileTypeKelvo doc;
    {
        TKelvoSession session(doc);
        EXPECT_EQ(doc.Link(), &session);
        EXPECT_EQ(session.Stream().Port(), 4) << "the last COM port used";
        EXPECT_EQ(session.Stream().Baud(), 115200);
        EXPECT_FALSE(doc.IsOnline());
        EXPECT_THROW(TKelvoSession{doc}, Exception);
        EXPECT_EQ(doc.Link(), &session) << "the refused one leaves the first bound";
    }
    EXPECT_EQ(doc.Link(), nullptr);
    TKelvoSession next(doc);
    EXPECT_EQ(doc.Link(), &next);
    TFileTypeKelvo::SetLastComPort(0);
}

using SessionTest = OnlineFixture;

TEST_F(SessionTest, TheDocumentIsOnlineThroughItsSession) {
    EXPECT_EQ(Doc.Link(), &Session());
    GoOnlineQuietly();
    EXPECT_TRUE(Doc.IsOnline());
    EXPECT_TRUE(Session().Ticking());
    Online.GoOnline(TConnectTarget::Offline, 0);
    EXPECT_FALSE(Doc.IsOnline());
}

// Clearing the document takes away the entries the refresh walks: the tick
// stops, the pass ends and the link is set to the last COM port again.
TEST_F(SessionTest, ClearingTheDocumentStopsTheWorkOnItsEntries) {
    GoOnlineQuietly();
    ASSERT_TRUE(Session().RefreshPassRunning) << "the download made every line due";
    TFileTypeKelvo::SetLastComPort(3);
    Doc.Clear();
    EXPECT_FALSE(Session().Ticking());
    EXPECT_FALSE(Session().RefreshPassRunning);
    EXPECT_EQ(Session().Stream().Port(), 3);
    const long messages = Device->Counters().Messages;
    Cycle();
    EXPECT_EQ(Device->Counters().Messages, messages) << "no cycle without a tick";
}

// A new refresh cycle of the document (a load, a download) starts the
// session's pass at the top of the new entries.
TEST_F(SessionTest, ANewRefreshCycleStartsThePassAtTheTop) {
    LoadDeviceDialog();
    EXPECT_TRUE(Session().RefreshPassRunning);
    EXPECT_EQ(Session().RefreshPosition, Doc.Entries.begin());
    EXPECT_EQ(Session().RefreshStop, Doc.Entries.begin());
    const std::int32_t cycle = Doc.RefreshCycle;
    Session().RefreshPosition = std::next(Doc.Entries.begin(), 3);
    Doc.StartRefreshCycle();
    EXPECT_EQ(Doc.RefreshCycle, cycle + 1);
    EXPECT_EQ(Session().RefreshPosition, Doc.Entries.begin());
}

} // namespace
