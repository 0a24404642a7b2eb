#include "shell/gui/ports_dialog.h"

#include "devicelink/serialline.h"
#include "foundation/prompt.h"
#include "shell/settings/ports_lookup.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

#include <sys/stat.h>

namespace kelvo {

namespace {

constexpr const char* Title = "Ports";
constexpr const char* Section = "Ports";

TPortsDialogRunner& Runner() {
    static TPortsDialogRunner runner;
    return runner;
}

// "COM12" (any letter case) -> 12; 0 for any other key.
int PortOfKey(const QString& key) {
    if (key.size() < 4 || !key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const int port = key.mid(3).toInt(&ok);
    return ok && key.mid(3).front().isDigit() ? port : 0;
}

bool DeviceExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Keeps the table's row of a device box in view while the box has the focus.
class TFocusFollower : public QObject {
public:
    TFocusFollower(QTableWidget* table, int row) : QObject(table), FTable(table), FRow(row) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn)
            FTable->scrollTo(FTable->model()->index(FRow, 1));
        return false;
    }

private:
    QTableWidget* FTable;
    int FRow;
};

} // namespace

TPortsDialog::TPortsDialog(QWidget* parent, std::string iniFile, TPortsRoot root)
    : QDialog(parent), FIniFile(std::move(iniFile)), FRoot(std::move(root)) {
    setWindowTitle(Title);
    FLoaded = ReadPortsSection(FIniFile);

    auto* intro = new QLabel("&Serial device opened for each COM port. An empty entry opens the "
                             "port's default device (COM1 /dev/ttyS0, COM2 /dev/ttyS1, ...).");
    intro->setWordWrap(true);

    const int rows = LastPort - FirstPort + 1;
    Table = new QTableWidget(rows, 2);
    Table->setObjectName("TablePorts");
    Table->setHorizontalHeaderLabels({"Port", "Device"});
    Table->verticalHeader()->hide();
    Table->setSelectionMode(QAbstractItemView::NoSelection);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The device boxes take the focus one after another, not the table's cells.
    Table->setFocusPolicy(Qt::NoFocus);
    Table->setTabKeyNavigation(false);
    Table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    Table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    QWidget* previous = nullptr;
    for (int port = FirstPort; port <= LastPort; ++port) {
        const int row = port - FirstPort;
        auto* name = new QTableWidgetItem(QStringLiteral("COM%1").arg(port));
        name->setFlags(Qt::ItemIsEnabled);
        Table->setItem(row, 0, name);
        auto* box = new QComboBox;
        box->setObjectName(QStringLiteral("CmbxCom%1").arg(port));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(24);
        box->lineEdit()->setPlaceholderText(
            QString::fromStdString("not mapped: " + DefaultPortName(port)));
        box->lineEdit()->setClearButtonEnabled(true);
        // A by-id name is offered with the device it leads to; the entry
        // itself is the name alone.
        connect(box, &QComboBox::activated, box,
                [box](int index) { box->setEditText(box->itemData(index).toString()); });
        box->installEventFilter(new TFocusFollower(Table, row));
        Table->setCellWidget(row, 1, box);
        if (previous)
            setTabOrder(previous, box);
        else
            intro->setBuddy(box);
        previous = box;
    }
    Table->resizeRowsToContents();

    BtnRefresh = new QPushButton("&Refresh");
    BtnRefresh->setToolTip("Look for the serial devices again");
    BtnRefresh->setAutoDefault(false);
    connect(BtnRefresh, &QPushButton::clicked, this, [this] { Refresh(); });
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(Buttons, &QDialogButtonBox::accepted, this, &TPortsDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &TPortsDialog::reject);
    setTabOrder(previous, BtnRefresh);
    setTabOrder(BtnRefresh, Buttons);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnRefresh);
    buttons->addStretch(1);
    buttons->addWidget(Buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(Table, 1);
    layout->addLayout(buttons);

    Refresh();
    for (int port = FirstPort; port <= LastPort; ++port) {
        const auto found = FLoaded.find(port);
        SetEntry(port, found != FLoaded.end() ? found->second : std::string());
    }
    // Tall enough for the whole table without scrolling.
    int tableHeight = Table->horizontalHeader()->sizeHint().height() + 2 * Table->frameWidth();
    for (int row = 0; row < Table->rowCount(); ++row)
        tableHeight += Table->rowHeight(row);
    constexpr int Width = 560;
    const int others = layout->heightForWidth(Width) - Table->sizeHint().height();
    resize(Width, others + tableHeight);
    DeviceBox(FirstPort)->setFocus();
}

