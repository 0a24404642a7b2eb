// What the editor's status text says of a device that went away while online.
#include "devicelink/serialline.h"
#include "editor_fixture.h"
#include "support/vanishing_line.h"

using namespace kelvo;
using namespace kelvo::test;

namespace {

using EditorLink = EditorFixture;

TEST_F(EditorLink, ADeviceThatWentAwayIsNamedUntilTheNextGoOnline) {
    TVanishing line;
    TKlvForm::SetLineOpener(VanishingOpener(VirtualLineOpener(Device), line));
    const TPortNameLookup saved = SetPortNameLookup([](int) { return "/dev/ttyUSB0"; });
    Prompt.Answers.push_back(IdOk);
    Form->LoadFromStream(nullptr, 0); // a new document goes online by itself
    GoOnline(ComPort(3));
    ASSERT_TRUE(Doc().IsOnline());
    Prompt.Asked.clear();

    line.WritesLeft = 1;
    Cycle();
    EXPECT_FALSE(Doc().IsOnline());
    ASSERT_FALSE(Prompt.Asked.empty());
    EXPECT_EQ(Prompt.Asked.back().Text, "Missing response from KELVO Device! Going offline.");
    const std::string status = Form->StatusText();
    EXPECT_NE(status.find("COM3 is /dev/ttyUSB0: the device was disconnected"), std::string::npos)
        << status;
    EXPECT_EQ(status.find('\n'), std::string::npos) << "one line";

    // Plugged in again: Go Online On Last COM connects and the cause is gone.
    line.WritesLeft = 1'000'000;
    GoOnline(TConnectTarget::LastPort);
    EXPECT_TRUE(Doc().IsOnline());
    EXPECT_EQ(Form->StatusText().find("disconnected"), std::string::npos) << Form->StatusText();
    SetPortNameLookup(saved);
}

} // namespace
