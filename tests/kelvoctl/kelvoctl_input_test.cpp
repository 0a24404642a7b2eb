// What kelvoctl takes from its command line and its files before a device is
// involved: values typed for a line, KEYs, the check of a whole set command
// against a dialog, output paths, data files that end early, and why a line
// cannot be opened.
#include "foundation/codepage.h"
#include "model/dlglinevalue.h"
#include "model/dlglinevalue_choice.h"
#include "tools/kelvoctl/document_loader.h"
#include "tools/kelvoctl/line_keys.h"
#include "tools/kelvoctl/link_watch.h"
#include "tools/kelvoctl/output_check.h"
#include "tools/kelvoctl/value_input.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace kelvo;
using namespace kelvo::ctl;
namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(KelvoctlValues, WholeNumbersAreTakenOnlyWhenWrittenInFullAndInRange) {
    const std::pair<const char*, std::int32_t> good[] = {
        {"0", 0},
        {"750", 750},
        {"+5", 5},
        {"-2147483648", INT32_MIN},
        {"2147483647", INT32_MAX},
        {"0x7FFFFFFF", INT32_MAX},
        {"0x1f", 31},
        {"-0x10", -16},
    };
    for (const auto& [text, value] : good) {
        std::string why;
        const auto n = StrictLong(text, why);
        ASSERT_TRUE(n) << text << ": " << why;
        EXPECT_EQ(*n, value) << text;
    }
    const std::pair<const char*, const char*> bad[] = {
        {"99999999999", "outside the range -2147483648 to 2147483647"},
        {"2147483648", "outside the range"},
        {"-2147483649", "outside the range"},
        {"0xFFFFFFFF", "outside the range"},
        {"7x", "is not a whole number"},
        {"3.7", "is not a whole number"},
        {"1e3", "is not a whole number"},
        {" 5", "is not a whole number"},
        {"5 ", "is not a whole number"},
        {"0x", "is not a whole number"},
        {"", "is not a whole number"},
        {"-", "is not a whole number"},
    };
    for (const auto& [text, reason] : bad) {
        std::string why;
        EXPECT_FALSE(StrictLong(text, why)) << text;
        EXPECT_TRUE(Contains(why, reason)) << text << ": " << why;
        EXPECT_TRUE(Contains(why, std::string("\"") + text + "\"")) << "names the value: " << why;
    }
}

TEST(KelvoctlValues, NumbersAreFiniteAndUseAPoint) {
    const std::pair<const char*, double> good[] = {
        {"1.5", 1.5}, {"-12.5", -12.5}, {"-2e-3", -0.002}, {"5", 5}, {".5", 0.5}, {"+1", 1},
    };
    for (const auto& [text, value] : good) {
        std::string why;
        const auto d = StrictDouble(text, why);
        ASSERT_TRUE(d) << text << ": " << why;
        EXPECT_DOUBLE_EQ(*d, value) << text;
    }
    const std::pair<const char*, const char*> bad[] = {
        {"5abc", "is not a number"},    {"1,5", "the decimal separator is a point"},
        {"1e999", "outside the range"}, {"nan", "is not a number"},
        {"inf", "is not a number"},     {"-infinity", "is not a number"},
        {"0x10", "is not a number"},    {"1e", "is not a number"},
        {"", "is not a number"},
    };
    for (const auto& [text, reason] : bad) {
        std::string why;
        EXPECT_FALSE(StrictDouble(text, why)) << text;
        EXPECT_TRUE(Contains(why, reason)) << text << ": " << why;
    }
}

TEST(KelvoctlValues, TextsMustFitTheDeviceCodePageAndALine) {
    std::string why;
    const auto umlauts = DeviceText("Grüße 5°C", why);
    ASSERT_TRUE(umlauts) << why;
    EXPECT_EQ(*umlauts, Utf8ToOem("Grüße 5°C"));
    EXPECT_EQ(umlauts->size(), 9u) << "one byte per character in the device";

    EXPECT_FALSE(DeviceText("TT-€1", why));
    EXPECT_TRUE(Contains(why, "\"€\" (U+20AC)")) << why;
    EXPECT_FALSE(DeviceText("tab\there", why));
    EXPECT_TRUE(Contains(why, "control character U+0009")) << why;
    EXPECT_FALSE(DeviceText("bad \xff byte", why));
    EXPECT_TRUE(Contains(why, "not valid UTF-8")) << why;
    EXPECT_TRUE(DeviceText("a question?", why)) << "a real question mark is no loss";

    EXPECT_TRUE(DeviceText(std::string(260, 'x'), why));
    EXPECT_FALSE(DeviceText(std::string(261, 'x'), why));
    EXPECT_TRUE(Contains(why, "261 characters")) << why;
    EXPECT_TRUE(Contains(why, "at most 260")) << why;
    // Characters count, not the bytes UTF-8 needs for them.
    std::string wide;
    for (int i = 0; i < 260; ++i)
        wide += "ä";
    EXPECT_TRUE(DeviceText(wide, why)) << why;
}

