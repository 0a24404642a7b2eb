#include "editor/compare_window.h"

#include "editor/klvform.h"
#include "foundation/gui/oem_text.h"
#include "foundation/prompt.h"

#include <QAbstractEventDispatcher>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kelvo {

namespace {

constexpr const char* WriteCaption = "Write Checked";

// A line of a repeated group names its instance, counted from 1 as the list shows.
QString LineText(const TCompareRow& row) {
    QString text = OemToQString(row.Caption).trimmed();
    if (row.Member && !text.contains(QString::number(row.Instance + 1)))
        text += QString(" [%1]").arg(row.Instance + 1);
    return text;
}

} // namespace

TCompareWindow::TCompareWindow(TKlvForm& editor, std::string fileName, TPtr<TFileTypeKelvo> file)
    : QDialog(&editor, Qt::Window), FEditor(&editor), FFileName(std::move(fileName)),
      FFile(std::move(file)), FComparedWith(editor.Kelvo()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setObjectName("CompareWindow");
    setWindowTitle("Compare with " + QFileInfo(QString::fromStdString(FFileName)).fileName());

    Heading = new QLabel;
    Heading->setObjectName("Heading");
    Heading->setWordWrap(true);
    Heading->setTextFormat(Qt::PlainText);

    Table = new QTreeWidget;
    Table->setObjectName("Table");
    Table->setRootIsDecorated(false);
    Table->setUniformRowHeights(true);
    Table->setAllColumnsShowFocus(true);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setColumnCount(5);
    Table->setHeaderLabels({"", "Line", "Value in file", "Value in device", "Reason"});
    Table->headerItem()->setToolTip(ColumnCheck, "Checked lines are written");
    Table->headerItem()->setTextAlignment(ColumnFile, Qt::AlignRight | Qt::AlignVCenter);
    Table->headerItem()->setTextAlignment(ColumnDevice, Qt::AlignRight | Qt::AlignVCenter);
    // The caption takes what the values and the reason leave.
    QHeaderView* header = Table->header();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(24);
    header->setSectionResizeMode(ColumnCheck, QHeaderView::Fixed);
    header->setSectionResizeMode(ColumnLine, QHeaderView::Stretch);
    Table->setColumnWidth(ColumnCheck, 28);
    Table->setColumnWidth(ColumnFile, 115);
    Table->setColumnWidth(ColumnDevice, 115);
    Table->setColumnWidth(ColumnReason, 140);
    connect(Table, &QTreeWidget::itemChanged, this, [this] {
        if (!FFilling) {
            NoteUnchecked();
            UpdateState();
        }
    });

    Result = new QLabel;
    Result->setObjectName("Result");
    Result->setWordWrap(true);
    Result->setTextFormat(Qt::PlainText);
    Result->setTextInteractionFlags(Qt::TextSelectableByMouse);

    ButtonWrite = new QPushButton("&Write Checked");
    ButtonWrite->setToolTip("Write the checked values of the file into the device");
    ButtonCheckAll = new QPushButton("Check &All");
    ButtonCheckNone = new QPushButton("Check &None");
    ButtonClose = new QPushButton("&Close");
    ButtonClose->setDefault(true);
    connect(ButtonWrite, &QPushButton::clicked, this, &TCompareWindow::WriteChecked);
    connect(ButtonCheckAll, &QPushButton::clicked, this, [this] { CheckAll(true); });
    connect(ButtonCheckNone, &QPushButton::clicked, this, [this] { CheckAll(false); });
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonCheckAll);
    buttons->addWidget(ButtonCheckNone);
    buttons->addStretch(1);
    buttons->addWidget(ButtonWrite);
    buttons->addWidget(ButtonClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Heading);
    layout->addWidget(Table, 1);
    layout->addWidget(Result);
    layout->addLayout(buttons);
    setTabOrder(Table, ButtonCheckAll);
    setTabOrder(ButtonCheckAll, ButtonCheckNone);
    setTabOrder(ButtonCheckNone, ButtonWrite);
    setTabOrder(ButtonWrite, ButtonClose);
    resize(680, 380);

    // Enabling follows the editor whenever the event loop goes idle.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &TCompareWindow::UpdateState);
}

TCompareWindow::~TCompareWindow() = default;

TKlvForm* TCompareWindow::Editor() const {
    return FEditor && FComparedWith && FEditor->Kelvo() == FComparedWith ? FEditor.data() : nullptr;
}

void TCompareWindow::Compare() {
    if (TKlvForm* editor = Editor(); editor && editor->Kelvo()->IsOnline())
        FComparison = CompareWithDevice(*FFile, *editor->Kelvo());
    FWritable.clear();
    for (const TCompareRow& row : FComparison.Rows)
        FWritable.push_back(row.Writable());
    FillTable();
    UpdateState();
}

void TCompareWindow::FillTable() {
    FFilling = true;
    Table->clear();
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < FComparison.Rows.size(); ++i) {
        const TCompareRow& row = FComparison.Rows[i];
        auto* item = new QTreeWidgetItem;
        item->setText(ColumnLine, LineText(row));
        item->setText(ColumnFile, OemToQString(row.FileValue).trimmed());
        item->setText(ColumnDevice, OemToQString(row.DeviceValue).trimmed());
        item->setText(ColumnReason, ReasonText(row.Reason));
        item->setTextAlignment(ColumnFile, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(ColumnDevice, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(ColumnLine, QString("Address 0x%1").arg(row.Address, 4, 16, QChar('0')));
        if (FWritable[i]) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            const bool unchecked = FUnchecked.count({row.Address, row.Instance}) > 0;
            item->setCheckState(ColumnCheck, unchecked ? Qt::Unchecked : Qt::Checked);
        } else {
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        }
        items.push_back(item);
    }
    Table->addTopLevelItems(items);
    if (!items.isEmpty())
        Table->setCurrentItem(items.front());
    FFilling = false;
}

