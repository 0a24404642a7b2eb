#pragma once
// Every box the online operation shows, put into words from the values the
// operation reports. A text changed here changes the window and kelvoctl's
// printed boxes alike; kelvoctl's own words come from the same values.
#include "foundation/prompt.h"
#include "online/kelvo_online.h"

#include <string>

namespace kelvo::online_text {

inline constexpr const char* GoOnlineCaption = "Go Online";
inline constexpr const char* RefreshCaption = "KELVO Display Refresh";
inline constexpr const char* EditValueCaption = "Edit Value";

struct TBox {
    std::string Text;
    TPromptIcon Icon = TPromptIcon::Information;
    TPromptButtons Buttons = TPromptButtons::Ok;
};

// The port could not be opened.
std::string PortMissing(const std::string& port);
std::string TimersExhausted();
std::string NoDevice();
// After the download: what the comparison with the old data found (none
// when oldData is false) and what the user may do about it.
TBox Downloaded(bool oldData, TKelvoOnline::TVerdict verdict, bool convertible);
std::string WriteSucceeded();
// The old data are back and the link closed; failure says what went wrong
// before (None: the user chose so).
std::string Restored(TKelvoOnline::TWriteFailure failure);
std::string DeviceSilent();
std::string NotEditable();
const char* DeviceRequestCaption(TDeviceRequest request);
const char* DeviceRequestAnswer(TKelvoOnline::TRequestOutcome outcome);

} // namespace kelvo::online_text
