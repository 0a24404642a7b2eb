#pragma once
// A document online with the in-process virtual device: no threads, no
// sleeps; ticks, the clock and the user's answers are all driven by the test.
#include "foundation/filetype/fileaccess.h"
#include "foundation/stream.h"
#include "model/dlglinevalue.h"
#include "model/kelvofile.h"
#include "online/kelvo_online.h"
#include "online/manual_host.h"
#include "support/scripted_prompt.h"
#include "tools/vdevice/virtual_line.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace kelvo::test {

using TEntry = TFileTypeKelvo::TEntry;

// Runs a hook before answering, so a test can act while a box is open.
class THookedPrompt : public TScriptedPrompt {
public:
    std::function<void()> OnAsk;
    int Ask(const std::string& caption, const std::string& text, TPromptIcon icon,
            TPromptButtons buttons) override {
        if (OnAsk)
            OnAsk();
        return TScriptedPrompt::Ask(caption, text, icon, buttons);
    }
};

class TRecordingView : public TOnlineView {
public:
    int TopRow() const override { return Top; }
    int VisibleRows() const override { return Rows; }
    void RowChanged(int row) override { Changed.push_back(row); }
    void ListChanged() override { ++ListChanges; }
    void DocumentChanged() override { ++DocumentChanges; }
    void StatusChanged() override { ++StatusChanges; }

    int Top = 0;
    int Rows = 0;
    std::vector<int> Changed;
    int ListChanges = 0;
    int DocumentChanges = 0;
    int StatusChanges = 0;
};

class OnlineFixture : public ::testing::Test {
protected:
    explicit OnlineFixture(TSimDialog dialog = BuiltinDemoDialog())
        : Device(std::make_shared<TVirtualDevice>(std::move(dialog))) {
        Session().Stream().SetLineOpener(VirtualLineOpener(Device));
    }

    TKelvoSession& Session() { return Online.Session(); }

    // Makes the document hold what a data file of these lines holds.
    void LoadLines(const std::vector<TSimLine>& lines) {
        const TBytes bytes = WriteLineRecords(lines);
        TMemoryStream stream;
        stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        stream.Seek(0, 0);
        TFileAccess access("Open File");
        access.Reader.Init(&stream, "old.dat");
        Doc.Read(access);
    }
    void LoadDeviceDialog() { LoadLines(Device->Dialog().Lines); }

    // One timer tick followed by the idle call that does the work.
    void Cycle() {
        Ticks.Tick();
        bool done = false;
        Doc.Idle(nullptr, done);
    }
    // Goes online on port 1 and acknowledges the box.
    void GoOnlineQuietly() {
        Prompt.Answers.push_back(IdOk);
        Online.GoOnline(ComPort(1), 0);
        Prompt.Asked.clear();
    }

    TEntry* Find(std::uint16_t address, int instance = 0) {
        for (TEntry& e : Doc.Entries)
            if (e.Address == address && e.IndexI == instance && e.Value)
                return &e;
        return nullptr;
    }
    std::int32_t DeviceLong(std::uint16_t address, int instance = 0) {
        const TBytes* raw = Device->WorkingValue(address, instance);
        EXPECT_TRUE(raw && raw->size() >= 4);
        return raw ? std::int32_t((*raw)[0] | (*raw)[1] << 8 | (*raw)[2] << 16 | (*raw)[3] << 24)
                   : 0;
    }
    std::int32_t StoredLong(std::uint16_t address) {
        const TBytes* raw = Device->StoredValue(address);
        return raw ? std::int32_t((*raw)[0] | (*raw)[1] << 8 | (*raw)[2] << 16 | (*raw)[3] << 24)
                   : 0;
    }
    void SilenceDevice() { Device->Options().SilentAfter = Device->Counters().Messages; }
    void WakeDevice() { Device->Options().SilentAfter = -1; }

    // Every test starts as a fresh program: no port used yet.
    int FreshStart = (TFileTypeKelvo::SetLastComPort(0), 0);
    std::shared_ptr<TVirtualDevice> Device;
    TFileTypeKelvo Doc;
    TManualTickSource Ticks;
    TPlainCloseLock Lock;
    TRecordingView View;
    TKelvoOnline Online{Doc, &Ticks, &Lock, &View};
    THookedPrompt Prompt;
    TPromptScope PromptScope{Prompt};
};

// A line of a dialog by its address.
inline TSimLine* SimLine(std::vector<TSimLine>& lines, std::uint16_t address) {
    for (TSimLine& line : lines)
        if (line.Address == address)
            return &line;
    return nullptr;
}

} // namespace kelvo::test
