#pragma once
// How the program ends when nobody closes it: on SIGTERM, SIGHUP or SIGINT,
// and when the display goes away. Nothing waits for an answer then: menus and
// boxes that are open close (a box answers what Escape would), every event
// loop returns, no further idle work starts, and the exchange with a device
// that is running finishes first (an exchange is never cut: the signal is
// taken up by the event loop, which runs only between exchanges). Every
// modified document goes to a recovery copy (recovery.h), the settings are
// written, and the program ends within two seconds. A close by the user keeps
// its questions.
#include <functional>
#include <string>

namespace kelvo {

class TProgramEnd {
public:
    // The longest the end may take; past it the process ends as it stands
    // (the recovery copies and the settings are written before).
    static constexpr int LimitMs = 1900;

    // Catches the signals and watches the display. saveSettings writes the
    // program's settings; it may be called more than once.
    static void Install(std::function<void()> saveSettings);
    // The end for the reason given ("SIGTERM", ...): copies and settings now,
    // then every box closes and every event loop returns.
    static void Begin(const std::string& why);
    // True once the end has begun.
    static bool Ending();
    // Why the program ends; empty while it does not.
    static const std::string& Reason();
    // After the main event loop has returned: the recovery copies once more,
    // now that every operation has come back, and the settings.
    static void Finish();
};

} // namespace kelvo
