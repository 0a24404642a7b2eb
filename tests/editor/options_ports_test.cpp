// The Options tab's Ports... button: the dialog it opens works on the
// program's INI file, and a go-online after OK uses the new mapping.
#include "devicelink/serialline.h"
#include "editor/editor_fixture.h"
#include "shell/gui/ports_dialog.h"
#include "shell/settings/ini_file.h"
#include "shell/settings/ports_lookup.h"

#include <QCheckBox>
#include <QPushButton>

#include <filesystem>
#include <fstream>

namespace kelvo::test {
namespace {

namespace fs = std::filesystem;

class OptionsPorts : public EditorFixture {
protected:
    OptionsPorts() {
        char folder[] = "/tmp/kelvo-options-ports-XXXXXX";
        EXPECT_TRUE(::mkdtemp(folder));
        Dir = folder;
        SetIniFileName(Dir + "/kelvow32.ini");
        std::ofstream(Dir + "/kelvow32.ini") << "[Ports]\nCOM2=/dev/kelvo-two\n";
        SavedLookup = SetPortNameLookup({});
    }
    ~OptionsPorts() override {
        SetPortsDialogRunner({});
        SetPortNameLookup(SavedLookup);
        SetIniFileName({});
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }
    QPushButton* Button() {
        return Form->Controls().TabOptions->findChild<QPushButton*>("BtnPorts");
    }

    std::string Dir;
    TPortNameLookup SavedLookup;
};

TEST_F(OptionsPorts, TheButtonOpensTheTableOfTheProgramsIniFileAndOkTakesEffectAtOnce) {
    QPushButton* button = Button();
    ASSERT_TRUE(button);
    EXPECT_EQ(button->text(), "&Ports...");
    EXPECT_EQ(Form->Controls().CkbxAutoConnect->nextInFocusChain(), button)
        << "Tab goes where it stands";
    EXPECT_EQ(button->nextInFocusChain(), static_cast<QWidget*>(Form->Controls().CkbxSpecialOpt));
    const std::string missing = Dir + "/no-such-tty";
    int shown = 0;
    SetPortsDialogRunner([&](TPortsDialog& dialog) {
        ++shown;
        EXPECT_EQ(dialog.Entry(2), "/dev/kelvo-two");
        dialog.SetEntry(1, missing);
        Prompt.Answers.push_back(IdYes); // keep the device that is not there
        dialog.accept();
        return dialog.result();
    });
    button->click();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(PortDeviceName(1), missing);
    EXPECT_EQ(ReadPortsSection(Dir + "/kelvow32.ini").at(1), missing);

    // The next go-online opens the new device, here in vain.
    TKlvForm::SetLineOpener({});
    Form->LoadFromStream(nullptr, 0);
    EXPECT_FALSE(Doc().IsOnline());
    EXPECT_NE(Form->StatusText().find("COM1 is " + missing + ": no such file"), std::string::npos)
        << Form->StatusText();
}

TEST_F(OptionsPorts, CancelLeavesTheIniFileAndTheMapping) {
    SetPortsDialogRunner([](TPortsDialog& dialog) {
        dialog.SetEntry(2, "");
        dialog.reject();
        return dialog.result();
    });
    Button()->click();
    EXPECT_EQ(ReadPortsSection(Dir + "/kelvow32.ini").at(2), "/dev/kelvo-two");
    EXPECT_EQ(PortDeviceName(2), "/dev/ttyS1");
}

} // namespace
} // namespace kelvo::test
