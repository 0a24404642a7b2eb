// The device editor window itself: its construction with the tabbed pages
// (the parameter list, the About memo, the Options tab, the hidden Log) and
// its end.
#include "editor/klvform.h"

#include "editor/compare_window.h"
#include "editor/editor_host.h"
#include "editor/export_action.h"
#include "editor/value_history.h"
#include "foundation/gui/memotab.h"
#include "journal/journal_writes.h"
#include "online/kelvo_online.h"
#include "shell/gui/filedialog.h"
#include "shell/gui/mainform.h"
#include "shell/gui/mainwindow.h"

#include <QAbstractEventDispatcher>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <functional>

namespace kelvo {

namespace {

// A page that holds one control filling it.
QWidget* FilledPage(QWidget* content) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    return page;
}

// The parameter list. Rows are never edited in place: a double click (on a
// row or below the last one) and every other attempt to edit a row in place
// edit the value of the selected row. Copying belongs to the copy actions:
// the view's own copy of the current cell would put a caption on the
// clipboard while no line is selected.
class TParameterList : public QTreeView {
public:
    std::function<void()> EditAttempt;

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        if (trigger == DoubleClicked || trigger == EditKeyPressed || trigger == AllEditTriggers) {
            if (EditAttempt)
                EditAttempt();
            return false;
        }
        return QTreeView::edit(index, trigger, event);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            QTreeView::mouseDoubleClickEvent(event);
            return;
        }
        event->accept();
        if (EditAttempt)
            EditAttempt();
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Copy)) {
            event->accept();
            return;
        }
        QTreeView::keyPressEvent(event);
    }
};

} // namespace

TKlvForm::TKlvForm(QWidget* owner) : TFiletypeForm<TFileTypeKelvo>(owner) {
    setWindowTitle("Kelvo");
    setProperty("helpContext", HelpContext);
    FHost = std::make_unique<TEditorHost>(*this);
    BuildActions();
    BuildPages();
    BuildMenus();
    FExport = std::make_unique<TExportAction>(this, [this] { return Kelvo(); });
    CompareDialog = std::make_unique<TQtFileDialog>(TQtFileDialog::Open, this);
    FTabHook = std::make_unique<TControlWndproc<QTabBar>>(
        TabbedPages->tabBar(),
        [this](QObject*, QEvent* event) { return ForwardTabStripKey(event); });
    ClearAbout();
    // Enabling follows the state: recomputed whenever the event loop is idle.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &TKlvForm::UpdateActions);
    // Export stands in the main window's File menu: its enabling follows
    // the state when that menu opens too.
    if (auto* main = qobject_cast<TMainForm*>(MainForm()))
        connect(main->FileMenu(), &QMenu::aboutToShow, this, &TKlvForm::UpdateActions);
    UpdateActions();
}

TKlvForm::TControls TKlvForm::Controls() const {
    return {TabbedPages,   TabDisplay, KelvoListView,   TabAbout,        MemoAbout,
            TabOptions,    TabLog,     RichEditLog,     CkbxAutoConnect, CkbxSpecialOpt,
            CkbxProdmod,   Rbtn1152,   Rbtn576,         Rbtn192,         CmbxLanguage,
            LabelLanguage, EditFind,   CkbxChangedOnly, LabelNoMatch};
}

TKlvForm::~TKlvForm() {
    // The compare table goes with its editor; it must never outlive the document.
    delete FCompareWindow.data();
    // The online operation and the key hook refer to the document and the
    // controls; both go before them.
    FOnline.reset();
    FHistory.reset();
    FTabHook.reset();
    FFindKeyHook.reset();
    FListResizeHook.reset();
    FMemoTab.reset();
    FDocument.Reset();
}

void TKlvForm::BuildPages() {
    auto* client = new QWidget;
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    TabbedPages = new QTabWidget(client);
    TabbedPages->setObjectName("TabbedPages");
    layout->addWidget(TabbedPages);
    BuildDisplayTab();
    BuildAboutTab();
    BuildOptionsTab();
    BuildLogTab();
    TabbedPages->setCurrentIndex(0);
    setWidget(client);
    // A client area of about 469 x 306 inside the sub-window's frame and title.
    const int frame = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    resize(469 + 2 * frame, 306 + title + frame);
    connect(TabbedPages, &QTabWidget::currentChanged, this, [this](int index) {
        if (TabbedPages->widget(index) == TabAbout)
            UpdateAboutDialogIfChanged();
    });
}

void TKlvForm::BuildDisplayTab() {
    auto* list = new TParameterList;
    list->EditAttempt = [this] { EditValue(); };
    KelvoListView = list;
    KelvoListView->setObjectName("KelvoListView");
    KelvoListView->setRootIsDecorated(false);
    KelvoListView->setUniformRowHeights(true);
    KelvoListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    KelvoListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    KelvoListView->setAllColumnsShowFocus(true);
    KelvoListView->header()->setSectionsClickable(false);
    KelvoListView->header()->setStretchLastSection(false);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(12);
    font.setBold(true);
    KelvoListView->setFont(font);
    TabDisplay = BuildFilteredPage(KelvoListView);
    TabbedPages->addTab(TabDisplay, "&Display");
}

void TKlvForm::BuildAboutTab() {
    MemoAbout = new QPlainTextEdit;
    MemoAbout->setObjectName("MemoAbout");
    MemoAbout->setFrameShape(QFrame::NoFrame);
    MemoAbout->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoAbout->setReadOnly(true);
    MemoAbout->setTabChangesFocus(true);
    MemoAbout->setBackgroundRole(QPalette::Button);
    QPalette palette = MemoAbout->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    MemoAbout->setPalette(palette);
    // The memo sizes itself to its text; the scroll box around it scrolls.
    FMemoTab = std::make_unique<TMemoTab>(MemoAbout);
    FMemoTab->SetAutoFit(true);
    FMemoTab->TabStops = {80};
    FMemoTab->ApplyTabStops();
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(false);
    scroll->setBackgroundRole(QPalette::Button);
    scroll->setWidget(MemoAbout);
    TabAbout = FilledPage(scroll);
    TabbedPages->addTab(TabAbout, "&About");
}

void TKlvForm::BuildLogTab() {
    RichEditLog = new QPlainTextEdit;
    RichEditLog->setObjectName("RichEditLog");
    RichEditLog->setReadOnly(true);
    RichEditLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEditLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    RichEditLog->setFont(font);
    RichEditLog->setPlainText("empty");
    TabLog = FilledPage(RichEditLog);
    TabbedPages->addTab(TabLog, "&Log");
    TabbedPages->setTabVisible(TabbedPages->indexOf(TabLog), false);
}

} // namespace kelvo
