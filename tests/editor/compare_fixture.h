#pragma once
// An editor window online with the virtual device, snapshots going to a
// scratch folder, and data files made from what the device holds with some
// values changed.
#include "editor/compare_window.h"
#include "editor/editor_fixture.h"
#include "foundation/filetype/fileaccess.h"
#include "foundation/stream.h"
#include "snapshots/snapshots.h"
#include "support/scripted_file_dialog.h"

#include <QApplication>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

namespace kelvo::test {

// Answers the open dialog with one file, or Cancel when there is none.
using TChosenFile = TScriptedFileDialog;

// The demonstration dialog with an editable live line (the calibration date).
inline TSimDialog DemoWithEditableLiveLine() {
    TSimDialog d = BuiltinDemoDialog();
    for (TSimLine& line : d.Lines)
        if (line.Address == 0x0082)
            line.Layout |= 0x8000;
    return d;
}

class CompareFixture : public EditorFixture {
protected:
    explicit CompareFixture(TSimDialog dialog = DemoWithEditableLiveLine())
        : EditorFixture(std::move(dialog)) {
        namespace fs = std::filesystem;
        char folder[] = "/tmp/kelvo-compare-XXXXXX";
        Scratch = ::mkdtemp(folder) ? folder : "";
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            SavedDataHome = old;
        ::setenv("XDG_DATA_HOME", (Scratch + "/data").c_str(), 1);
    }
    ~CompareFixture() override {
        if (SavedDataHome)
            ::setenv("XDG_DATA_HOME", SavedDataHome->c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
        std::error_code error;
        std::filesystem::remove_all(Scratch, error);
    }
    void SetUp() override {
        ASSERT_FALSE(Scratch.empty());
        LoadDeviceDialog();
        GoOnline();
        ASSERT_TRUE(Doc().IsOnline());
        ASSERT_EQ(Form->ReadWholeDevice(), 0);
    }

    // Snapshots cannot be saved: the data folder is a file.
    void BlockSnapshots() {
        const std::string blocker = Scratch + "/blocker";
        std::ofstream(blocker) << "not a folder";
        ::setenv("XDG_DATA_HOME", blocker.c_str(), 1);
    }
    std::vector<TSnapshotInfo> Snapshots() { return ListSnapshots(); }
    // A data file (a snapshot) read back as a document; empty when it cannot be.
    static TPtr<TFileTypeKelvo> ReadDataFile(const std::string& path) {
        TPtr<TFileTypeKelvo> document(new TFileTypeKelvo);
        TFileStream stream(path, TFileStream::OpenRead);
        EXPECT_TRUE(stream.IsOpen()) << path;
        TFileAccess access;
        access.Reader.Init(&stream, path);
        access.Reader.Size = stream.Size();
        if (stream.IsOpen() && access.Reader.Open())
            document->Read(access);
        return document;
    }

    // What the editor's document holds, changed by change, as a data file.
    std::string WriteDataFile(const std::function<void(TFileTypeKelvo&)>& change,
                              const std::string& name = "other.dat") {
        TFileTypeKelvo file;
        file.Entries = Doc().Entries;
        change(file);
        TMemoryStream records;
        for (const TEntry& e : file.Entries) {
            if (!e.IsBlank()) {
                EXPECT_GE(e.Write(records), 0);
            }
        }
        const std::string path = Scratch + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(records.Memory()), records.Size());
        return path;
    }
    static TEntry* Line(TFileTypeKelvo& file, std::uint16_t address, int instance = 0) {
        for (TEntry& e : file.Entries)
            if (e.Address == address && e.IndexI == instance && e.Value)
                return &e;
        ADD_FAILURE() << "no line " << address << ":" << instance;
        static TEntry none;
        return &none;
    }
    static void SetText(TFileTypeKelvo& file, std::uint16_t address, int instance,
                        const std::string& text) {
        if (TEntry* e = Line(file, address, instance); e->Value)
            e->Value->SetText(text);
    }

    // Edit > Compare with File... answered with path.
    TCompareWindow* CompareWith(const std::string& path) {
        auto dialog = std::make_unique<TChosenFile>(path);
        Dialog = dialog.get();
        Form->CompareDialog = std::move(dialog);
        // As the menu does before it shows.
        Form->UpdateActions();
        Form->Actions()["ActionCompareWithFile"]->trigger();
        return Form->CompareWindow();
    }

    // The table's rows as "caption | file | device | reason | check".
    static std::vector<std::string> TableRows(const TCompareWindow& w) {
        std::vector<std::string> rows;
        for (int i = 0; i < w.Table->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = w.Table->topLevelItem(i);
            std::string row;
            for (int c = TCompareWindow::ColumnLine; c <= TCompareWindow::ColumnReason; ++c)
                row += item->text(c).toStdString() + " | ";
            row += !(item->flags() & Qt::ItemIsUserCheckable)                     ? "-"
                   : item->checkState(TCompareWindow::ColumnCheck) == Qt::Checked ? "x"
                                                                                  : "o";
            rows.push_back(row);
        }
        return rows;
    }
    static int TableRow(const TCompareWindow& w, std::uint16_t address, int instance = 0) {
        const auto& rows = w.Comparison().Rows;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].Address == address && rows[i].Instance == instance)
                return int(i);
        return -1;
    }

    std::int32_t DeviceLong(std::uint16_t address, int instance = 0) {
        const TBytes* raw = Device->WorkingValue(address, instance);
        EXPECT_TRUE(raw && raw->size() >= 4);
        return raw ? std::int32_t((*raw)[0] | (*raw)[1] << 8 | (*raw)[2] << 16 | (*raw)[3] << 24)
                   : 0;
    }
    bool AskedAbout(const std::string& part) const {
        for (const TAsked& a : Prompt.Asked)
            if (a.Text.find(part) != std::string::npos)
                return true;
        return false;
    }

    std::string Scratch;
    std::optional<std::string> SavedDataHome;
    TChosenFile* Dialog = nullptr;
};

} // namespace kelvo::test