QComboBox* TPortsDialog::DeviceBox(int port) const {
    if (port < FirstPort || port > LastPort)
        return nullptr;
    return qobject_cast<QComboBox*>(Table->cellWidget(port - FirstPort, 1));
}

void TPortsDialog::FillBox(QComboBox* box) const {
    const QString entry = box->currentText();
    box->clear();
    box->addItem(QString(), QString());
    for (const TSerialPort& port : FFound) {
        const QString path = QString::fromStdString(port.Path);
        const QString shown =
            port.Kind == TSerialPort::ById
                ? path + QStringLiteral("  \u2192  ") + QString::fromStdString(port.Target)
                : path;
        box->addItem(shown, path);
    }
    box->setEditText(entry);
}

void TPortsDialog::Refresh() {
    FFound = ListSerialPorts(FRoot);
    for (int port = FirstPort; port <= LastPort; ++port)
        FillBox(DeviceBox(port));
}

void TPortsDialog::SetRoot(TPortsRoot root) {
    FRoot = std::move(root);
    Refresh();
}

std::string TPortsDialog::Entry(int port) const {
    const QComboBox* box = DeviceBox(port);
    if (!box)
        return {};
    const QString text = box->currentText().trimmed();
    // An offered line chosen without the activation (by the keys, say)
    // still names its device.
    const int index = text.isEmpty() ? -1 : box->findText(text, Qt::MatchExactly);
    if (index > 0)
        return box->itemData(index).toString().toStdString();
    return text.toStdString();
}

void TPortsDialog::SetEntry(int port, const std::string& path) {
    if (QComboBox* box = DeviceBox(port))
        box->setEditText(QString::fromStdString(path));
}

bool TPortsDialog::ConfirmMissing(const std::map<int, std::string>& entries) {
    std::string missing;
    int first = 0;
    for (const auto& [port, path] : entries) {
        const auto loaded = FLoaded.find(port);
        const bool changed = loaded == FLoaded.end() || loaded->second != path;
        if (path.empty() || !changed || DeviceExists(path))
            continue;
        missing += "\nCOM" + std::to_string(port) + ": " + path;
        if (first == 0)
            first = port;
    }
    if (first == 0)
        return true;
    const int answer =
        Prompt().Ask(Title, "These devices do not exist now:" + missing + "\n\nKeep them anyway?",
                     TPromptIcon::Warning, TPromptButtons::YesNo);
    if (answer == IdYes)
        return true;
    DeviceBox(first)->setFocus();
    DeviceBox(first)->lineEdit()->selectAll();
    return false;
}

void TPortsDialog::accept() {
    std::map<int, std::string> entries;
    for (int port = FirstPort; port <= LastPort; ++port)
        entries[port] = Entry(port);
    if (!ConfirmMissing(entries))
        return;
    if (!WritePortsSection(FIniFile, entries, FirstPort, LastPort)) {
        Prompt().Ask(Title, "Could not write the settings file \"" + FIniFile + "\"!",
                     TPromptIcon::Error, TPromptButtons::Ok);
        return;
    }
    InstallPortsLookup(FIniFile);
    QDialog::accept();
}

bool WritePortsSection(const std::string& iniFile, const std::map<int, std::string>& entries,
                       int first, int last) {
    QSettings ini(QString::fromStdString(iniFile), QSettings::IniFormat);
    ini.beginGroup(Section);
    for (const QString& key : ini.childKeys()) {
        const int port = PortOfKey(key);
        if (port >= first && port <= last)
            ini.remove(key);
    }
    for (const auto& [port, path] : entries)
        if (port >= first && port <= last && !path.empty())
            ini.setValue(QStringLiteral("COM%1").arg(port), QString::fromStdString(path));
    ini.endGroup();
    ini.sync();
    return ini.status() == QSettings::NoError;
}

TPortsDialogRunner SetPortsDialogRunner(TPortsDialogRunner runner) {
    TPortsDialogRunner old = std::move(Runner());
    Runner() = std::move(runner);
    return old;
}

int RunPortsDialog(TPortsDialog& dialog) {
    if (Runner())
        return Runner()(dialog);
    return dialog.exec();
}

} // namespace kelvo
