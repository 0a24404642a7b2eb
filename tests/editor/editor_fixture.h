#pragma once
// An editor window over the in-process virtual device, offscreen. The user's
// answers to message boxes and value dialogs come from scripts; the timer's
// work is run by the test, one cycle at a time. What the window writes into
// the user's data folder (the change journal, snapshots) goes to a scratch
// folder of the test.
#include "editor/klvform.h"
#include "foundation/stream.h"
#include "model/dlglinevalue.h"
#include "model/dlglinevalue_choice.h"
#include "model/value_editor.h"
#include "online/kelvo_online.h"
#include "support/gui_environment.h"
#include "support/scripted_prompt.h"
#include "tools/vdevice/demo_dialog.h"
#include "tools/vdevice/virtual_line.h"

#include <gtest/gtest.h>

#include <QPointer>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace kelvo::test {

using TEntry = TFileTypeKelvo::TEntry;

// Answers value dialogs: a text for the text dialog, an item for the list;
// nothing scripted means Cancel.
class TScriptedValueEditor : public TValueEditor {
public:
    bool EditText(TDlglineValue& value, QWidget*, TDlgline&) override {
        ++Shown;
        if (Texts.empty())
            return false;
        std::optional<std::string> text = Texts.front();
        Texts.pop_front();
        if (!text)
            return false;
        value.SetText(*text);
        return true;
    }
    bool EditChoice(TDlglineValueChoice& value, QWidget*, TDlgline&) override {
        ++Shown;
        if (Items.empty())
            return false;
        const int item = Items.front();
        Items.pop_front();
        if (item < 0)
            return false;
        value.SetLong(item);
        return true;
    }
    std::deque<std::optional<std::string>> Texts;
    std::deque<int> Items;
    int Shown = 0;
};

// Points XDG_DATA_HOME at the "data" folder of a scratch folder for its
// lifetime: nothing a test writes reaches the user's own data folder.
class TScratchUserData {
public:
    TScratchUserData() {
        char folder[] = "/tmp/kelvo-editor-XXXXXX";
        Folder = ::mkdtemp(folder) ? folder : "/nonexistent/kelvo-editor";
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            Saved = old;
        ::setenv("XDG_DATA_HOME", (Folder + "/data").c_str(), 1);
    }
    ~TScratchUserData() {
        if (Saved)
            ::setenv("XDG_DATA_HOME", Saved->c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
        std::error_code error;
        std::filesystem::remove_all(Folder, error);
    }
    TScratchUserData(const TScratchUserData&) = delete;
    TScratchUserData& operator=(const TScratchUserData&) = delete;

    std::string Folder;

private:
    std::optional<std::string> Saved;
};

class EditorFixture : public ::testing::Test {
protected:
    explicit EditorFixture(TSimDialog dialog = BuiltinDemoDialog())
        : Device(std::make_shared<TVirtualDevice>(std::move(dialog))) {
        TFileTypeKelvo::SetLastComPort(1);
        TKlvForm::SetLineOpener(VirtualLineOpener(Device));
        SavedEditor = SetValueEditor(&Values);
        Form = new TKlvForm;
        Form->resize(520, 420);
        Form->show();
    }
    ~EditorFixture() override {
        SetValueEditor(SavedEditor);
        delete Form.data();
        TKlvForm::SetLineOpener({});
        DrainEvents();
    }

    // Loads records as a data file named name.
    void LoadLines(const std::vector<TSimLine>& lines, const std::string& name = "set.dat") {
        const TBytes bytes = WriteLineRecords(lines);
        TMemoryStream stream;
        stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        stream.Seek(0, 0);
        Form->SetFileName(name);
        Form->LoadFromStream(&stream, static_cast<std::int64_t>(bytes.size()));
    }
    void LoadDeviceDialog() { LoadLines(Device->Dialog().Lines); }

    TFileTypeKelvo& Doc() { return *Form->Kelvo(); }
    TKelvoSession& Session() { return Form->Online()->Session(); }
    // The first entry with a value at address (and instance).
    TEntry* Find(std::uint16_t address, int instance = 0) {
        for (TEntry& e : Doc().Entries)
            if (e.Address == address && e.IndexI == instance && e.Value)
                return &e;
        return nullptr;
    }
    int RowOf(const TEntry* entry) {
        const TSortVListView& list = Doc().List();
        for (int row = 0; row < list.GetRowCount(); ++row)
            if (list.GetItem(row) == entry)
                return row;
        return -1;
    }
    // Makes row the only selected row, with the focus.
    void SelectRow(int row);
    // One timer cycle of the online work, as the tick and the idle call run it.
    void Cycle() {
        Session().TickPending = true;
        bool done = false;
        Doc().Idle(nullptr, done);
    }
    void GoOnline(TConnectTarget target = ComPort(1)) {
        Prompt.Answers.push_back(IdOk);
        Form->GoOnline(target);
        Prompt.Asked.clear();
    }
    bool Enabled(QAction* action) {
        Form->UpdateActions();
        return action->isEnabled();
    }

    // First in, last out: the window comes and goes inside it.
    TScratchUserData UserData;
    std::shared_ptr<TVirtualDevice> Device;
    TScriptedPrompt Prompt;
    TPromptScope PromptScope{Prompt};
    TScriptedValueEditor Values;
    TValueEditor* SavedEditor = nullptr;
    QPointer<TKlvForm> Form;
};

} // namespace kelvo::test
