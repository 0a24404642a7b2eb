// The About tab: the document's information text with the link's state in
// the third line from the end and the size of the dialog in the last one.
#include "editor/klvform.h"

#include "online/kelvo_online.h"
#include "shell/gui/qtprompt.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include <cstdio>

namespace kelvo {

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

} // namespace kelvo
