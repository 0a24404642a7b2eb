#include "tools/kelvoctl/interrupt.h"

#include <csignal>
#include <mutex>

namespace kelvo::ctl {

namespace {

volatile std::sig_atomic_t Caught = 0;
// Jobs on several devices each hold a scope: the first installs the
// handlers, the last puts the old ones back.
std::mutex ScopeMutex;
int Scopes = 0;
struct sigaction OldInt {};
struct sigaction OldTerm {};

void OnSignal(int signal) {
    Caught = signal;
}

} // namespace

TInterruptScope::TInterruptScope() {
    const std::lock_guard<std::mutex> lock(ScopeMutex);
    if (Scopes++ > 0)
        return;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait on the line returns at once and finds the flag.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &OldInt);
    sigaction(SIGTERM, &action, &OldTerm);
}

TInterruptScope::~TInterruptScope() {
    const std::lock_guard<std::mutex> lock(ScopeMutex);
    if (--Scopes > 0)
        return;
    sigaction(SIGINT, &OldInt, nullptr);
    sigaction(SIGTERM, &OldTerm, nullptr);
}

int InterruptSignal() {
    return Caught;
}

} // namespace kelvo::ctl
