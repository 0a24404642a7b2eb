#include "editor/restore_snapshot_dialog.h"

#include "editor/klvform.h"
#include "foundation/prompt.h"
#include "foundation/stream.h"
#include "shell/gui/mainform.h"
#include "shell/gui/mainwindow.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace kelvo {

namespace {

constexpr const char* RestoreCaption = "Restore Snapshot";

std::function<bool(TRestoreSnapshotDialog&)>& Runner() {
    static std::function<bool(TRestoreSnapshotDialog&)> runner;
    return runner;
}

// A snapshot's name after its time: "COM1-KT-200.dat" gives the port and
// the device program's name.
void PortAndProgram(const std::string& fileName, std::string& port, std::string& program) {
    std::string rest = fileName.size() > 21 ? fileName.substr(21) : std::string();
    if (rest.size() > 4 && rest.compare(rest.size() - 4, 4, ".dat") == 0)
        rest.resize(rest.size() - 4);
    const auto dash = rest.find('-');
    port = rest.substr(0, dash);
    program = dash == std::string::npos ? std::string() : rest.substr(dash + 1);
    // The name stands for blanks (and characters a file name cannot hold) with '_'.
    std::replace(program.begin(), program.end(), '_', ' ');
}

} // namespace

TRestoreSnapshotDialog::TRestoreSnapshotDialog(QWidget* parent, std::string folder)
    : QDialog(parent), FFolder(std::move(folder)) {
    setObjectName("RestoreSnapshotDialog");
    setWindowTitle(RestoreCaption);

    Hint = new QLabel;
    Hint->setObjectName("Hint");
    Hint->setWordWrap(true);
    Hint->setTextFormat(Qt::PlainText);
    Hint->setTextInteractionFlags(Qt::TextSelectableByMouse);

    List = new QTreeWidget;
    List->setObjectName("List");
    List->setRootIsDecorated(false);
    List->setUniformRowHeights(true);
    List->setAllColumnsShowFocus(true);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setColumnCount(4);
    List->setHeaderLabels({"Time (UTC)", "Port", "Device program", "Size"});
    List->headerItem()->setTextAlignment(ColumnSize, Qt::AlignRight | Qt::AlignVCenter);
    QHeaderView* header = List->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(ColumnProgram, QHeaderView::Stretch);
    List->setColumnWidth(ColumnTime, 145);
    List->setColumnWidth(ColumnPort, 80);
    List->setColumnWidth(ColumnSize, 95);

    auto* buttons = new QDialogButtonBox;
    ButtonOpen = buttons->addButton("&Open", QDialogButtonBox::AcceptRole);
    ButtonCancel = buttons->addButton(QDialogButtonBox::Cancel);
    ButtonOpen->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(List, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(List, &QTreeWidget::currentItemChanged, this,
            [this] { ButtonOpen->setEnabled(!SelectedPath().empty()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Hint);
    layout->addWidget(List, 1);
    layout->addWidget(buttons);
    resize(560, 320);
    Fill();
}

void TRestoreSnapshotDialog::Fill() {
    FSnapshots = ListSnapshots(FFolder);
    const std::string folder = FFolder.empty() ? SnapshotFolder() : FFolder;
    if (FSnapshots.empty())
        Hint->setText(QString::fromStdString(
            "No snapshots yet. Before anything writes into a device, its values are saved in " +
            folder + "."));
    else
        Hint->setText(QString::fromStdString("Snapshots in " + folder +
                                             ", newest first (the newest " +
                                             std::to_string(SnapshotsKept) + " are kept):"));
    List->clear();
    for (const TSnapshotInfo& info : FSnapshots) {
        std::string port, program;
        PortAndProgram(info.FileName, port, program);
        auto* item = new QTreeWidgetItem;
        item->setText(ColumnTime, QString::fromStdString(info.Time).remove(" UTC"));
        item->setText(ColumnPort, QString::fromStdString(port));
        item->setText(ColumnProgram, QString::fromStdString(program));
        item->setText(ColumnSize, QString("%1 bytes").arg(qulonglong(info.Size)));
        item->setTextAlignment(ColumnSize, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(ColumnTime, QString::fromStdString(info.Path));
        List->addTopLevelItem(item);
    }
    if (List->topLevelItemCount() > 0)
        List->setCurrentItem(List->topLevelItem(0));
    ButtonOpen->setEnabled(!SelectedPath().empty());
}

std::string TRestoreSnapshotDialog::SelectedPath() const {
    const int row = List->indexOfTopLevelItem(List->currentItem());
    return row >= 0 && row < int(FSnapshots.size()) ? FSnapshots[std::size_t(row)].Path
                                                    : std::string();
}

TKlvForm* OpenSnapshot(const std::string& path, QWidget* owner) {
    // Read into memory: the document must not take the snapshot's name, so
    // that Save asks for one and the snapshot is never overwritten.
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    auto* window = new TKlvForm(owner);
    ShowDocumentWindow(window);
    if (file.good() || file.eof()) {
        TMemoryStream stream;
        stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        stream.Seek(0, SoBeginning);
        window->LoadFromStream(&stream, static_cast<std::int64_t>(bytes.size()));
    }
    if (!window->IsEmptyDocument())
        return window;
    delete window;
    Prompt().Ask(RestoreCaption, "Invalid File \"" + path + "\"!", TPromptIcon::Error,
                 TPromptButtons::Ok);
    return nullptr;
}

void SetRestoreSnapshotRunner(std::function<bool(TRestoreSnapshotDialog&)> runner) {
    Runner() = std::move(runner);
}

void RestoreSnapshot(QWidget* owner) {
    TRestoreSnapshotDialog dialog(owner);
    const bool chosen = Runner() ? Runner()(dialog) : dialog.exec() == QDialog::Accepted;
    const std::string path = dialog.SelectedPath();
    if (chosen && !path.empty())
        OpenSnapshot(path, MainForm() ? MainForm() : owner);
}

QAction* InstallRestoreSnapshot(TMainForm& main) {
    auto* action = new QAction("Restore Sna&pshot...", &main);
    action->setObjectName("ActionRestoreSnapshot");
    action->setStatusTip("Open a snapshot of a device's values taken before a write");
    QObject::connect(action, &QAction::triggered, &main, [&main] { RestoreSnapshot(&main); });
    main.AddFileCommand(action);
    return action;
}

} // namespace kelvo
