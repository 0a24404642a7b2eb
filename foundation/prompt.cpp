#include "prompt.h"

#include <cstdio>

namespace kelvo {

namespace {
TStderrPrompt StderrPrompt;
// Per thread: jobs on several devices at once each answer their own boxes.
thread_local TPrompt* Current = nullptr;
} // namespace

int DefaultAnswer(TPromptButtons buttons) {
    switch (buttons) {
    case TPromptButtons::Ok:
    case TPromptButtons::OkCancel:
        return IdOk;
    case TPromptButtons::AbortRetryIgnore:
        return IdAbort;
    case TPromptButtons::YesNoCancel:
    case TPromptButtons::YesNo:
        return IdYes;
    case TPromptButtons::RetryCancel:
        return IdRetry;
    }
    return IdOk;
}

int TStderrPrompt::Ask(const std::string& caption, const std::string& text, TPromptIcon,
                       TPromptButtons buttons) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return DefaultAnswer(buttons);
}

TPrompt& Prompt() {
    return Current ? *Current : StderrPrompt;
}

TPrompt* SetPrompt(TPrompt* p) {
    TPrompt* old = Current;
    Current = p;
    return old;
}

} // namespace kelvo
