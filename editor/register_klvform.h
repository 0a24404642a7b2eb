#pragma once
// The registration of the device editor window: its file filter, and the
// editor settings read at the first paint (with the auto-connect window) and
// written at the end of the program: when the application object ends, or
// when the registration ends if that comes first.
#include "editor/klvform.h"
#include "shell/gui/registerform.h"

namespace kelvo {

class TRegisterKlvForm : public TRegisterCustomForm<TKlvForm> {
public:
    TRegisterKlvForm() = default;
    // Writes the editor settings when the kind was initialised.
    ~TRegisterKlvForm() override;

    std::string FilterText() const override { return TKlvForm::FileFilter; }
    // Reads the settings; with AutoConnect on, the first time, and no file on
    // the command line, opens a new editor window that goes online on the
    // last COM port.
    void Initialise() override;
    // Writes the editor settings once, when the kind was initialised.
    void WriteSettings();

private:
    bool FWritten = false;
};

} // namespace kelvo
