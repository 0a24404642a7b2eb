// Writes the built-in demonstration dialog as a data file: kelvo-write-demo FILE
#include "tools/vdevice/demo_dialog.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvo-write-demo FILE\n");
        return 2;
    }
    const kelvo::TBytes records = kelvo::BuiltinDemoDialogRecords();
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(records.data(), 1, records.size(), f) != records.size() ||
        std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
