#include "editor/editor_settings.h"
#include "editor/register_klvform.h"
#include "editor/settings_store.h"
#include "online/kelvo_online.h"
#include "shell/gui/inihlst.h"
#include "shell/settings/ini_file.h"
#include "support/gui_environment.h"
#include "support/scripted_prompt.h"
#include "tools/vdevice/demo_dialog.h"
#include "tools/vdevice/virtual_line.h"

#include <gtest/gtest.h>

#include <QSettings>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

KELVO_GUI_TEST_ENVIRONMENT("editor_settings_tests");

namespace kelvo {
namespace {

using test::TScriptedPrompt;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<TKlvForm*> Editors() {
    std::vector<TKlvForm*> editors;
    TKlvForm::ForEachEditor([&](TKlvForm& e) { editors.push_back(&e); });
    return editors;
}

class EditorSettingsTest : public ::testing::Test {
protected:
    EditorSettingsTest() {
        Dir = std::filesystem::temp_directory_path() /
              ("kelvo-settings-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        Ini = (Dir / "kelvow32.ini").string();
        SetIniFileName(Ini);
        EditorSettings() = TEditorSettings{};
        TFileTypeKelvo::SetLastComPort(0);
        SetCommandLine({});
        TKlvForm::SetLineOpener(VirtualLineOpener(Device));
    }
    ~EditorSettingsTest() override {
        for (TKlvForm* e : Editors())
            delete e;
        TKlvForm::SetLineOpener({});
        test::DrainEvents();
        CloseIniHlst();
        SetIniFileName({});
        SetCommandLine({});
        std::filesystem::remove_all(Dir);
    }
    void WriteIni(const std::string& text) { std::ofstream(Ini, std::ios::binary) << text; }

    std::filesystem::path Dir;
    std::string Ini;
    std::shared_ptr<TVirtualDevice> Device = std::make_shared<TVirtualDevice>(BuiltinDemoDialog());
    TScriptedPrompt Prompt;
    TPromptScope PromptScope{Prompt};
};

TEST_F(EditorSettingsTest, FirstStartOpensAnOnlineWindowAndWritesTheFourKeysAtTheEnd) {
    {
        TRegisterKlvForm registration;
        registration.Initialised = true;
        registration.Initialise();
        EXPECT_TRUE(EditorSettings().initialised);
        EXPECT_TRUE(EditorSettings().AutoConnect);
        EXPECT_FALSE(EditorSettings().SpecialOptions);
        EXPECT_EQ(EditorSettings().Language, "English");
        EXPECT_EQ(TFileTypeKelvo::LastComPort(), 1);
        const auto editors = Editors();
        ASSERT_EQ(editors.size(), 1u);
        ASSERT_TRUE(editors[0]->Online());
        EXPECT_TRUE(editors[0]->Online()->IsOnline());
        EXPECT_EQ(editors[0]->Online()->Session().Stream().Port(), 1);
        // Nothing is written before the end.
        EXPECT_FALSE(std::filesystem::exists(Ini));
    }
    const std::string text = Slurp(Ini);
    EXPECT_NE(text.find("[KelvoWin]"), std::string::npos);
    EXPECT_NE(text.find("AutoConnect=1\n"), std::string::npos);
    EXPECT_NE(text.find("SpecialOptions=0\n"), std::string::npos);
    EXPECT_NE(text.find("Language=English\n"), std::string::npos);
    EXPECT_NE(text.find("LastCOM=1\n"), std::string::npos);
}

TEST_F(EditorSettingsTest, AFileOnTheCommandLineSuppressesTheAutoConnectWindow) {
    SetCommandLine({"-kalibrier", "/data/set.dat"});
    TRegisterKlvForm registration;
    registration.Initialise();
    EXPECT_TRUE(Editors().empty());
    EXPECT_TRUE(EditorSettings().initialised);
}

TEST_F(EditorSettingsTest, OptionsAloneLeaveTheAutoConnectWindow) {
    SetCommandLine({"-kalibrier", "--verbose"});
    TRegisterKlvForm registration;
    registration.Initialise();
    EXPECT_EQ(Editors().size(), 1u);
}

TEST_F(EditorSettingsTest, NoAutoConnectWindowWhenSwitchedOffOrAlreadyInitialised) {
    WriteIni("[KelvoWin]\nAutoConnect=0\n");
    TRegisterKlvForm registration;
    registration.Initialise();
    EXPECT_TRUE(Editors().empty());
    EXPECT_FALSE(EditorSettings().AutoConnect);

    // Another length: the toolkit's cache of the file sees it changed.
    WriteIni("[KelvoWin]\nAutoConnect=1\nLanguage=Deutsch\n");
    CloseIniHlst();
    registration.Initialise();
    EXPECT_TRUE(EditorSettings().AutoConnect);
    EXPECT_TRUE(Editors().empty());
}

TEST_F(EditorSettingsTest, StoredValuesAreRead) {
    WriteIni("[KelvoWin]\nAutoConnect=0\nSpecialOptions=1\nLanguage=Deutsch\nLastCOM=12\n");
    ReadEditorSettings(IniHlst().IniFile());
    EXPECT_FALSE(EditorSettings().AutoConnect);
    EXPECT_TRUE(EditorSettings().SpecialOptions);
    EXPECT_EQ(EditorSettings().Language, "Deutsch");
    EXPECT_EQ(TFileTypeKelvo::LastComPort(), 12);
}

TEST_F(EditorSettingsTest, UnreadableValuesKeepTheirDefaults) {
    WriteIni("[KelvoWin]\nAutoConnect=maybe\nSpecialOptions=\nLastCOM=0\n");
    ReadEditorSettings(IniHlst().IniFile());
    EXPECT_TRUE(EditorSettings().AutoConnect);
    EXPECT_FALSE(EditorSettings().SpecialOptions);
    EXPECT_EQ(EditorSettings().Language, "English");
    // Port 0 is no port: it would send going online on the last port in a circle.
    EXPECT_EQ(TFileTypeKelvo::LastComPort(), 1);
    CloseIniHlst();
    WriteIni("[KelvoWin]\nLastCOM=256\nAutoConnect=false\nSpecialOptions=true\n");
    ReadEditorSettings(IniHlst().IniFile());
    EXPECT_EQ(TFileTypeKelvo::LastComPort(), 1);
    EXPECT_FALSE(EditorSettings().AutoConnect);
    EXPECT_TRUE(EditorSettings().SpecialOptions);
}

TEST_F(EditorSettingsTest, ValuesRoundTripThroughTheFile) {
    // "Français; (= test)" with its c-cedilla as the OEM byte 0x87.
    const std::string language = "Fran\x87"
                                 "ais; (= \"test\") ";
    EditorSettings().AutoConnect = false;
    EditorSettings().SpecialOptions = true;
    EditorSettings().Language = language;
    TFileTypeKelvo::SetLastComPort(17);
    {
        QSettings ini(QString::fromStdString(Ini), QSettings::IniFormat);
        EXPECT_TRUE(WriteEditorSettings(ini));
    }
    // Readable text in the file.
    EXPECT_NE(Slurp(Ini).find("Français"), std::string::npos);
    EditorSettings() = TEditorSettings{};
    TFileTypeKelvo::SetLastComPort(0);
    ReadEditorSettings(IniHlst().IniFile());
    EXPECT_FALSE(EditorSettings().AutoConnect);
    EXPECT_TRUE(EditorSettings().SpecialOptions);
    EXPECT_EQ(EditorSettings().Language, language);
    EXPECT_EQ(TFileTypeKelvo::LastComPort(), 17);
}

TEST_F(EditorSettingsTest, WritingKeepsTheHistoryListsAndOtherSections) {
    WriteIni("[Ports]\nCOM1=/tmp/link\n\n[kelvow32]\nRecent0=/data/a.dat\n\n[KelvoWin]\n"
             "Language=Deutsch\n");
    {
        TRegisterKlvForm registration;
        SetCommandLine({"/data/a.dat"});
        registration.Initialised = true;
        registration.Initialise();
        EditorSettings().Language = "- No translations -";
    }
    const std::string text = Slurp(Ini);
    EXPECT_NE(text.find("COM1=/tmp/link"), std::string::npos);
    EXPECT_NE(text.find("Recent0=/data/a.dat"), std::string::npos);
    EXPECT_NE(text.find("Language=- No translations -"), std::string::npos);
    EXPECT_EQ(text.find("Deutsch"), std::string::npos);
}

TEST_F(EditorSettingsTest, ARegistrationNeverInitialisedWritesNothing) {
    { TRegisterKlvForm registration; }
    EXPECT_FALSE(std::filesystem::exists(Ini));
}

TEST_F(EditorSettingsTest, TheKindTakesKelvoFilesByExtension) {
    TRegisterKlvForm registration;
    EXPECT_NE(AllFilters().find("|Kelvo Data (*.dat;*.kelvo)|*.dat;*.kelvo"), std::string::npos);
    TFilesaveForm* form = FindFormForFile("/data/SET.DAT", nullptr);
    EXPECT_NE(qobject_cast<TKlvForm*>(form), nullptr);
    delete form;
    EXPECT_EQ(FindFormForFile("/data/set.txt", nullptr), nullptr);
}

// The registration is a static object, destroyed after the main routine when
// the toolkit's settings layer is gone: the settings are written when the
// application object ends.
TEST(EditorSettingsAtExit, AStaticRegistrationWritesAfterMainReturns) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("kelvo-exit-probe-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string ini = (dir / "probe.ini").string();
    const std::string probe =
        (std::filesystem::path(::testing::internal::GetArgvs()[0]).parent_path() /
         "editor_settings_exit_probe")
            .string();
    const std::string command = "QT_QPA_PLATFORM=offscreen '" + probe + "' '" + ini + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string text = Slurp(ini);
    std::filesystem::remove_all(dir);
    EXPECT_NE(text.find("AutoConnect=1"), std::string::npos);
    EXPECT_NE(text.find("SpecialOptions=1"), std::string::npos);
    EXPECT_NE(text.find("Language=Deutsch"), std::string::npos);
    EXPECT_NE(text.find("LastCOM=7"), std::string::npos);
    EXPECT_NE(text.find("Recent0=/data/probe.dat"), std::string::npos);
}

} // namespace
} // namespace kelvo
