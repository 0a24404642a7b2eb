#pragma once
// The demonstration device family: several device programs whose dialogs
// differ the way real program updates do (parameters moved to new addresses,
// codings split or joined, lines added), so that converting a parameter set
// from one program to another can be tried end to end. Each program is
// shipped as a data file that kelvo-sim --dialog serves.
#include "tools/vdevice/demo_dialog.h"

#include <string>
#include <vector>

namespace kelvo {

struct TFamilyProgram {
    // As the "Programmname" line holds it, e.g. "KT400 V2.0".
    std::string ProgramName;
    // The data file's name, e.g. "family-kt400-v2.0.dat".
    std::string FileName;
    TSimDialog Dialog;
};

std::vector<TFamilyProgram> FamilyPrograms();
// One program of the family by its name; std::out_of_range for a name the
// family does not have.
const TFamilyProgram& FamilyProgram(const std::string& name);

// The dialog as a saved document holds it: ascending addresses, every
// instance of a repeated group written out with its own values.
TBytes FamilyRecords(const TSimDialog& dialog);

} // namespace kelvo
