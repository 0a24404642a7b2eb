#pragma once
// The Ports dialog: which serial device each of COM1 to COM20 opens. Each row
// offers the devices found on the machine (stable by-id names with the device
// they lead to, USB adapters, USB modems, built-in UARTs) and takes a typed
// path as well; an empty row keeps the port's default device. OK writes the
// INI file's section "Ports" and puts the new mapping in force at once, so
// the next go-online uses it; Cancel changes nothing.
#include "ports/serial_ports.h"

#include <QDialog>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QComboBox;
class QDialogButtonBox;
class QPushButton;
class QTableWidget;

namespace kelvo {

class TPortsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int FirstPort = 1;
    static constexpr int LastPort = 20;

    explicit TPortsDialog(QWidget* parent, std::string iniFile, TPortsRoot root = {});

    // Looks for the devices again (in root from now on); what the rows hold
    // stays.
    void Refresh();
    void SetRoot(TPortsRoot root);

    // The device a row names, or empty for "not mapped".
    std::string Entry(int port) const;
    void SetEntry(int port, const std::string& path);
    QComboBox* DeviceBox(int port) const;
    // The devices found by the last look, as the rows offer them.
    const std::vector<TSerialPort>& Found() const { return FFound; }

    // Asks about devices that do not exist, writes the section and installs
    // the mapping; stays open when the user wants to correct an entry or the
    // file could not be written.
    void accept() override;

    QTableWidget* Table = nullptr;
    QPushButton* BtnRefresh = nullptr;
    QDialogButtonBox* Buttons = nullptr;

private:
    void FillBox(QComboBox* box) const;
    bool ConfirmMissing(const std::map<int, std::string>& entries);

    std::string FIniFile;
    TPortsRoot FRoot;
    std::map<int, std::string> FLoaded;
    std::vector<TSerialPort> FFound;
};

// Writes the entries of COM first to COM last into the section "Ports" of
// iniFile: an empty entry removes its key (in any letter case), other ports,
// keys and sections stay. False when the file could not be written.
bool WritePortsSection(const std::string& iniFile, const std::map<int, std::string>& entries,
                       int first, int last);

// Shows the dialog modally and returns its result. Tests replace how it is
// shown (fill it and accept it without a modal loop).
using TPortsDialogRunner = std::function<int(TPortsDialog&)>;
TPortsDialogRunner SetPortsDialogRunner(TPortsDialogRunner runner);
int RunPortsDialog(TPortsDialog& dialog);

} // namespace kelvo
