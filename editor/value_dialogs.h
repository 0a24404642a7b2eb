#pragma once
// The dialogs in which the user changes one value of the parameter list: a
// text field for numbers and texts, a drop-down list for choices. Device texts
// are in the device's code page (CP850); the dialogs show them decoded and
// encode what the user typed back, a character CP850 lacks becoming "?".
#include "foundation/gui/autodialog.h"
#include "model/value_editor.h"

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;

namespace kelvo {

class TDlglineValue;
class TDlglineValueChoice;
class TDlgline;

// One value dialog, laid out and ready to show.
class TValueDialog : public TAutoDialog {
public:
    explicit TValueDialog(QWidget* owner) : TAutoDialog(owner) {}

    QLabel* Label = nullptr;
    QLineEdit* Edit = nullptr; // the text dialog's field
    QComboBox* List = nullptr; // the choice dialog's list
};

// The text dialog for value: caption "Edit Value", the label naming row, the
// field holding the value's text.
std::unique_ptr<TValueDialog> NewTextDialog(const TDlglineValue& value, QWidget* owner,
                                            const TDlgline& row);
// The choice dialog for value. An index beyond the list is brought back to
// the last choice, in the value as well, and that choice is selected.
std::unique_ptr<TValueDialog> NewChoiceDialog(TDlglineValueChoice& value, QWidget* owner,
                                              const TDlgline& row);

// The column-0 text of row, decoded for display: the translated, expanded
// caption of a document entry, or the expanded caption of a bare line.
QString RowCaption(const TDlgline& row);

// Runs the dialogs modally and applies what the user confirmed with OK.
class TQtValueEditor : public TValueEditor {
public:
    bool EditText(TDlglineValue& value, QWidget* owner, TDlgline& row) override;
    bool EditChoice(TDlglineValueChoice& value, QWidget* owner, TDlgline& row) override;
};

// Makes the dialogs the model's value editor for the rest of the run; returns
// the editor it replaced.
TValueEditor* InstallQtValueEditor();

} // namespace kelvo
