#pragma once
// A prompt that answers message boxes from a script and records what was asked.
#include "foundation/prompt.h"

#include <deque>
#include <string>
#include <vector>

namespace kelvo::test {

struct TAsked {
    std::string Caption;
    std::string Text;
    TPromptIcon Icon;
    TPromptButtons Buttons;
};

class TScriptedPrompt : public TPrompt {
public:
    // Answers in order; when the script runs out, the set's first button.
    std::deque<int> Answers;
    std::vector<TAsked> Asked;

    int Ask(const std::string& caption, const std::string& text, TPromptIcon icon,
            TPromptButtons buttons) override {
        Asked.push_back({caption, text, icon, buttons});
        if (Answers.empty())
            return DefaultAnswer(buttons);
        const int a = Answers.front();
        Answers.pop_front();
        return a;
    }
};

} // namespace kelvo::test
