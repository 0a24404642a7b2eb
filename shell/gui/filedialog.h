#pragma once
// The open and save dialogs as the document windows use them: a file name, a
// filter in the "description|pattern|..." form, the filter index counted from
// 1, a title and a tag that tells the save command which command it serves.
// Tests script them; the program shows a QFileDialog.
#include <QStringList>

#include <string>
#include <vector>

class QWidget;

namespace kelvo {

class TFileDialog {
public:
    virtual ~TFileDialog() = default;
    // Shows the dialog; true when the user chose a file (then in FileName).
    virtual bool Execute() = 0;

    std::string FileName;
    // All chosen files of an open dialog that allows several; FileName is the first.
    std::vector<std::string> FileNames;
    bool MultiSelect = false;
    std::string Filter;
    std::string Title;
    std::string InitialDir;
    int FilterIndex = 1;
    int Tag = 0;
};

class TQtFileDialog : public TFileDialog {
public:
    enum TMode { Open, Save };
    explicit TQtFileDialog(TMode mode, QWidget* parent = nullptr) : FMode(mode), FParent(parent) {}
    bool Execute() override;

private:
    TMode FMode;
    QWidget* FParent;
};

// "All files (*.*)|*.*|Kelvo Data (*.dat;*.kelvo)|*.dat;*.kelvo" as Qt name
// filters: "All files (*)", "Kelvo Data (*.dat *.kelvo)".
QStringList QtNameFilters(const std::string& filter);
// Keeps a file name's extension in line with a filter's patterns
// ("*.dat;*.kelvo"): a name whose extension one of them names, or any name for
// a "*.*" pattern, stays; any other gets the first pattern's extension.
std::string AdjustToFilterPatterns(const std::string& name, const std::string& patterns);
// The patterns of the filter entry an index selects ("*.dat;*.kelvo").
std::string FilterPatterns(const std::string& filter, int index);

// The entry (description "|" pattern) that a filter index selects, counted in
// description/pattern pairs from 1; empty when there is none.
std::string FilterEntry(const std::string& filter, int index);

} // namespace kelvo
