// The Ports dialog over a /dev and /sys of the test's making, the devices
// being a pseudo-terminal: what it shows, what OK writes and puts in force,
// and that Cancel changes nothing.
#include "devicelink/serialline.h"
#include "shell/gui/ports_dialog.h"
#include "support/gui_environment.h"
#include "support/scripted_prompt.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QTableWidget>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdlib.h>
#include <unistd.h>

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using test::TScriptedPrompt;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PortsDialog : public ::testing::Test {
protected:
    PortsDialog() {
        char dir[] = "/tmp/kelvo-ports-dialog-XXXXXX";
        EXPECT_NE(::mkdtemp(dir), nullptr);
        Dir = dir;
        Root.Dev = Dir + "/dev";
        Root.Sys = Dir + "/sys";
        fs::create_directories(Root.Dev + "/serial/by-id");
        Master = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(Master, 0);
        ::grantpt(Master);
        ::unlockpt(Master);
        const std::string pty = ::ptsname(Master);
        for (const char* name : {"ttyUSB0", "ttyACM0", "ttyS0", "ttyS1"})
            fs::create_symlink(pty, Root.Dev + "/" + name);
        fs::create_symlink("../../ttyUSB0", ById());
        // ttyS0 has a UART behind it, ttyS1 is one of the kernel's empty places.
        for (const char* name : {"ttyS0", "ttyS1"})
            fs::create_directories(Root.Sys + "/class/tty/" + name + "/device");
        std::ofstream(Root.Sys + "/class/tty/ttyS0/type") << "4\n";
        std::ofstream(Root.Sys + "/class/tty/ttyS1/type") << "0\n";
        Ini = Dir + "/kelvow32.ini";
        std::ofstream(Ini) << "[KelvoWin]\nLastCOM=3\n\n[Ports]\nCOM1=" << Dev("ttyACM0")
                           << "\ncom2=/dev/kelvo-unplugged\nCOM3=" << Dev("ttyUSB0")
                           << "\nCOM25=/dev/ttyUSB9\n";
        SavedLookup = SetPortNameLookup({});
    }
    ~PortsDialog() override {
        SetPortNameLookup(SavedLookup);
        if (Master >= 0)
            ::close(Master);
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }
    std::string Dev(const std::string& name) const { return Root.Dev + "/" + name; }
    std::string ById() const { return Root.Dev + "/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0"; }
    std::string Value(const QString& key) const {
        QSettings ini(QString::fromStdString(Ini), QSettings::IniFormat);
        return ini.value(key).toString().toStdString();
    }
    static QStringList Offered(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }

    std::string Dir;
    TPortsRoot Root;
    std::string Ini;
    int Master = -1;
    TPortNameLookup SavedLookup;
    TScriptedPrompt Prompt;
    TPromptScope Scope{Prompt};
};

TEST_F(PortsDialog, ShowsTheMappingOfTheIniFileAndTheDevicesFound) {
    TPortsDialog dialog(nullptr, Ini, Root);
    ASSERT_EQ(dialog.Table->rowCount(), 20);
    EXPECT_EQ(dialog.Table->item(0, 0)->text(), "COM1");
    EXPECT_EQ(dialog.Table->item(19, 0)->text(), "COM20");
    EXPECT_EQ(dialog.Entry(1), Dev("ttyACM0"));
    EXPECT_EQ(dialog.Entry(2), "/dev/kelvo-unplugged") << "a key in any letter case";
    EXPECT_EQ(dialog.Entry(3), Dev("ttyUSB0"));
    EXPECT_EQ(dialog.Entry(4), "");
    EXPECT_EQ(dialog.DeviceBox(4)->lineEdit()->placeholderText(), "not mapped: /dev/ttyS3");

    const QString arrow = QStringLiteral("  \u2192  ");
    const QStringList expected = {
        "", QString::fromStdString(ById()) + arrow + QString::fromStdString(Dev("ttyUSB0")),
        QString::fromStdString(Dev("ttyACM0")), QString::fromStdString(Dev("ttyS0")),
        QString::fromStdString(Dev("ttyUSB0"))};
    EXPECT_EQ(Offered(dialog.DeviceBox(1)), expected) << "ttyS1 has no UART";
    EXPECT_EQ(Offered(dialog.DeviceBox(20)), expected);

    // The by-id line is chosen: the entry is its name, not the arrow.
    QComboBox* box = dialog.DeviceBox(5);
    box->setCurrentIndex(1);
    emit box->activated(1);
    EXPECT_EQ(box->currentText().toStdString(), ById());
    EXPECT_EQ(dialog.Entry(5), ById());
    box->setCurrentIndex(1); // by the keys: the text still holds the arrow
    EXPECT_EQ(dialog.Entry(5), ById());

    // A device plugged in later shows after Refresh; the entries stay.
    fs::create_symlink(Dev("ttyUSB0"), Dev("ttyUSB1"));
    dialog.SetEntry(6, "/dev/typed");
    dialog.Refresh();
    EXPECT_TRUE(Offered(dialog.DeviceBox(1)).contains(QString::fromStdString(Dev("ttyUSB1"))));
    EXPECT_EQ(dialog.Entry(6), "/dev/typed");
    EXPECT_EQ(dialog.Entry(1), Dev("ttyACM0"));
    EXPECT_TRUE(Prompt.Asked.empty());
}

