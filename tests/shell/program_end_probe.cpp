// A program that is ended by a signal in one of four situations, as
// kelvow32 is: a message box open, the event loop idle, a device exchange of
// the idle work letting the loop run, or the question about recovered
// documents open. It prints what happened, one "key value" line each, for
// program_end_test.
//     program_end_probe box|idle|exchange|offer STATE_FOLDER
#include "filetype/text_document.h"
#include "shell/gui/filesaveform.h"
#include "shell/gui/idledispatch.h"
#include "shell/gui/program_end.h"
#include "shell/gui/qtprompt.h"
#include "shell/gui/recovery.h"

#include <QApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace kelvo;

int settingsWritten = 0;
int idleCycles = 0;
bool raiseInExchange = false;

// Its idle work is one exchange in two halves, the event loop running between
// them as it does while a device is talked to.
class TExchangeDocument : public test::TTextDocument {
public:
    void Idle(void*, bool&) override {
        ++idleCycles;
        Text += "first half;";
        if (raiseInExchange)
            std::raise(SIGTERM);
        TIdleDispatch::ProcessMessagesWithoutInput();
        Text += "second half;";
    }
};

class TForm : public TFiletypeForm<test::TTextDocument> {
public:
    using TFiletypeForm::TFiletypeForm;
    void Take(test::TTextDocument* document) {
        document->Info.SetModified(TFileInfo::UndeterminedSize);
        FDocument.Reset(document);
    }
};

void Print(const char* key, const std::string& value) {
    std::printf("%s %s\n", key, value.c_str());
    std::fflush(stdout);
}

// Raises the signal once a box is open.
void RaiseWhenBoxOpen(int signal) {
    if (TModalBoxScope::Depth() > 0) {
        Print("raised", std::to_string(signal));
        std::raise(signal);
        return;
    }
    QTimer::singleShot(5, [signal] { RaiseWhenBoxOpen(signal); });
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const std::string scenario = argv[1];
    ::setenv("XDG_STATE_HOME", argv[2], 1);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    TQtPrompt prompt;
    TPromptScope scope(prompt);
    TProgramEnd::Install([] { ++settingsWritten; });

    TForm form;
    if (scenario == "exchange") {
        auto* document = new TExchangeDocument;
        document->Text = "before;";
        form.Take(document);
        raiseInExchange = true;
    } else if (scenario != "offer") {
        auto* document = new test::TTextDocument;
        document->Text = "unsaved changes";
        form.Take(document);
    }

    if (scenario == "box") {
        QTimer::singleShot(0, [] {
            RaiseWhenBoxOpen(SIGTERM);
            const int answer = Prompt().Ask("Close File", "Cancel pending modifications?",
                                            TPromptIcon::Question, TPromptButtons::OkCancel);
            Print("answer", std::to_string(answer));
            // Asked while the program ends: answered at once, nothing shown.
            const int later = Prompt().Ask("Close File", "Another question?", TPromptIcon::Question,
                                           TPromptButtons::YesNoCancel);
            Print("later", std::to_string(later));
        });
    } else if (scenario == "idle") {
        QTimer::singleShot(0, [] { std::raise(SIGHUP); });
    } else if (scenario == "offer") {
        // A copy left by an earlier run, and the question about it open.
        const std::string folder = RecoveryDirectory();
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/earlier-1.txt") << "kept from before";
        QTimer::singleShot(0, [] {
            RaiseWhenBoxOpen(SIGTERM);
            Print("opened", std::to_string(OfferRecoveredDocuments()));
        });
    }
    const int code = app.exec();
    Print("exec", std::to_string(code));
    Print("reason", TProgramEnd::Reason());
    Print("copies-at-signal", std::to_string(RecoveredFiles().size()));
    TProgramEnd::Finish();
    Print("copies", std::to_string(RecoveredFiles().size()));
    Print("settings", std::to_string(settingsWritten));
    Print("idle", std::to_string(idleCycles));
    if (form.Document())
        Print("text", static_cast<test::TTextDocument*>(form.Document())->Text);
    return 0;
}
