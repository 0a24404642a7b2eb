#include "editor/device_history_window.h"

#include "devicelink/kelvostream.h"
#include "editor/klvform.h"
#include "foundation/prompt.h"
#include "journal/journal_format.h"
#include "report/whole_file.h"
#include "shell/gui/filedialog.h"
#include "shell/gui/helpwindow.h"
#include "shell/gui/mainform.h"
#include "shell/gui/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cctype>

namespace kelvo {

namespace {

constexpr const char* HelpPage = "history.html";

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// A name for the export file: letters, digits, '.' and '-' of the device's name.
std::string FileNamePart(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        out += (std::isalnum(c) || ch == '.' || ch == '-') ? ch : '_';
    }
    return out;
}

} // namespace

TDeviceHistoryWindow::TDeviceHistoryWindow(TJournalDevice device, QWidget* parent,
                                           std::string journalPath)
    : QWidget(parent, Qt::Window), FDevice(std::move(device)), FPath(std::move(journalPath)) {
    setObjectName("DeviceHistoryWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Text(std::string(Caption) + " - " + DeviceName()));

    Hint = new QLabel;
    Hint->setObjectName("Hint");
    Hint->setWordWrap(true);
    Hint->setTextFormat(Qt::PlainText);
    Hint->setTextInteractionFlags(Qt::TextSelectableByMouse);

    EditFilter = new QLineEdit;
    EditFilter->setObjectName("EditFilter");
    EditFilter->setPlaceholderText("Filter: a caption, value, user, result...");
    EditFilter->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel("&Filter:");
    filterLabel->setBuddy(EditFilter);
    connect(EditFilter, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });

    Table = new QTreeWidget;
    Table->setObjectName("Table");
    Table->setRootIsDecorated(false);
    Table->setUniformRowHeights(true);
    Table->setAllColumnsShowFocus(true);
    Table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Table->setColumnCount(ColumnCount);
    Table->setHeaderLabels({"Time (UTC)", "Line", "Caption", "Old value", "New value", "Result",
                            "Source", "User", "Port"});
    Table->setColumnWidth(ColumnTime, 140);
    Table->setColumnWidth(ColumnLine, 75);
    Table->setColumnWidth(ColumnCaption, 160);
    Table->setColumnWidth(ColumnOld, 90);
    Table->setColumnWidth(ColumnNew, 90);
    Table->setColumnWidth(ColumnResult, 70);
    Table->setColumnWidth(ColumnSource, 70);
    Table->setColumnWidth(ColumnUser, 110);

    auto* buttons = new QDialogButtonBox;
    ButtonRefresh = buttons->addButton("&Refresh", QDialogButtonBox::ActionRole);
    ButtonExport = buttons->addButton("&Export CSV...", QDialogButtonBox::ActionRole);
    QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
    ButtonClose = buttons->addButton(QDialogButtonBox::Close);
    connect(ButtonRefresh, &QPushButton::clicked, this, [this] { Reload(); });
    connect(ButtonExport, &QPushButton::clicked, this, [this] { ExportCsv(); });
    connect(ButtonClose, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this, [this] { THelpWindow::Show(HelpPage, this); });
    auto* refresh = new QShortcut(QKeySequence::Refresh, this);
    connect(refresh, &QShortcut::activated, this, [this] { Reload(); });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        EditFilter->setFocus();
        EditFilter->selectAll();
    });

    auto dialog = std::make_unique<TQtFileDialog>(TQtFileDialog::Save, this);
    dialog->Filter = ExportFilter;
    ExportDialog = std::move(dialog);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(EditFilter, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Hint);
    layout->addLayout(filterRow);
    layout->addWidget(Table, 1);
    layout->addWidget(buttons);
    resize(960, 380);
    Reload();
}

TDeviceHistoryWindow::~TDeviceHistoryWindow() = default;

std::string TDeviceHistoryWindow::DeviceName() const {
    if (FDevice.Serial.empty())
        return FDevice.Port;
    return "SN " + FDevice.Serial + (FDevice.Program.empty() ? "" : " (" + FDevice.Program + ")");
}

bool TDeviceHistoryWindow::Shows(const TJournalDevice& device) const {
    if (!FDevice.Serial.empty() || !device.Serial.empty())
        return FDevice.Serial == device.Serial;
    return FDevice.Port == device.Port;
}

void TDeviceHistoryWindow::Reload() {
    TJournalFilter filter;
    // A serial number names the device wherever it was connected; a port
    // only what was connected there.
    if (!FDevice.Serial.empty())
        filter.Serial = FDevice.Serial;
    else
        filter.Port = FDevice.Port;
    TJournalStatus status;
    FEntries = ReadJournal(filter, status, FPath);
    FError = status.Error;

    Table->clear();
    for (const TJournalEntry& e : FEntries) {
        auto* item = new QTreeWidgetItem;
        item->setText(ColumnTime, Text(ShownJournalTime(e.Time)).remove(" UTC"));
        item->setText(ColumnLine, Text(JournalKey(e)));
        item->setText(ColumnCaption, Text(e.Caption));
        item->setText(ColumnOld, Text(e.OldValue));
        item->setText(ColumnNew, Text(e.NewValue));
        item->setText(ColumnResult, ResultName(e.Result));
        item->setText(ColumnSource, SourceName(e.Source));
        item->setText(ColumnUser, Text(e.Login + "@" + e.Host));
        item->setText(ColumnPort, Text(e.Port));
        item->setToolTip(ColumnTime, Text(e.Time));
        if (e.Result != TJournalResult::Equal)
            item->setForeground(ColumnResult, QColor(Qt::darkRed));
        Table->addTopLevelItem(item);
    }
    ApplyFilter();
}

