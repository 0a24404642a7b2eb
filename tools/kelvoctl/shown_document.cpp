#include "tools/kelvoctl/shown_document.h"

#include "foundation/codepage.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/document_loader.h"
#include "tools/kelvoctl/online_session.h"
#include "translations/mlparas.h"
#include "translations/mlselect.h"

#include <filesystem>
#include <iostream>

namespace kelvo::ctl {

namespace {

bool KnownLanguage(const std::string& language) {
    if (language == NoTranslationsLanguage)
        return true;
    for (int i = 0; i < Mlparas().Count(); ++i)
        if (Mlparas().At(i)->Name() == language)
            return true;
    return false;
}

} // namespace

int OpenShownDocument(const std::string& command, const TParsedArgs& parsed, bool fromDevice,
                      TPtr<TFileTypeKelvo>& document) {
    if (fromDevice) {
        if (const int result = DownloadForShow(parsed, document); result != ExitOk)
            return result;
    } else {
        const std::string& name = parsed.Positional.front();
        if (!LoadDocumentAndWarn(command.c_str(), name, document))
            return ExitFailure;
    }

    if (parsed.Has("--production"))
        document->SetProductionMode(1);
    if (parsed.HasValue("--language")) {
        const std::string directory = parsed.Value("--translations");
        std::error_code ignored;
        if (!directory.empty() && !std::filesystem::is_directory(directory, ignored))
            std::cerr << "kelvoctl " << command << ": warning: the translations directory \""
                      << directory << "\" does not exist\n";
        Mlparas().Load(directory);
        const std::string language = Utf8ToOem(parsed.Value("--language"));
        if (!KnownLanguage(language))
            std::cerr << "kelvoctl " << command << ": warning: no translation into \""
                      << parsed.Value("--language") << "\" was found\n";
        document->SetLanguage(language);
    }
    return ExitOk;
}

} // namespace kelvo::ctl