TEST(KelvoctlValues, AssigningLeavesTheValueAloneWhenRefused) {
    TDlglineValueLong number;
    number.Value = 42;
    EXPECT_NE(AssignValueText(number, "7x"), "");
    EXPECT_EQ(number.Value, 42);
    EXPECT_EQ(AssignValueText(number, "-7"), "");
    EXPECT_EQ(number.Value, -7);

    TDlglineValueDouble real;
    real.Value = 2.5;
    EXPECT_NE(AssignValueText(real, "1,5"), "");
    EXPECT_EQ(real.Value, 2.5);

    TDlglineValueText text;
    text.Value = "old";
    EXPECT_NE(AssignValueText(text, std::string(300, 'y')), "");
    EXPECT_EQ(text.Value, "old") << "never cut to fit";

    TDlglineValueChoice choice;
    const std::vector<std::string> texts = {"Celsius", "Fahrenheit", "Kelvin"};
    choice.SetChoices(texts);
    EXPECT_EQ(AssignValueText(choice, "Kelvin"), "");
    EXPECT_EQ(choice.Index, 2);
    EXPECT_EQ(AssignValueText(choice, "0"), "");
    EXPECT_EQ(choice.Index, 0);
    const std::string why = AssignValueText(choice, "3");
    EXPECT_TRUE(Contains(why, "numbered 0 to 2")) << why;
    EXPECT_NE(AssignValueText(choice, "Rankine"), "");
    EXPECT_EQ(choice.Index, 0);
}

TEST(KelvoctlKeys, AddressesAndInstances) {
    auto key = ParseKey("0x63:1");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->Address, 0x63);
    EXPECT_EQ(key->Instance, 1);
    EXPECT_TRUE(key->HasInstance);
    key = ParseKey("37");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->Address, 37);
    EXPECT_FALSE(key->HasInstance);
    for (const char* bad :
         {"", "zz", "0x10000", "-1", "0x63:", "0x63:100", "0x63:-1", "0x63:0x1", "0x63:1:2", "25x"})
        EXPECT_FALSE(ParseKey(bad)) << bad;
}

class KelvoctlDemoDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadDocument(KELVO_DEMO_DIALOG_FILE, Document), TLoadResult::Loaded);
    }
    std::vector<std::string> Check(const std::vector<std::string>& texts) {
        std::vector<TAssignment> assignments;
        for (const std::string& text : texts) {
            const auto eq = text.find('=');
            assignments.push_back({*ParseKey(text.substr(0, eq)), text.substr(eq + 1)});
        }
        return CheckAssignments(*Document, assignments);
    }
    TPtr<TFileTypeKelvo> Document;
};

TEST_F(KelvoctlDemoDialog, ACountSetEarlierBringsItsInstancesIntoView) {
    EXPECT_EQ(Check({"0x60=3", "0x62:2=55"}), std::vector<std::string>{});
    const auto alone = Check({"0x62:2=55"});
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(alone[0], "line 0x62:2: beyond the count of its group");
    // Lowering the count hides the instances beyond it.
    EXPECT_EQ(Check({"0x60=1", "0x62:1=55"}).size(), 1u);
    // The copy is checked, never the dialog itself.
    EXPECT_EQ(Check({"0x62:2=55"}).size(), 1u);
    const auto tooMany = Check({"0x60=101"});
    ASSERT_EQ(tooMany.size(), 1u);
    EXPECT_TRUE(Contains(tooMany[0], "from 0 to 100")) << tooMany[0];
}

