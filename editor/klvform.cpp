#include "editor/klvform.h"

#include "editor/compare_window.h"
#include "editor/editor_host.h"
#include "editor/export_action.h"
#include "foundation/gui/memotab.h"
#include "foundation/gui/oem_text.h"
#include "foundation/gui/vlistview.h"
#include "online/kelvo_online.h"
#include "shell/fileaccess.h"
#include "shell/gui/cursor.h"
#include "shell/gui/filedialog.h"
#include "shell/gui/qtprompt.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTreeView>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>

namespace kelvo {

namespace {

TComLineOpener& LineOpener() {
    static TComLineOpener opener;
    return opener;
}

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
    FActions.Create(this);
    for (QAction* action : FActions.All)
        addAction(action);
    BuildPages();
    BuildMenus();
    FExport = new TExportAction(this, [this] { return Kelvo(); });
    BuildFilterActions();
    FTabHook = std::make_unique<TControlWndproc<QTabBar>>(
        TabbedPages->tabBar(),
        [this](QObject*, QEvent* event) { return ForwardTabStripKey(event); });
    ClearAbout();
    // Enabling follows the state: recomputed whenever the event loop is idle.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &TKlvForm::UpdateActions);
    UpdateActions();
}

QList<QAction*> TKlvForm::FileMenuActions() const {
    return {FExport->Action()};
}

TKlvForm::~TKlvForm() {
    // The compare table goes with its editor; it must never outlive the document.
    delete FCompareWindow.data();
    // The online operation and the key hook refer to the document and the
    // controls; both go before them.
    FOnline.reset();
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

void TKlvForm::SetLineOpener(TComLineOpener opener) {
    LineOpener() = std::move(opener);
}

void TKlvForm::AttachDocument(TFileTypeKelvo* document) {
    // The document's one link to its device lives as long as it does.
    FOnline = std::make_unique<TKelvoOnline>(*document, FHost.get(), FHost.get(), FHost.get());
    if (LineOpener())
        FOnline->Session().Stream().SetLineOpener(LineOpener());
    auto* view = new TVlistView;
    view->SetColumns({{"Key", 200, Qt::AlignLeft}, {"Value", 160, Qt::AlignRight}});
    view->SetTextDecoder(OemToQString);
    view->SetChangeHandler([this](int row) { KelvoListViewChange(row); });
    view->SetRowFilter([this](TSortedVlvEntries& rows) { FFilter.Apply(rows); });
    view->Bind(KelvoListView);
    FListView = view;
    document->AttachListView(TPtr<TSortVListView>(view));
    connect(KelvoListView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                KelvoListViewChange(current.isValid() ? current.row() : -1);
            });
    // Nothing goes into the device without a snapshot of what it held.
    FOnline->SetBeforeOldDataWrite([this] { return SaveDeviceSnapshot("Go Online"); });
}

void TKlvForm::LoadFromStream(TStream* stream, std::int64_t count) {
    try {
        ClearAbout();
        TChangeCursorTemp cursor;
        // The old document goes with its online operation and its display.
        FOnline.reset();
        FListView = nullptr;
        auto* document = new TFileTypeKelvo;
        FDocument.Reset(document);
        document->SetFileName(AdjustExtension(document, GetFileName()));
        SetFileName(document->GetFileName());
        AttachDocument(document);
        // The new document takes over what the Options tab shows: the
        // production mode and the baud rate.
        if (CkbxProdmod && CkbxProdmod->isChecked())
            FOnline->SetProductionMode(1);
        FOnline->SetBaudRate(CheckedBaudRate());
        if (stream) {
            TFileAccess access;
            access.Reader.Init(stream, GetFileName());
            access.Reader.Size = count;
            if (access.Reader.Open())
                document->Read(access);
            FFileValues.Take(document->Entries);
        } else {
            FFileValues.Forget();
        }
        SetDocumentModified(false);
        DocumentChanged();
        SyncOptions();
        document->RebuildDisplay();
        if (!stream) {
            FOnline->GoOnline(0, 0);
            NotePortProblem();
            FLanguageMark = 0;
            SyncOptions();
            DocumentChanged();
        }
    } catch (const std::exception&) {
        ClearAbout();
    }
    UpdateStatus();
    UpdateActions();
}

void TKlvForm::ClearAbout() {
    MemoAbout->setPlainText("Empty");
    lastVisibleCount = -1;
}

void TKlvForm::DocumentChanged() {
    if (!Kelvo()) {
        ClearAbout();
        return;
    }
    MemoAbout->setPlainText(PromptText(Kelvo()->GetInfoText() + "\n\n "));
    UpdateAboutOnline();
    UpdateAboutDialog();
}

void TKlvForm::ReplaceAboutLine(int fromEnd, const std::string& line) {
    QTextDocument* text = MemoAbout->document();
    const int index = text->blockCount() - fromEnd;
    if (index < 0)
        return;
    QTextCursor cursor(text->findBlockByNumber(index));
    cursor.movePosition(QTextCursor::StartOfBlock);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(QString::fromStdString(line));
}

void TKlvForm::UpdateAboutOnline() {
    std::string line = "Online:\t";
    const TKelvoStream* link = FOnline ? &FOnline->Session().Stream() : nullptr;
    char text[80];
    if (link && link->IsOpen()) {
        std::snprintf(text, sizeof text, "On COM%i at %i Baud", link->Port(), link->Baud());
        line += text;
    } else {
        line += "No";
        if (link) {
            std::snprintf(text, sizeof text, " (default is COM%i)", link->Port());
            line += text;
        }
    }
    ReplaceAboutLine(3, line);
}

void TKlvForm::UpdateAboutDialog() {
    std::string line = "Dialog:\t";
    int visible = 0;
    if (!Kelvo() || Kelvo()->IsEmpty()) {
        line += "Empty";
    } else {
        const TSortVListView& list = Kelvo()->List();
        visible = list.GetRowCount();
        char text[80];
        std::snprintf(text, sizeof text, "%i lines (%i visible)", list.Data()->Count(), visible);
        line += text;
    }
    ReplaceAboutLine(1, line);
    lastVisibleCount = visible;
}

void TKlvForm::UpdateAboutDialogIfChanged() {
    if (Kelvo() && Kelvo()->List().GetRowCount() != lastVisibleCount)
        UpdateAboutDialog();
}

bool TKlvForm::LogVisible() const {
    return TabbedPages->isTabVisible(TabbedPages->indexOf(TabLog));
}

void TKlvForm::ShowLog(bool visible) {
    TabbedPages->setTabVisible(TabbedPages->indexOf(TabLog), visible);
    FActions.ActionViewLog->setChecked(visible);
    if (visible)
        TabbedPages->setCurrentWidget(TabLog);
}

void TKlvForm::UpdateLog() {
    ShowLog(true);
    if (Kelvo() && FOnline)
        RichEditLog->setPlainText(OemToQString(FOnline->RenderLog()));
}

void TKlvForm::UpdateStatus() {
    if (!Kelvo()) {
        SetStatusText({});
        return;
    }
    const int rows = Kelvo()->List().GetRowCount();
    if (rows <= 0) {
        SetStatusText(WithPortProblem(EmptyListText()));
        return;
    }
    const QModelIndex current = KelvoListView->currentIndex();
    SetStatusText(WithPortProblem(FOnline->StatusText(current.isValid() ? current.row() : -1)));
}

std::string TKlvForm::WithPortProblem(const std::string& status) const {
    const std::string shown = FSnapshotNote.empty() ? status : status + " - " + FSnapshotNote;
    if (!Kelvo() || Kelvo()->IsOnline())
        return shown;
    // A device that went from the line is named until the next go-online.
    if (FOnline && FOnline->Session().Stream().Disconnected())
        return shown + " - " + PortProblem("the device was disconnected");
    return FPortProblem.empty() ? shown : shown + " - " + FPortProblem;
}

void TKlvForm::KelvoListViewChange(int row) {
    if (!Kelvo())
        return;
    UpdateNoMatch();
    if (row < 0 && Kelvo()->List().GetRowCount() <= 0) {
        SetStatusText(WithPortProblem(EmptyListText()));
        return;
    }
    if (row >= 0 && row != FSnapshotNoteRow)
        FSnapshotNote.clear();
    if (row >= 0) {
        SetStatusText(WithPortProblem(FOnline->StatusText(row)));
        UpdateAboutDialogIfChanged();
    }
}

} // namespace kelvo