std::string TCompareWindow::HeadingText(bool deviceThere) const {
    std::string text = "File: " + FFileName;
    if (FComparison.Converted)
        text += "\nThe file comes from an older device program and was converted first.";
    else if (FComparison.Incompatible)
        text += "\nThe file comes from another device program and could not be converted: it is "
                "compared as it is.";
    if (FComparison.AllEqual()) {
        text += "\nAll values are equal.";
    } else {
        const std::size_t n = FComparison.Rows.size();
        text += "\n" + std::to_string(n) + (n == 1 ? " line differs." : " lines differ.");
    }
    if (!deviceThere)
        text += FEditor && FEditor->Kelvo() != FComparedWith
                    ? "\nThe editor window holds another document now: nothing can be written."
                    : "\nThe device went offline: nothing can be written.";
    return text;
}

void TCompareWindow::NoteUnchecked() {
    for (int i = 0; i < Table->topLevelItemCount() && i < int(FComparison.Rows.size()); ++i) {
        const QTreeWidgetItem* item = Table->topLevelItem(i);
        if (!(item->flags() & Qt::ItemIsUserCheckable))
            continue;
        const TCompareRow& row = FComparison.Rows[std::size_t(i)];
        if (item->checkState(ColumnCheck) == Qt::Checked)
            FUnchecked.erase({row.Address, row.Instance});
        else
            FUnchecked.insert({row.Address, row.Instance});
    }
}

void TCompareWindow::CheckAll(bool checked) {
    FFilling = true;
    for (int i = 0; i < Table->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = Table->topLevelItem(i);
        if (item->flags() & Qt::ItemIsUserCheckable)
            item->setCheckState(ColumnCheck, checked ? Qt::Checked : Qt::Unchecked);
    }
    FFilling = false;
    NoteUnchecked();
    UpdateState();
}

std::vector<std::size_t> TCompareWindow::CheckedRows() const {
    std::vector<std::size_t> rows;
    for (int i = 0; i < Table->topLevelItemCount() && i < int(FComparison.Rows.size()); ++i) {
        const QTreeWidgetItem* item = Table->topLevelItem(i);
        if ((item->flags() & Qt::ItemIsUserCheckable) &&
            item->checkState(ColumnCheck) == Qt::Checked)
            rows.push_back(std::size_t(i));
    }
    return rows;
}

void TCompareWindow::UpdateState() {
    TKlvForm* editor = Editor();
    const bool online = editor && editor->Kelvo()->IsOnline();
    const QString heading = QString::fromStdString(HeadingText(online));
    if (Heading->text() != heading)
        Heading->setText(heading);
    const bool anyWritable = std::find(FWritable.begin(), FWritable.end(), true) != FWritable.end();
    ButtonCheckAll->setEnabled(anyWritable);
    ButtonCheckNone->setEnabled(anyWritable);
    ButtonWrite->setEnabled(online && editor->CanTalkToDevice() && !CheckedRows().empty());
}

void TCompareWindow::WriteChecked() {
    TKlvForm* editor = Editor();
    const std::vector<std::size_t> chosen = CheckedRows();
    if (!editor || !editor->CanTalkToDevice() || chosen.empty())
        return;
    const std::string snapshotBefore = editor->LastSnapshot();
    const std::vector<TRowWrite> done = editor->WriteCompareRows(FComparison, chosen);

    std::string failures;
    std::size_t written = 0;
    bool refused = false;
    for (const TRowWrite& w : done) {
        if (w.Result == TRowWrite::Written) {
            ++written;
            continue;
        }
        // Written, but the change journal stopped the rows after it.
        if (w.Result == TRowWrite::NotRecorded)
            ++written;
        // The snapshot's or the journal's own box has said why nothing was
        // written.
        if (w.Result == TRowWrite::NoSnapshot) {
            refused = true;
            continue;
        }
        const std::string line = w.Row < FComparison.Rows.size()
                                     ? LineText(FComparison.Rows[w.Row]).toStdString()
                                     : std::string("?");
        failures += line + ": " + RowWriteText(w.Result) + "\n";
    }
    if (const std::size_t left = chosen.size() - done.size(); left > 0 && !refused)
        failures += std::to_string(left) + (left == 1 ? " more checked line was not tried.\n"
                                                      : " more checked lines were not tried.\n");
    std::string result =
        refused ? "Nothing was written: " + editor->WriteRefusal() + "."
                : std::to_string(written) + (written == 1 ? " line written." : " lines written.");
    if (!refused && editor->LastSnapshot() != snapshotBefore)
        result += " The device's values before were saved to " + editor->LastSnapshot() + ".";
    Result->setText(QString::fromStdString(result));
    if (!failures.empty())
        Prompt().Ask(WriteCaption, "These lines were not written:\n\n" + failures,
                     TPromptIcon::Warning, TPromptButtons::Ok);

    // What the device holds now decides what still differs.
    editor = Editor();
    if (editor && editor->CanTalkToDevice() && editor->ReadWholeDevice() < 0)
        Prompt().Ask(WriteCaption, "The device's values could not be read again.",
                     TPromptIcon::Error, TPromptButtons::Ok);
    Compare();
}

} // namespace kelvo