TEST_F(PortsDialog, OkWritesThePortsSectionAndTheNextConnectionUsesItAtOnce) {
    TPortsDialog dialog(nullptr, Ini, Root);
    dialog.SetEntry(1, "");
    dialog.SetEntry(3, ById());
    dialog.SetEntry(20, "  " + Dev("ttyS0") + " ");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(Prompt.Asked.empty()) << "COM2's missing device was there before: no question";

    QSettings ini(QString::fromStdString(Ini), QSettings::IniFormat);
    ini.beginGroup("Ports");
    QStringList keys = ini.childKeys();
    keys.sort();
    EXPECT_EQ(keys, (QStringList{"COM2", "COM20", "COM25", "COM3"}))
        << "COM1 unmapped, com2 rewritten as COM2, COM25 beyond the table kept";
    ini.endGroup();
    EXPECT_EQ(Value("Ports/COM2"), "/dev/kelvo-unplugged");
    EXPECT_EQ(Value("Ports/COM3"), ById());
    EXPECT_EQ(Value("Ports/COM20"), Dev("ttyS0"));
    EXPECT_EQ(Value("Ports/COM25"), "/dev/ttyUSB9");
    EXPECT_EQ(Value("KelvoWin/LastCOM"), "3") << "other sections stay";

    EXPECT_EQ(PortDeviceName(1), "/dev/ttyS0") << "unmapped: the default device";
    EXPECT_EQ(PortDeviceName(3), ById());
    EXPECT_EQ(PortDeviceName(20), Dev("ttyS0"));
    EXPECT_EQ(PortDeviceName(25), "/dev/ttyUSB9");
}

TEST_F(PortsDialog, ATypedDeviceThatDoesNotExistIsAskedAboutAndMayBeKept) {
    TPortsDialog dialog(nullptr, Ini, Root);
    dialog.SetEntry(4, "/dev/ttyUSB77");
    Prompt.Answers = {IdNo};
    dialog.accept();
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Ports");
    EXPECT_EQ(Prompt.Asked[0].Text,
              "These devices do not exist now:\nCOM4: /dev/ttyUSB77\n\nKeep them anyway?");
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Warning);
    EXPECT_EQ(Prompt.Asked[0].Buttons, TPromptButtons::YesNo);
    EXPECT_NE(dialog.result(), QDialog::Accepted) << "No goes back to the table";
    EXPECT_EQ(Value("Ports/COM4"), "");
    EXPECT_EQ(dialog.Entry(4), "/dev/ttyUSB77") << "the typed entry stays for correcting";

    Prompt.Answers = {IdYes};
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Value("Ports/COM4"), "/dev/ttyUSB77");
    EXPECT_EQ(PortDeviceName(4), "/dev/ttyUSB77");
}

TEST_F(PortsDialog, CancelWritesNothingAndKeepsTheMappingInForce) {
    const std::string before = ReadFile(Ini);
    SetPortNameLookup([](int) { return std::string("/dev/as-before"); });
    TPortsDialog dialog(nullptr, Ini, Root);
    dialog.SetEntry(1, "");
    dialog.SetEntry(7, Dev("ttyUSB0"));
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(ReadFile(Ini), before);
    EXPECT_EQ(PortDeviceName(7), "/dev/as-before");
}

TEST_F(PortsDialog, AnIniFileThatCannotBeWrittenIsNamedAndTheDialogStays) {
    const std::string folder = Dir + "/folder.ini";
    fs::create_directory(folder);
    TPortsDialog dialog(nullptr, folder, Root);
    dialog.SetEntry(1, Dev("ttyUSB0"));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text, "Could not write the settings file \"" + folder + "\"!");
    EXPECT_EQ(PortDeviceName(1), "/dev/ttyS0");
}

TEST_F(PortsDialog, WritingTheSectionWithoutEntriesLeavesTheRestOfTheFile) {
    ASSERT_TRUE(WritePortsSection(Ini, {}, 1, 20));
    QSettings ini(QString::fromStdString(Ini), QSettings::IniFormat);
    EXPECT_EQ(ini.value("Ports/COM25").toString(), "/dev/ttyUSB9");
    EXPECT_FALSE(ini.contains("Ports/COM1"));
    EXPECT_FALSE(ini.contains("Ports/com2"));
    EXPECT_EQ(ini.value("KelvoWin/LastCOM").toString(), "3");
}

} // namespace
} // namespace kelvo

KELVO_GUI_TEST_ENVIRONMENT("ports_dialog_tests");