void TDeviceHistoryWindow::ApplyFilter() {
    const QString text = EditFilter->text().trimmed();
    for (int row = 0; row < Table->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = Table->topLevelItem(row);
        bool match = text.isEmpty();
        for (int column = 0; !match && column < ColumnCount; ++column)
            match = item->text(column).contains(text, Qt::CaseInsensitive);
        item->setHidden(!match);
    }
    UpdateHint();
}

std::vector<TJournalEntry> TDeviceHistoryWindow::ShownEntries() const {
    std::vector<TJournalEntry> shown;
    for (int row = 0; row < Table->topLevelItemCount() && row < int(FEntries.size()); ++row)
        if (!Table->topLevelItem(row)->isHidden())
            shown.push_back(FEntries[std::size_t(row)]);
    return shown;
}

void TDeviceHistoryWindow::UpdateHint() {
    const std::size_t shown = ShownEntries().size();
    std::string text;
    if (!FError.empty())
        text = "The change journal cannot be read: " + FError + ".";
    else if (FEntries.empty())
        text = "No values have been written into " + DeviceName() + " yet.";
    else if (shown == FEntries.size())
        text = std::to_string(FEntries.size()) + " values written into " + DeviceName() +
               ", newest first:";
    else
        text = std::to_string(shown) + " of " + std::to_string(FEntries.size()) +
               " values written into " + DeviceName() + " hold \"" +
               EditFilter->text().trimmed().toStdString() + "\":";
    Hint->setText(Text(text));
    ButtonExport->setEnabled(shown > 0);
}

bool TDeviceHistoryWindow::ExportCsv() {
    const std::vector<TJournalEntry> shown = ShownEntries();
    if (shown.empty())
        return false;
    TFileDialog& dialog = *ExportDialog;
    dialog.Filter = ExportFilter;
    dialog.FilterIndex = 1;
    dialog.Title = "Export CSV";
    dialog.FileName = "history-" + FileNamePart(DeviceName()) + ".csv";
    if (!dialog.Execute() || dialog.FileName.empty())
        return false;
    const std::string path = AdjustToFilterPatterns(dialog.FileName, "*.csv");
    dialog.FileName = path;
    const std::string why = WriteWholeFile(path, JournalCsv(shown));
    if (why.empty())
        return true;
    Prompt().Ask(Caption, "Could not write \"" + path + "\"!\n" + why, TPromptIcon::Error,
                 TPromptButtons::Ok);
    return false;
}

TJournalDevice EditorDevice(const TKlvForm& editor) {
    const TFileTypeKelvo* document = editor.Kelvo();
    if (!document)
        return {};
    // The port the document is online on, or was last: its link stays
    // (closed) when it goes offline.
    std::string port;
    if (const TKelvoOnline* online = editor.Online())
        port = online->Session().Stream().PortName();
    return JournalDevice(*document, port);
}

std::optional<TJournalDevice> ActiveEditorDevice() {
    const auto* editor = qobject_cast<const TKlvForm*>(ActiveDocumentWindow());
    if (!editor)
        return std::nullopt;
    TJournalDevice device = EditorDevice(*editor);
    if (device.Serial.empty() && device.Port.empty())
        return std::nullopt;
    return device;
}

TDeviceHistoryWindow* ShowDeviceHistory(QWidget* owner, const std::string& journalPath) {
    const std::optional<TJournalDevice> device = ActiveEditorDevice();
    if (!device) {
        Prompt().Ask(TDeviceHistoryWindow::Caption,
                     qobject_cast<TKlvForm*>(ActiveDocumentWindow())
                         ? "The device of this window has no serial number and has not been "
                           "online on a port."
                         : "No device window is active.",
                     TPromptIcon::Information, TPromptButtons::Ok);
        return nullptr;
    }
    // One window per device: asked again, the open one comes up, read anew.
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* open = qobject_cast<TDeviceHistoryWindow*>(widget);
            open && open->Shows(*device)) {
            open->Reload();
            open->show();
            open->raise();
            open->activateWindow();
            return open;
        }
    auto* window = new TDeviceHistoryWindow(*device, owner, journalPath);
    window->show();
    return window;
}

QAction* InstallDeviceHistory(TMainForm& main) {
    auto* action = new QAction("Device &History...", &main);
    action->setObjectName("ActionDeviceHistory");
    action->setStatusTip("Show the values written into the device of the active window");
    QObject::connect(action, &QAction::triggered, &main, [&main] { ShowDeviceHistory(&main); });
    QObject::connect(main.FileMenu(), &QMenu::aboutToShow, action, [action] {
        action->setEnabled(qobject_cast<TKlvForm*>(ActiveDocumentWindow()) != nullptr);
    });
    main.AddFileCommand(action);
    return action;
}

} // namespace kelvo
