// Another program rewriting Claude Code's settings file while Halvane edits
// it. Arguments: in-place|rename <file>; runs until <file>.stop exists, then
// prints "<rewrites> <undone> <wipes>".
#include <unistd.h>

#include <cstdio>
#include <string>

#include "SettingsWriter.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: settings-writer in-place|rename <file>\n");
        return 2;
    }
    using halvane::test::WriterMode;
    const WriterMode mode =
        std::string(argv[1]) == "rename" ? WriterMode::byRename : WriterMode::inPlace;
    const std::string file = argv[2];
    const std::string stop = file + ".stop";
    const auto counts =
        halvane::test::runSettingsWriter(file, mode, std::chrono::milliseconds(1),
                                         [&] { return ::access(stop.c_str(), F_OK) == 0; });
    std::printf("%ld %ld %ld\n", counts.updates, counts.lost, counts.wipes);
    return 0;
}
