#include "shell/gui/program_end.h"

#include "shell/gui/idledispatch.h"
#include "shell/gui/recovery.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QThread>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

namespace kelvo {

namespace {

int signalPipe[2] = {-1, -1};
bool ending = false;
std::string reason;
std::function<void()> saveSettings;
QtMessageHandler previousHandler = nullptr;

// Only what is safe in a signal handler: the number goes through the pipe to
// the event loop.
void OnSignal(int number) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

void OnDeadline(int) {
    ::_exit(1);
}

// Past the limit the process ends wherever it stands.
void StartDeadline() {
    struct sigaction action {};
    action.sa_handler = OnDeadline;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, nullptr);
    itimerval limit{};
    limit.it_value.tv_sec = TProgramEnd::LimitMs / 1000;
    limit.it_value.tv_usec = (TProgramEnd::LimitMs % 1000) * 1000;
    ::setitimer(ITIMER_REAL, &limit, nullptr);
}

std::string SignalName(int number) {
    switch (number) {
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    case SIGINT:
        return "SIGINT";
    default:
        return "signal " + std::to_string(number);
    }
}

void SaveAll() {
    try {
        WriteRecoveryCopies();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvow32: recovery copies failed: %s\n", e.what());
    }
    try {
        if (saveSettings)
            saveSettings();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvow32: settings not written: %s\n", e.what());
    }
}

// Menus first (a menu's own loop ends when it closes), then every dialog: each
// rejected, as Escape would, so that its caller goes on.
void CloseMenusAndBoxes() {
    for (int i = 0; i < 16; ++i) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup)
            break;
        popup->close();
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
            dialog->reject();
    }
}

bool IsLostDisplay(const QString& message) {
    // The window system's plugin says so, then ends the process at once.
    return message.startsWith(QLatin1String("The X11 connection broke"));
}

void WatchMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (previousHandler)
        previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    if (ending || !IsLostDisplay(message))
        return;
    // Nothing can be shown any more, and the toolkit would end the process
    // right after this message, tearing down windows it can no longer reach.
    // The documents and settings are still intact here: they are saved, and
    // the process ends without running any teardown.
    ending = true;
    reason = "display lost";
    TIdleDispatch::Stop();
    StartDeadline();
    if (QCoreApplication::instance() &&
        QThread::currentThread() == QCoreApplication::instance()->thread())
        SaveAll();
    std::fflush(nullptr);
    ::_exit(1);
}

} // namespace

void TProgramEnd::Install(std::function<void()> settings) {
    saveSettings = std::move(settings);
    previousHandler = qInstallMessageHandler(WatchMessages);
    if (signalPipe[0] >= 0 || !QCoreApplication::instance())
        return;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        unsigned char byte = 0;
        while (::read(signalPipe[0], &byte, 1) == 1)
            Begin(SignalName(byte));
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(number, &action, nullptr);
}

void TProgramEnd::Begin(const std::string& why) {
    if (ending)
        return;
    ending = true;
    reason = why;
    StartDeadline();
    TIdleDispatch::Stop();
    // The state as it stands now first: should the way back out of the open
    // boxes and operations take too long, these are what is left.
    SaveAll();
    CloseMenusAndBoxes();
    QCoreApplication::exit(0);
}

bool TProgramEnd::Ending() {
    return ending;
}

const std::string& TProgramEnd::Reason() {
    return reason;
}

void TProgramEnd::Finish() {
    if (ending)
        SaveAll();
}

} // namespace kelvo
