#include "editor/editor_fixture.h"
#include "editor/editor_settings.h"
#include "shell/gui/registerform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

namespace kelvo::test {
namespace {

class Options : public EditorFixture {
protected:
    Options() {
        EditorSettings() = TEditorSettings{};
        LoadDeviceDialog();
        Second = new TKlvForm;
        Second->show();
        LoadInto(*Second);
    }
    ~Options() override {
        delete Second.data();
        SetCommandLine({});
        EditorSettings() = TEditorSettings{};
    }
    void LoadInto(TKlvForm& form) {
        const TBytes bytes = WriteLineRecords(Device->Dialog().Lines);
        TMemoryStream stream;
        stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        stream.Seek(0, 0);
        form.SetFileName("second.dat");
        form.LoadFromStream(&stream, static_cast<std::int64_t>(bytes.size()));
    }
    static std::string Caption(TKlvForm& form, std::uint16_t address) {
        for (auto& e : form.Kelvo()->Entries)
            if (e.Address == address && e.Value)
                return e.GetText(0);
        return {};
    }
    QPointer<TKlvForm> Second;
};

TEST_F(Options, ADocumentLoadedIntoTheWindowRunsAtTheRateItsButtonShows) {
    Form->Controls().CkbxSpecialOpt->click();
    Form->Controls().Rbtn576->click();
    ASSERT_EQ(Session().Stream().Baud(), 57600);
    LoadDeviceDialog();
    EXPECT_TRUE(Form->Controls().Rbtn576->isChecked());
    EXPECT_EQ(Session().Stream().Baud(), 57600) << "the button and the link agree";
    Form->Controls().Rbtn1152->click();
    LoadDeviceDialog();
    EXPECT_EQ(Session().Stream().Baud(), 115200);
}

TEST_F(Options, ProductionModeNeedsThePasswordAsTheExactFirstArgument) {
    Form->Controls().CkbxSpecialOpt->click();
    ASSERT_TRUE(Form->Controls().CkbxProdmod->isEnabled());

    SetCommandLine({"-Kalibrier"});
    Form->Controls().CkbxProdmod->click();
    EXPECT_FALSE(Form->Controls().CkbxProdmod->isChecked());
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text.rfind("In order to get access to the production mode", 0), 0u);
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Information);
    EXPECT_EQ(Doc().ProductionFlag, 0);

    SetCommandLine({"set.dat", "-kalibrier"});
    Form->Controls().CkbxProdmod->click();
    EXPECT_FALSE(Form->Controls().CkbxProdmod->isChecked()) << "only as the first argument";

    SetCommandLine({"-kalibrier", "set.dat"});
    const int rows = Doc().List().GetRowCount();
    Form->Controls().CkbxProdmod->click();
    EXPECT_TRUE(Form->Controls().CkbxProdmod->isChecked());
    EXPECT_EQ(Doc().ProductionFlag, 1);
    EXPECT_GT(Doc().List().GetRowCount(), rows) << "production lines appear";
}

TEST_F(Options, SpecialOptionsOffInOneWindowResetsEveryWindow) {
    SetCommandLine({"-kalibrier"});
    Form->Controls().CkbxSpecialOpt->click();
    EXPECT_TRUE(Second->Controls().CkbxSpecialOpt->isChecked()) << "shared by every window";
    Form->Controls().CkbxProdmod->click();
    Second->Controls().CkbxProdmod->click();
    Second->Controls().Rbtn576->click();
    ASSERT_EQ(Second->Online()->Session().Stream().Baud(), 57600);
    ASSERT_EQ(Second->Kelvo()->ProductionFlag, 1);

    Form->Controls().CkbxSpecialOpt->click();
    for (TKlvForm* form : {Form.data(), Second.data()}) {
        EXPECT_FALSE(form->Controls().CkbxSpecialOpt->isChecked());
        EXPECT_FALSE(form->Controls().CkbxProdmod->isChecked());
        EXPECT_FALSE(form->Controls().CkbxProdmod->isEnabled());
        EXPECT_TRUE(form->Controls().Rbtn1152->isChecked());
        EXPECT_FALSE(form->Controls().Rbtn576->isEnabled());
        EXPECT_EQ(form->Online()->Session().Stream().Baud(), 115200);
        EXPECT_EQ(form->Kelvo()->ProductionFlag, 0);
    }
}

TEST_F(Options, ALanguageChosenInOneWindowTranslatesEveryWindow) {
    EXPECT_EQ(Form->Controls().CmbxLanguage->itemText(0), "- No translations -");
    EXPECT_EQ(Caption(*Second, 0x0012), "Device tag");
    const int german = Form->Controls().CmbxLanguage->findText("Deutsch");
    ASSERT_GT(german, 0);
    Form->Controls().CmbxLanguage->setCurrentIndex(german);
    emit Form->Controls().CmbxLanguage->activated(german);

    EXPECT_EQ(EditorSettings().Language, "Deutsch");
    for (TKlvForm* form : {Form.data(), Second.data()}) {
        EXPECT_EQ(form->Controls().CmbxLanguage->currentText(), "Deutsch");
        EXPECT_EQ(form->Kelvo()->Language(), "Deutsch");
        EXPECT_EQ(Caption(*form, 0x0012), "Messstellenname");
        EXPECT_NE(form->Controls().LabelLanguage->text().indexOf("kelvo.lng"), -1);
    }

    const int none = Second->Controls().CmbxLanguage->findText("- No translations -");
    Second->Controls().CmbxLanguage->setCurrentIndex(none);
    emit Second->Controls().CmbxLanguage->activated(none);
    EXPECT_EQ(Caption(*Form, 0x0012), "Device tag");
    EXPECT_EQ(Form->Controls().LabelLanguage->text(), "Translations disabled!");
}

TEST_F(Options, AStoredLanguageWithoutParagraphFallsBackToNoTranslations) {
    EditorSettings().Language = "Klingon";
    auto* third = new TKlvForm;
    third->SyncOptions();
    EXPECT_EQ(EditorSettings().Language, "- No translations -");
    EXPECT_EQ(third->Controls().LabelLanguage->text(), "No KELVO data loaded!");
    delete third;
}

} // namespace
} // namespace kelvo::test
