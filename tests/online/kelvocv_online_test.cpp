// Converted old data going into a device of the family through the whole
// go-online dialogue.
#include "online/conversion_hook.h"
#include "online/kelvocv.h"
#include "online_fixture.h"
#include "tools/vdevice/family_dialogs.h"

#include <fstream>
#include <iterator>

using namespace kelvo;
using namespace kelvo::test;

namespace {

class KelvocvOnlineTest : public OnlineFixture {
protected:
    KelvocvOnlineTest() { SetOldDataConversion({FindConversion, Convert}); }
    ~KelvocvOnlineTest() override { SetOldDataConversion({}); }

    // The device runs newProgram; the document holds the shipped file of
    // oldProgram.
    void Setup(const std::string& oldProgram, const std::string& newProgram) {
        Device = std::make_shared<TVirtualDevice>(FamilyProgram(newProgram).Dialog);
        Session().Stream().SetLineOpener(VirtualLineOpener(Device));
        std::ifstream in(std::string(KELVO_DIALOG_DIR) + "/" + FamilyProgram(oldProgram).FileName,
                         std::ios::binary);
        LoadLines(*ReadLineRecords(
            TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())));
        ASSERT_FALSE(Doc.IsEmpty());
    }
    void ReprogramWithYes() {
        Prompt.Answers = {IdYes};
        Online.GoOnline(ComPort(1), 0);
        ASSERT_EQ(Prompt.Asked.size(), 2u);
        EXPECT_NE(Prompt.Asked[0].Text.find("Incompatible old data can be converted!"),
                  std::string::npos);
        EXPECT_EQ(Prompt.Asked[1].Text, "Reprogramming successful!");
    }
    std::uint16_t DeviceChoice(std::uint16_t address, int instance = 0) {
        const TBytes* raw = Device->WorkingValue(address, instance);
        EXPECT_TRUE(raw && raw->size() == 2);
        return raw ? ChoiceOfRaw(*raw) : 0xFFFF;
    }
    std::int32_t FileLong(const std::string& program, std::uint16_t address) {
        for (const TSimLine& line : FamilyProgram(program).Dialog.Lines)
            if (line.Address == address)
                return LongOfRaw(line.Raw);
        ADD_FAILURE() << "no line " << address;
        return 0;
    }
};

} // namespace

TEST_F(KelvocvOnlineTest, OldProgramsParametersLandAtTheirNewAddresses) {
    Setup("KT400 V1.0", "KT400 V2.0");
    ReprogramWithYes();
    EXPECT_EQ(DeviceLong(0x2114), FileLong("KT400 V1.0", 0x1014)); // input 1 filter time
    EXPECT_EQ(DeviceLong(0x3039), FileLong("KT400 V1.0", 0x1123)); // contrast
    EXPECT_EQ(DeviceLong(0x3061), 8);
    EXPECT_EQ(DeviceLong(0x2001), 2);
}

TEST_F(KelvocvOnlineTest, SplitOutputFunctionsAndRelaySevenReachTheDevice) {
    Setup("KT400 V2.0", "KT500 V3.11");
    ReprogramWithYes();
    // KT400 V2.0 holds "Pulse, inverted" for output 1 and "Off" for output 2.
    EXPECT_EQ(DeviceChoice(0x3028), 1);
    EXPECT_EQ(DeviceLong(0x3029), 13);
    EXPECT_EQ(DeviceChoice(0x302A), 1);
    EXPECT_EQ(DeviceChoice(0x3188), 0);
    // Its alarm relay contact "Normally closed" is relay 7's, coded the other way.
    EXPECT_EQ(DeviceChoice(0x3063, 6), 1);
    EXPECT_EQ(DeviceChoice(0x3062, 6), 0);
    EXPECT_EQ(DeviceLong(0x2053), 1000);
}
