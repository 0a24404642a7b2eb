// Writes the dialogs of the demonstration device family as data files, one per
// device program: kelvo-write-family DIR
#include "tools/vdevice/family_dialogs.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvo-write-family DIR\n");
        return 2;
    }
    for (const kelvo::TFamilyProgram& program : kelvo::FamilyPrograms()) {
        const std::string path = std::string(argv[1]) + "/" + program.FileName;
        const kelvo::TBytes records = kelvo::FamilyRecords(program.Dialog);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(records.data(), 1, records.size(), f) != records.size() ||
            std::fclose(f) != 0) {
            std::perror(path.c_str());
            return 1;
        }
    }
    return 0;
}
