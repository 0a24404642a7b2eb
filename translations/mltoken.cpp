#include "translations/mltoken.h"

namespace kelvo {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool StartsComment(char c) {
    return c == ';' || c == '*';
}

} // namespace

int ScanMltoken(const char* line, int length, const char*& token) {
    int i = 0;
    while (i < length && IsBlank(line[i]))
        ++i;
    if (i == length || StartsComment(line[i]))
        return MlNoToken;

    const int start = i;
    int end;
    if (line[start] == '"') {
        end = length;
        while (end > start + 1 && line[end - 1] != '"')
            --end;
        if (end == start + 1)
            return MlBadLine;
    } else {
        end = start;
        while (end < length && !IsBlank(line[end]))
            ++end;
    }

    int rest = end;
    while (rest < length && IsBlank(line[rest]))
        ++rest;
    if (rest < length && !StartsComment(line[rest]))
        return MlJunkAfterToken;

    token = line + start;
    return end - start;
}

} // namespace kelvo
