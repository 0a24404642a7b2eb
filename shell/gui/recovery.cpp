#include "shell/gui/recovery.h"

#include "foundation/filetype/fileaccess.h"
#include "foundation/filetype/filetype.h"
#include "foundation/prompt.h"
#include "foundation/stream.h"
#include "foundation/user_folders.h"
#include "shell/gui/filesaveform.h"
#include "shell/gui/mainform.h"
#include "shell/gui/program_end.h"
#include "shell/gui/registerform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace kelvo {

namespace {

namespace fs = std::filesystem;

// The copies this run has written; a later write replaces them.
std::vector<std::string>& WrittenThisRun() {
    static std::vector<std::string> written;
    return written;
}

bool MakeDirectory(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return fs::is_directory(path, error);
}

// A name no other run takes: the time, the process and the window's number.
std::string CopyName(const TFileType& document, int number) {
    char stamp[32] = "recovered";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local))
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base =
        std::string(stamp) + "-" + std::to_string(::getpid()) + "-" + std::to_string(number);
    // The document's own extension, so that the copy reads back as its kind.
    return AdjustExtension(&document, base);
}

} // namespace

std::string RecoveryDirectory() {
    return UserFolder("XDG_STATE_HOME", ".local/state") + "/kelvo/recovery";
}

bool WriteRecoveryCopy(TFileType& document, const std::string& path) {
    const fs::path target(path);
    // Hidden while it is written, so that a start meanwhile does not take it.
    const std::string part =
        (target.parent_path() / ("." + target.filename().string() + ".part")).string();
    bool complete = false;
    {
        TFileStream stream(part, TFileStream::Create);
        if (!stream.IsOpen())
            return false;
        TFileAccess access(TFilesaveForm::KindTitle(TFilesaveForm::KindSaveCopyAs));
        access.Writer.Init(&stream, path);
        // The copy must not make the document take it for its file.
        const TFileInfo keep = document.Info;
        try {
            document.Write(access);
            complete = access.Writer.ErrorCount == 0 && access.Writer.TotalBytes > 0 &&
                       stream.Error() == 0 && stream.Sync();
        } catch (const std::exception&) {
            complete = false;
        }
        document.Info = keep;
    }
    if (complete && std::rename(part.c_str(), path.c_str()) == 0)
        return true;
    std::remove(part.c_str());
    return false;
}

int WriteRecoveryCopies() {
    auto& written = WrittenThisRun();
    for (const std::string& path : written)
        std::remove(path.c_str());
    written.clear();
    const std::string folder = RecoveryDirectory();
    int number = 0;
    bool haveFolder = false;
    for (TFilesaveForm* window : TFilesaveForm::Windows()) {
        ++number;
        if (!window->IsModifiedDocument())
            continue;
        if (!haveFolder && !(haveFolder = MakeDirectory(folder))) {
            std::fprintf(stderr, "kelvow32: cannot create %s\n", folder.c_str());
            return 0;
        }
        const std::string path = folder + "/" + CopyName(*window->Document(), number);
        if (WriteRecoveryCopy(*window->Document(), path))
            written.push_back(path);
        else
            std::fprintf(stderr, "kelvow32: cannot write %s\n", path.c_str());
    }
    return int(written.size());
}

std::vector<std::string> RecoveredFiles() {
    std::vector<std::string> files;
    std::error_code error;
    for (fs::directory_iterator it(RecoveryDirectory(), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name[0] != '.' && it->is_regular_file(error))
            files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string RecoveryQuestion(int count) {
    return "Recovered " + std::to_string(count) +
           " document(s) after an unexpected end. Open them?";
}

int OfferRecoveredDocuments() {
    const std::vector<std::string> files = RecoveredFiles();
    if (files.empty())
        return 0;
    const int answer = Prompt().Ask(RecoveryCaption, RecoveryQuestion(int(files.size())),
                                    TPromptIcon::Question, TPromptButtons::YesNo);
    // Ended while the question was open: nobody answered, the copies stay.
    if (TProgramEnd::Ending())
        return 0;
    int opened = 0;
    for (const std::string& file : files) {
        if (answer == IdYes) {
            if (TFilesaveForm* window = FindFormForFile(file, nullptr, MainForm())) {
                // Read from the stream, not by name: the window takes no file
                // name and stays untitled, as a new document.
                TFileStream stream(file, TFileStream::OpenRead);
                if (stream.IsOpen())
                    window->LoadFromStream(&stream, stream.Size());
                if (window->IsEmptyDocument()) {
                    delete window;
                } else {
                    // Unsaved: closing it asks, as for any change.
                    TFileInfo& info = window->Document()->Info;
                    const std::string name = info.Name;
                    info.Clear();
                    info.SetName(name);
                    info.SetModified(TFileInfo::UndeterminedSize);
                    window->DocumentChanged();
                    ShowDocumentWindow(window);
                    ++opened;
                }
            }
        }
        std::remove(file.c_str());
    }
    return opened;
}

} // namespace kelvo
