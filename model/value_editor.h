#pragma once
// The dialogs that change a value belong to the display, which knows windows;
// the model only knows this interface. Without an editor installed no value
// can be edited and every Edit answers "not confirmed".
class QWidget;

namespace kelvo {

class TDlgline;
class TDlglineValue;
class TDlglineValueChoice;

class TValueEditor {
public:
    virtual ~TValueEditor() = default;
    // A free text for Long, Double and Text values; true when confirmed and
    // the new text was given to the value's SetText.
    virtual bool EditText(TDlglineValue& value, QWidget* owner, TDlgline& row) = 0;
    // A drop-down list of the choices; true when confirmed and applied.
    virtual bool EditChoice(TDlglineValueChoice& value, QWidget* owner, TDlgline& row) = 0;
};

// The installed editor, or null.
TValueEditor* ValueEditor();
// Installs e (not owned; null removes it) and returns the one it replaces.
TValueEditor* SetValueEditor(TValueEditor* e);

} // namespace kelvo
