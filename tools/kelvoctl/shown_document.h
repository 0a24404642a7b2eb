#pragma once
// The document show and export print: downloaded from the device or loaded
// from FILE, then in production mode and the language their options ask for.
#include "foundation/utilcls.h"
#include "model/kelvofile.h"
#include "tools/kelvoctl/ctl_options.h"

#include <string>

namespace kelvo::ctl {

// ExitOk with document ready, or the exit status of the failure (told on
// standard error, the messages naming command).
int OpenShownDocument(const std::string& command, const TParsedArgs& parsed, bool fromDevice,
                      TPtr<TFileTypeKelvo>& document);

} // namespace kelvo::ctl