TEST_F(KelvoctlDemoDialog, EveryFailingAssignmentIsNamed) {
    const auto failures =
        Check({"0x25=7x", "0x23=600", "0x11=KT", "0x99=1", "0x25:1=5", "0x14=Rankine", "0x12=ok"});
    ASSERT_EQ(failures.size(), 5u);
    EXPECT_EQ(failures[0], "line 0x25: \"7x\" is not a whole number");
    EXPECT_EQ(failures[1], "line 0x11: this line can't be changed");
    EXPECT_EQ(failures[2], "line 0x99: no such line");
    EXPECT_EQ(failures[3], "line 0x25:1: not in a repeated group, so it takes no \":I\"");
    EXPECT_EQ(failures[4], "line 0x14: no such choice \"Rankine\"");
}

TEST(KelvoctlFiles, OutputPathsAreCheckedBeforeAnyWork) {
    char dir[] = "/tmp/kelvoctl-out-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string base = dir;
    EXPECT_EQ(CheckOutputPath(base + "/new.dat", true), "");
    EXPECT_EQ(CheckOutputPath(base + "/NEW.KELVO", true), "");
    EXPECT_EQ(CheckOutputPath(base + "/log.txt", false), "");
    EXPECT_TRUE(Contains(CheckOutputPath(base + "/new.txt", true), ".dat or .kelvo"));
    EXPECT_TRUE(Contains(CheckOutputPath(base + "/new", true), ".dat or .kelvo"));
    EXPECT_TRUE(Contains(CheckOutputPath(base + "/missing/new.dat", true), "does not exist"));
    fs::create_directory(base + "/sub.dat");
    EXPECT_EQ(CheckOutputPath(base + "/sub.dat", true), "it is a directory");
    std::ofstream(base + "/file") << "x";
    EXPECT_TRUE(Contains(CheckOutputPath(base + "/file/new.dat", true), "not a directory"));
    fs::remove_all(base);
}

TEST(KelvoctlFiles, AFileEndingInsideARecordIsToldWithWhatWasRead) {
    std::ifstream in(KELVO_DEMO_DIALOG_FILE, std::ios::binary);
    const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(data.size(), 300u);
    char dir[] = "/tmp/kelvoctl-files-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string whole = std::string(dir) + "/whole.dat";
    const std::string cut = std::string(dir) + "/cut.dat";
    const std::string tail = std::string(dir) + "/tail.dat";
    std::ofstream(whole, std::ios::binary) << data;
    std::ofstream(cut, std::ios::binary) << data.substr(0, data.size() - 3);
    std::ofstream(tail, std::ios::binary) << data << std::string(8, '\0');

    EXPECT_EQ(IncompleteFileWarning(whole), "");
    const std::string cutWarning = IncompleteFileWarning(cut);
    EXPECT_TRUE(Contains(cutWarning, "file ends inside the record at byte ")) << cutWarning;
    EXPECT_TRUE(Contains(cutWarning, " lines read")) << cutWarning;
    const std::string tailWarning = IncompleteFileWarning(tail);
    EXPECT_TRUE(Contains(tailWarning, "at byte " + std::to_string(data.size()))) << tailWarning;
    fs::remove_all(dir);
}

TEST(KelvoctlLink, WhyALineCannotBeOpened) {
    EXPECT_EQ(OpenFailureReason("/nonexistent/tty"), "no such file");
    EXPECT_EQ(OpenFailureReason("/tmp"), "not a terminal but a directory");
    char file[] = "/tmp/kelvoctl-notty-XXXXXX";
    const int fd = ::mkstemp(file);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(OpenFailureReason(file), "not a terminal");
    ::close(fd);
    ::unlink(file);

    // A terminal another program holds.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);
    EXPECT_EQ(OpenFailureReason(slave), "");
    const int holder = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(OpenFailureReason(slave), "in use by another program");
    ::close(holder);
    ::close(master);
}

TEST(KelvoctlLink, PermissionDeniedNamesTheGroupToJoin) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "a privileged open is never denied";
    char file[] = "/tmp/kelvoctl-denied-XXXXXX";
    const int fd = ::mkstemp(file);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ::chmod(file, 0);
    const std::string reason = OpenFailureReason(file);
    ::unlink(file);
    EXPECT_EQ(reason.rfind("permission denied", 0), 0u) << reason;
    // The file's group is the user's own; a device's would be "dialout".
    if (::getegid() != 0) {
        EXPECT_TRUE(Contains(reason, "join the group \"")) << reason;
    }
}

} // namespace
