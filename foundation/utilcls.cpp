#include "utilcls.h"

#include "exception.h"
#include "prompt.h"

#include <cstdio>
#include <string>

namespace kelvo {

namespace {
std::string Format(const char* pattern, const char* expr, const char* file, int line) {
    const int n = std::snprintf(nullptr, 0, pattern, expr, file, line);
    std::string s(static_cast<std::size_t>(n), '\0');
    std::snprintf(s.data(), s.size() + 1, pattern, expr, file, line);
    return s;
}
} // namespace

void ReportAssertion(const char* expr, const char* file, int line) {
    const std::string where = Format("%s @ %s/%d", expr, file, line);
    const int answer = Prompt().Ask(
        "_ASSERTE: ", where + "\nPress [Y]es to terminate, [N]o to continue and [C]ancel to Debug",
        TPromptIcon::Question, TPromptButtons::YesNoCancel);
    if (answer == IdYes)
        throw EAssertionFailed(Format("%s failed - %s/%d", expr, file, line));
}

void EmptyPointerAccess(int line) {
    ReportAssertion("m_ptr", "Utilcls", line);
    throw EAssertionFailed(Format("%s failed - %s/%d", "m_ptr", "Utilcls", line));
}

} // namespace kelvo
