#pragma once
// The kinds of document window the program knows. Each kind registers one
// object that supplies its file filter, creates its windows and runs its
// one-time start-up work; the main window builds its Open dialog's filter
// from them, finds the kind for a file and initialises them at its first
// paint.
#include "foundation/dynalist.h"

#include <string>
#include <vector>

class QWidget;

namespace kelvo {

class TFilesaveForm;
class TFileDialog;

class TRegisterForm {
public:
    // Appends the object to the program-wide registration list.
    TRegisterForm();
    // Leaves the list.
    virtual ~TRegisterForm();
    TRegisterForm(const TRegisterForm&) = delete;
    TRegisterForm& operator=(const TRegisterForm&) = delete;

    // The kind's filter, beginning with "|": "|Kelvo Data (*.dat;*.kelvo)|*.dat;*.kelvo".
    virtual std::string FilterText() const = 0;
    virtual TFilesaveForm* CreateWindow(QWidget* owner) = 0;
    virtual void Initialise() {}

    bool Initialised = false;

    static Dynalist<TRegisterForm>& List();

private:
    DynalistStaticENode FNode{this};
};

template <class TForm> class TRegisterCustomForm : public TRegisterForm {
public:
    TFilesaveForm* CreateWindow(QWidget* owner) override { return new TForm(owner); }
};

// "All files (*.*)|*.*" followed by the filter of every kind in registration order.
std::string AllFilters();
// A new window of the kind that takes the file: the kind whose filter holds
// the dialog's chosen filter entry, else the first whose filter holds the
// file's lower-case extension; null when none does.
TFilesaveForm* FindFormForFile(const std::string& name, const TFileDialog* dialog,
                               QWidget* owner = nullptr);
// The first call initialises every kind not yet initialised and answers true;
// later calls answer false.
bool InitKinds();
// The n-th command-line argument (from 1) that does not begin with "-"; an
// empty argument ends the scan.
std::string GetParamFile(int n);
// The arguments GetParamFile reads (without the program name); by default the
// application's own.
void SetCommandLine(std::vector<std::string> arguments);
const std::vector<std::string>& CommandLine();

} // namespace kelvo
