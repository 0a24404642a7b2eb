#include "online/online_texts.h"

namespace kelvo::online_text {

using TVerdict = TKelvoOnline::TVerdict;

std::string PortMissing(const std::string& port) {
    return port + " is missing or already in use!\n\nGoing offline again.";
}

std::string TimersExhausted() {
    return "No more system timers available!\n\nGoing offline again.";
}

std::string NoDevice() {
    return "Could not connect to an Kelvo device!\n\nGoing offline again.";
}

TBox Downloaded(bool oldData, TVerdict verdict, bool convertible) {
    TBox box;
    box.Text = "Download of KELVO dialog successful!\n\n";
    if (!oldData)
        return box;
    switch (verdict) {
    case TKelvoOnline::ReadOnlyDiffers:
        box.Text += "Some labels are different.";
        box.Text += "All programmable values are equal!";
        box.Buttons = TPromptButtons::OkCancel;
        break;
    case TKelvoOnline::LiveDiffers:
        box.Text += "Position has changed! Readjust?";
        box.Buttons = TPromptButtons::YesNoCancel;
        box.Icon = TPromptIcon::Question;
        break;
    case TKelvoOnline::ValuesDiffer:
        box.Text += "New values are different! Reprogram device?";
        box.Buttons = TPromptButtons::YesNoCancel;
        box.Icon = TPromptIcon::Question;
        break;
    case TKelvoOnline::StructureDiffers:
        if (!convertible) {
            box.Text += "Old data are not compatible and can't be programmed in this device!";
            box.Buttons = TPromptButtons::OkCancel;
        } else {
            box.Text += "Incompatible old data can be converted! Reprogram device?";
            box.Buttons = TPromptButtons::YesNoCancel;
            box.Icon = TPromptIcon::Question;
        }
        break;
    default:
        box.Text += "All programmable values are equal!";
        break;
    }
    if (verdict >= TKelvoOnline::ReadOnlyDiffers && verdict <= TKelvoOnline::StructureDiffers)
        box.Text += "\n\n(Press Cancel to go offline again and keep old data.)";
    return box;
}

std::string WriteSucceeded() {
    return "Reprogramming successful!";
}

std::string Restored(TKelvoOnline::TWriteFailure failure) {
    const std::string before =
        failure == TKelvoOnline::TWriteFailure::None ? "" : "Reprogramming failed!\n";
    return before + "Restored old data.\n\nGoing offline again.";
}

std::string DeviceSilent() {
    return "Missing response from KELVO Device! Going offline.";
}

std::string NotEditable() {
    return "This line can't be changed!";
}

const char* DeviceRequestCaption(TDeviceRequest request) {
    return request == TDeviceRequest::Program ? "Program KELVO Device" : "Reset KELVO Device";
}

const char* DeviceRequestAnswer(TKelvoOnline::TRequestOutcome outcome) {
    return outcome == TKelvoOnline::TRequestOutcome::Done ? "Success!" : "Failed!";
}

} // namespace kelvo::online_text
