// The editor window, offscreen: opening a file of 100,000 lines until the
// list shows its rows, and the peak memory of the process with ten windows
// open on files of 10,000 lines (run as "editor_bench memory", so that the
// peak is that of the ten windows alone).
#include "common/large_dialog.h"
#include "editor/klvform.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QTreeView>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

using namespace kelvo;
using namespace kelvo::bench;

namespace {

using Clock = std::chrono::steady_clock;

std::string TempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("kelvo_bench_" + std::to_string(::getpid()) + "_" + name))
        .string();
}

// The rows the document's list holds once loaded: what the window must show.
int ExpectedRows(const std::string& path) {
    TFileTypeKelvo doc;
    TFileAccess access("Open File");
    access.Reader.Init(nullptr, path);
    doc.Read(access);
    return doc.List().GetRowCount();
}

// Opens path in a new window; true once the list's model has all its rows.
bool Open(TKlvForm*& form, const std::string& path, int rows) {
    form = new TKlvForm;
    form->resize(520, 420);
    form->show();
    form->SetFileName(path);
    form->LoadFromFile(path);
    const auto limit = Clock::now() + std::chrono::seconds(60);
    for (;;) {
        QAbstractItemModel* model = form->Controls().KelvoListView->model();
        if (model && model->rowCount() == rows)
            return true;
        if (Clock::now() > limit)
            return false;
        QCoreApplication::processEvents();
    }
}

int OpenLarge() {
    constexpr int Lines = 100000;
    const std::string path = TempFile("large.dat");
    SaveDialog(path, Lines);
    const int rows = ExpectedRows(path);
    TKlvForm* form = nullptr;
    bool shown = false;
    const TTimes t = Measure([&] {
        shown = Open(form, path, rows);
        // One more round of events: the rows are painted, not only counted.
        QCoreApplication::processEvents();
    });
    std::printf("open 100,000 lines in the editor window: %.1f ms (processor %.1f ms), %d rows%s\n",
                t.Wall * 1000, t.Cpu * 1000, rows, shown ? "" : " (NOT shown)");
    if (shown)
        TimedRow("opening the 100,000-line file in the editor window", t, 1.0, "<= 1000 ms");
    else
        TableRow("opening the 100,000-line file in the editor window", "rows not shown",
                 "<= 1000 ms", 0);
    delete form;
    std::filesystem::remove(path);
    return shown ? 0 : 1;
}

int TenDocuments() {
    constexpr int Lines = 10000;
    constexpr int Documents = 10;
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    std::vector<std::string> paths;
    for (int i = 0; i < Documents; ++i) {
        paths.push_back(TempFile("doc" + std::to_string(i) + ".dat"));
        SaveDialog(paths.back(), Lines);
    }
    const int rows = ExpectedRows(paths.front());
    std::vector<TKlvForm*> forms;
    bool shown = true;
    for (const std::string& path : paths) {
        TKlvForm* form = nullptr;
        shown = Open(form, path, rows) && shown;
        forms.push_back(form);
    }
    QCoreApplication::processEvents();
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    std::printf("ten editor windows of 10,000 lines: peak %ld MB (%ld MB before them)\n",
                after.ru_maxrss / 1024, before.ru_maxrss / 1024);
    TableRow("peak memory, ten open documents of 10,000 lines",
             std::to_string(after.ru_maxrss / 1024) + " MB (" +
                 std::to_string(before.ru_maxrss / 1024) + " MB without them)");
    for (TKlvForm* form : forms)
        delete form;
    for (const std::string& path : paths)
        std::filesystem::remove(path);
    return shown ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "memory") == 0)
        return TenDocuments();
    return OpenLarge();
}
