#pragma once
// An open or save dialog answered by script: it keeps what it was offered
// (the proposed name, title and filter) and answers with the test's file
// name, or with Cancel when there is none.
#include "shell/gui/filedialog.h"

#include <string>
#include <utility>

namespace kelvo::test {

class TScriptedFileDialog : public TFileDialog {
public:
    explicit TScriptedFileDialog(std::string answer = {}) : Answer(std::move(answer)) {}
    bool Execute() override {
        ++Shown;
        Proposed = FileName;
        OfferedTitle = Title;
        OfferedFilter = Filter;
        if (Answer.empty())
            return false;
        FileName = Answer;
        if (AnswerIndex > 0)
            FilterIndex = AnswerIndex;
        return true;
    }
    std::string Answer;
    // The file type chosen, counted from 1; 0 keeps the one offered.
    int AnswerIndex = 0;
    int Shown = 0;
    std::string Proposed;
    std::string OfferedTitle;
    std::string OfferedFilter;
};

} // namespace kelvo::test
