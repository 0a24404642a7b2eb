#pragma once
// Every message box of the system goes through this one interface, so that the
// GUI can show a QMessageBox, the command-line tools can print, and tests can
// answer by script without anything blocking.
#include <string>

namespace kelvo {

// The system's own result numbers of a message box.
enum TPromptResult : int {
    IdOk = 1,
    IdCancel = 2,
    IdAbort = 3,
    IdRetry = 4,
    IdIgnore = 5,
    IdYes = 6,
    IdNo = 7,
};

enum class TPromptIcon { None, Information, Warning, Error, Question };

enum class TPromptButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };

class TPrompt {
public:
    virtual ~TPrompt() = default;
    // Shows one modal message and returns the button chosen (a TPromptResult).
    virtual int Ask(const std::string& caption, const std::string& text, TPromptIcon icon,
                    TPromptButtons buttons) = 0;
};

// The first button of a set: what a box answers when nobody can be asked.
int DefaultAnswer(TPromptButtons buttons);

// Without a GUI the text goes to standard error as "caption: text" and the
// first button of the set is the answer.
class TStderrPrompt : public TPrompt {
public:
    int Ask(const std::string& caption, const std::string& text, TPromptIcon icon,
            TPromptButtons buttons) override;
};

// The calling thread's prompt. Never null: a TStderrPrompt until one is
// installed in that thread.
TPrompt& Prompt();
// Installs p (not owned; null restores the standard-error prompt) and returns
// the one it replaces.
TPrompt* SetPrompt(TPrompt* p);

// Installs a prompt for the lifetime of this object, then puts the old one back.
class TPromptScope {
public:
    explicit TPromptScope(TPrompt& p) : Saved(SetPrompt(&p)) {}
    ~TPromptScope() { SetPrompt(Saved); }
    TPromptScope(const TPromptScope&) = delete;
    TPromptScope& operator=(const TPromptScope&) = delete;

private:
    TPrompt* Saved;
};

} // namespace kelvo
