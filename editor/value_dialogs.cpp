#include "editor/value_dialogs.h"

#include "foundation/gui/oem_text.h"
#include "model/dlglinevalue_choice.h"
#include "model/kelvofile.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <string>

namespace kelvo {

namespace {

const TMlpara* TranslationOf(const TDlgline& row) {
    const auto* entry = dynamic_cast<const TFileTypeKelvo::TEntry*>(&row);
    return entry && entry->Document ? entry->Document->GetTranslationTable() : nullptr;
}

// The frame both dialogs share: caption, label, room for one field below it.
std::unique_ptr<TValueDialog> NewValueDialog(QWidget* owner, const TDlgline& row) {
    auto dialog = std::make_unique<TValueDialog>(owner);
    dialog->setWindowTitle(QStringLiteral("Edit Value"));
    dialog->Label =
        new QLabel(QStringLiteral("New Value for \"%1\":").arg(RowCaption(row)), dialog.get());
    dialog->Label->setTextFormat(Qt::PlainText);
    return dialog;
}

// Narrower buttons and a wider field than the standard ones. Qt's buttons
// come out wider than the table's, so the field is then stretched to the row
// of buttons (or the label) rather than ending short of them.
void FinishValueDialog(TValueDialog& dialog) {
    dialog.Tile.Values[TTileTable::Button + 2] = 35;
    dialog.Tile.Values[TTileTable::Edit + 2] = 100;
    dialog.SetButtons(TAutoDialog::SetOkCancel | TAutoDialog::FlagHelp);

    QWidget* field = dialog.Edit ? static_cast<QWidget*>(dialog.Edit) : dialog.List;
    int right = dialog.Label->geometry().right();
    for (int slot = 0; slot < 4; ++slot)
        if (const QPushButton* b = dialog.Button(slot))
            right = std::max(right, b->geometry().right());
    if (field->geometry().right() < right) {
        SetTileHints(field, 0, 0, TileSize(right - field->x() + 1), 0);
        dialog.Layout();
    }
}

// Returns false when the dialog was not confirmed or went with its owner.
bool Confirmed(std::unique_ptr<TValueDialog>& dialog) {
    QPointer<TValueDialog> alive(dialog.get());
    const int result = dialog->exec();
    if (!alive) {
        (void)dialog.release(); // already deleted with its owner
        return false;
    }
    return result == TAutoDialog::Ok;
}

} // namespace

QString RowCaption(const TDlgline& row) {
    if (const auto* entry = dynamic_cast<const TFileTypeKelvo::TEntry*>(&row))
        return OemToQString(entry->GetText(0));
    return OemToQString(row.ExpandCaption(row.CaptionText()));
}

std::unique_ptr<TValueDialog> NewTextDialog(const TDlglineValue& value, QWidget* owner,
                                            const TDlgline& row) {
    auto dialog = NewValueDialog(owner, row);
    dialog->Edit = new QLineEdit(OemToQString(value.GetText()), dialog.get());
    dialog->Edit->selectAll();
    FinishValueDialog(*dialog);
    return dialog;
}

std::unique_ptr<TValueDialog> NewChoiceDialog(TDlglineValueChoice& value, QWidget* owner,
                                              const TDlgline& row) {
    auto dialog = NewValueDialog(owner, row);
    dialog->List = new QComboBox(dialog.get());
    dialog->List->setEditable(false);

    // "C|first|second|...": the texts after each bar, up to the first empty one.
    const std::string list = value.Choices.DisplayText(TranslationOf(row));
    for (std::size_t bar = list.find('|'); bar != std::string::npos;) {
        const std::size_t next = list.find('|', bar + 1);
        const std::string text =
            list.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1);
        if (text.empty())
            break;
        dialog->List->addItem(OemToQString(text));
        bar = next;
    }

    const auto last = static_cast<std::uint16_t>(dialog->List->count() - 1);
    value.Index = std::min(value.Index, last);
    dialog->List->setCurrentIndex(dialog->List->count() ? value.Index : -1);
    FinishValueDialog(*dialog);
    return dialog;
}

bool TQtValueEditor::EditText(TDlglineValue& value, QWidget* owner, TDlgline& row) {
    auto dialog = NewTextDialog(value, owner, row);
    if (!Confirmed(dialog))
        return false;
    value.SetText(QStringToOem(dialog->Edit->text()));
    return true;
}

bool TQtValueEditor::EditChoice(TDlglineValueChoice& value, QWidget* owner, TDlgline& row) {
    auto dialog = NewChoiceDialog(value, owner, row);
    if (!Confirmed(dialog))
        return false;
    // An empty list selects nothing; the index then stays as it was.
    const int selected = dialog->List->currentIndex();
    if (selected >= 0)
        value.Index = static_cast<std::uint16_t>(selected);
    return true;
}

TValueEditor* InstallQtValueEditor() {
    static TQtValueEditor editor;
    return SetValueEditor(&editor);
}

} // namespace kelvo
