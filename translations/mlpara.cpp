#include "translations/mlpara.h"

#include "foundation/mediastm.h"
#include "translations/mltext.h"
#include "translations/mltoken.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace kelvo {

namespace {

// Feeds the paragraph grammar one token per line.
class TMltokenReader {
public:
    explicit TMltokenReader(TLineBuffer& lines) : FLines(lines) {}

    // The next line's token length, MlNoToken, or a negative code.
    int Next() {
        const char* line = FLines.ReadLine();
        if (!line)
            return FLines.Consumed() == 0 ? MlEndOfInput : MlBadLine;
        return ScanMltoken(line, FLines.LineLength(), FToken);
    }
    int NextSkippingBlank() {
        int r;
        do
            r = Next();
        while (r == MlNoToken);
        return r;
    }
    // Only valid after Next returned a positive length.
    const char* Token() const { return FToken; }
    void HandBack() { FLines.UnreadLine(); }
    int LinesRead() const { return FLines.LineNumber(); }

private:
    TLineBuffer& FLines;
    const char* FToken = nullptr;
};

bool IsQuoted(const char* token) {
    return token[0] == '"';
}

// Entries sort and are searched by their category plus source, compared as
// unsigned bytes.
std::string_view Key(const char* entry) {
    return std::string_view(entry);
}

} // namespace

int TMlpara::Read(TLineBuffer& lines, const std::string& filePath) {
    TMltokenReader in(lines);
    FFilePath = filePath;

    int r = in.NextSkippingBlank();
    if (r < 0)
        return r;
    const char* token = in.Token();
    if (r < 3 || token[0] != '[' || token[r - 1] != ']')
        return MlBadHeader;
    FName.assign(token + 1, static_cast<std::size_t>(r - 2));
    FFirstLine = in.LinesRead();

    // Entries are written back to back; only complete ones ever stay here,
    // since any error drops the whole paragraph.
    std::string work;
    std::vector<std::size_t> starts;
    for (;;) {
        r = in.NextSkippingBlank();
        if (r == MlEndOfInput)
            break;
        if (r < 0)
            return r;
        token = in.Token();
        if (token[0] == '[') {
            in.HandBack(); // the next paragraph's header
            break;
        }
        if (r != 1)
            return MlBadCategory;
        const std::size_t start = work.size();
        work.push_back(token[0]);

        int sourceLines = 0;
        for (;;) {
            r = in.Next();
            if (r < 0)
                return r;
            if (r == MlNoToken)
                return MlBadSource;
            token = in.Token();
            if (token[0] == '=')
                break;
            if (!IsQuoted(token) || r < 3)
                return MlBadSource;
            work.append(token + 1, static_cast<std::size_t>(r - 2));
            ++sourceLines;
        }
        if (sourceLines == 0)
            return MlNoSource;
        work.push_back('\0');

        // The line that ends the translation is used up here, so entries are
        // separated by a blank or comment line.
        int translationLines = 0;
        for (;;) {
            r = in.Next();
            if (r < MlEndOfInput)
                return r;
            if (r <= 0 || !IsQuoted(in.Token()))
                break;
            if (translationLines > 0 && r < 3)
                return MlEmptyContinuation;
            work.append(in.Token() + 1, static_cast<std::size_t>(r - 2));
            ++translationLines;
        }
        if (translationLines == 0)
            return MlNoTranslation;
        work.push_back('\0');

        FLastLine = in.LinesRead() - 1;
        starts.push_back(start);
    }

    FBuffer = TAPtr<char>(new char[work.size() + 1]);
    std::memcpy(FBuffer.Get(), work.data(), work.size());
    FBuffer[work.size()] = '\0';
    FEntries.clear();
    FEntries.reserve(starts.size());
    for (std::size_t s : starts)
        FEntries.push_back(FBuffer.Get() + s);
    std::stable_sort(FEntries.begin(), FEntries.end(),
                     [](const char* a, const char* b) { return Key(a) < Key(b); });
    return Count();
}

const char* TMlpara::Translation(int i) const {
    const char* source = Source(i);
    return source + std::strlen(source) + 1;
}

int TMlpara::Find(std::string_view untranslated) const {
    const auto it = std::lower_bound(FEntries.begin(), FEntries.end(), untranslated,
                                     [](const char* e, std::string_view t) { return Key(e) < t; });
    if (it == FEntries.end() || Key(*it) != untranslated)
        return MltextNotFound;
    const int index = static_cast<int>(it - FEntries.begin());
    return *Translation(index) == '\0' ? MltextEmptyTranslation : index;
}

std::string TMlpara::FileName() const {
    return std::filesystem::path(FFilePath).filename().string();
}

} // namespace kelvo
