// The Log tab: the transfer log of the link as text, shown on demand, and the
// search for the next failed exchange in it.
#include "editor/klvform.h"

#include "foundation/gui/oem_text.h"
#include "foundation/prompt.h"
#include "online/kelvo_online.h"

#include <QPlainTextEdit>
#include <QTabWidget>

namespace kelvo {

bool TKlvForm::LogVisible() const {
    return TabbedPages->isTabVisible(TabbedPages->indexOf(TabLog));
}

void TKlvForm::ShowLog(bool visible) {
    TabbedPages->setTabVisible(TabbedPages->indexOf(TabLog), visible);
    UpdateActions();
    if (visible)
        TabbedPages->setCurrentWidget(TabLog);
}

void TKlvForm::UpdateLog() {
    ShowLog(true);
    if (Kelvo() && FOnline)
        RichEditLog->setPlainText(OemToQString(FOnline->RenderLog()));
}

void TKlvForm::FindNextError() {
    if (!LogVisible())
        ShowLog(true);
    TabbedPages->setCurrentWidget(TabLog);
    RichEditLog->setFocus();
    QTextCursor cursor = RichEditLog->textCursor();
    const QString text = RichEditLog->toPlainText();
    const auto found = text.indexOf("M=-", cursor.position(), Qt::CaseInsensitive);
    if (found < 0) {
        Prompt().Ask("Find Next Error", "No more errors found!", TPromptIcon::None,
                     TPromptButtons::Ok);
        return;
    }
    cursor.setPosition(int(found) + 2);
    RichEditLog->setTextCursor(cursor);
    RichEditLog->ensureCursorVisible();
}

} // namespace kelvo
