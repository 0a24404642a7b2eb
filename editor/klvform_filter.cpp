// The filter above the parameter list: a text field that keeps the lines whose
// caption or value holds the text, and "Changed only" for the lines whose value
// differs from the document's file. The filter narrows the rows where the list
// builds them, so everything that works on rows (the status text, copying, the
// row cursor, editing, the online refresh of the shown rows) works on the
// lines shown.
#include "editor/klvform.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace kelvo {

QWidget* TKlvForm::BuildFilteredPage(QWidget* list) {
    EditFind = new QLineEdit;
    EditFind->setObjectName("EditFind");
    EditFind->setPlaceholderText("Find in the list (Ctrl+F)");
    EditFind->setClearButtonEnabled(true);
    EditFind->setToolTip("Shows only the lines whose caption or value contains this text");
    EditFind->setStatusTip("Show only the lines whose caption or value contains the text");
    CkbxChangedOnly = new QCheckBox("&Changed only");
    CkbxChangedOnly->setObjectName("CkbxChangedOnly");
    CkbxChangedOnly->setToolTip("Shows only the lines whose value differs from the file on disk");
    CkbxChangedOnly->setStatusTip("Show only the lines whose value differs from the file on disk");

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(2, 2, 2, 0);
    bar->addWidget(EditFind, 1);
    bar->addWidget(CkbxChangedOnly);
    layout->addLayout(bar);
    layout->addWidget(list, 1);
    // Tab goes from the field to the box and on into the list.
    QWidget::setTabOrder(EditFind, CkbxChangedOnly);
    QWidget::setTabOrder(CkbxChangedOnly, list);

    // An empty list says why, over the list itself, not only in the status bar.
    LabelNoMatch = new QLabel(KelvoListView->viewport());
    LabelNoMatch->setObjectName("LabelNoMatch");
    LabelNoMatch->setAlignment(Qt::AlignCenter);
    LabelNoMatch->setWordWrap(true);
    LabelNoMatch->setForegroundRole(QPalette::PlaceholderText);
    LabelNoMatch->hide();
    FListResizeHook = std::make_unique<TControlWndprocImp>(
        KelvoListView->viewport(), [this](QObject*, QEvent* event) {
            if (event->type() == QEvent::Resize)
                LabelNoMatch->setGeometry(KelvoListView->viewport()->rect());
            return false;
        });

    FFilter.SetChangedTest(
        [this](const TFileTypeKelvo::TEntry& entry) { return FFileValues.Differs(entry); });
    connect(EditFind, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
    connect(CkbxChangedOnly, &QCheckBox::toggled, this, [this] { ApplyFilter(); });
    FFindKeyHook = std::make_unique<TControlWndprocImp>(
        EditFind, [this](QObject*, QEvent* event) { return FilterFieldKey(event); });
    return page;
}

void TKlvForm::FindInList() {
    TabbedPages->setCurrentWidget(TabDisplay);
    EditFind->setFocus(Qt::ShortcutFocusReason);
    EditFind->selectAll();
}

// Escape empties the field and goes back to the list; Return and Down go to
// the list with the filter as it is.
bool TKlvForm::FilterFieldKey(QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_Escape:
        EditFind->clear();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        break;
    default:
        return false;
    }
    KelvoListView->setFocus(Qt::OtherFocusReason);
    const QModelIndex current = KelvoListView->currentIndex();
    if (current.isValid())
        KelvoListView->scrollTo(current);
    return true;
}

void TKlvForm::ApplyFilter() {
    const QString text = EditFind->text();
    const bool changedOnly = CkbxChangedOnly->isChecked();
    FFilter.SetText(text);
    FFilter.SetChangedOnly(changedOnly);
    if (Kelvo())
        Kelvo()->RebuildDisplay();
    UpdateNoMatch();
    UpdateStatus();
    UpdateAboutDialogIfChanged();
}

void TKlvForm::UpdateNoMatch() {
    const bool none =
        Kelvo() && !Kelvo()->IsEmpty() && FFilter.IsActive() && Kelvo()->List().GetRowCount() <= 0;
    if (none) {
        LabelNoMatch->setText(QString::fromStdString(FFilter.NoMatchText()) + ".");
        LabelNoMatch->setGeometry(KelvoListView->viewport()->rect());
    }
    LabelNoMatch->setVisible(none);
}

std::string TKlvForm::EmptyListText() const {
    if (Kelvo() && !Kelvo()->IsEmpty() && FFilter.IsActive())
        return FFilter.NoMatchText();
    return "No visible items";
}

} // namespace kelvo
